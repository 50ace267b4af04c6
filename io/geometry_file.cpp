#include "io/geometry_file.h"

#include <cctype>

namespace
{
// The extension in lower case, with its dot: ".geo", ".obj", or "".
std::string lowerExtension(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot);
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}
}  // namespace

GeometryReadResult readGeometryFile(const std::string &path, GU_Detail &gdp)
{
    const std::string extension = lowerExtension(path);
    if (extension == ".geo")
        return readGeoFile(path, gdp);
    if (extension == ".obj")
        return readObjFile(path, gdp);
    GeometryReadResult result;
    try
    {
        gdp.clearAndDestroy();
        result.message = path + ": unknown geometry file type \"" + extension +
                         "\"; expected .geo (ASCII JSON geometry) or .obj (Wavefront OBJ)";
        if (extension == ".bgeo" || extension == ".gz" || extension == ".sc")
            result.message = path + ": binary or compressed geometry is not supported; save it as ASCII .geo";
    }
    catch (const std::exception &)
    {
        result.message = "out of memory";
    }
    return result;
}
