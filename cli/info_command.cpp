#include "cli/info_command.h"

#include "cli/attribute_roles.h"
#include "cli/exit_status.h"
#include "cli/summary.h"

#include "io/geo/geo_type_tokens.h"
#include "io/geometry_file.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <sstream>

namespace
{

std::string joined(const std::vector<std::string> &names)
{
    if (names.empty())
        return "(none)";
    std::string text;
    for (const std::string &n : names)
        text += (text.empty() ? "" : ", ") + n;
    return text;
}

std::string typeText(const GA_Attribute &attribute, const GeometryReadInfo &info)
{
    const int32_t code = attribute.getTypeInfo();
    std::string text = std::to_string(code);
    const auto token = info.typeTokens.find(attribute.getName());
    if (token != info.typeTokens.end())
        return text + " (\"" + token->second + "\")";
    if (const char *word = tokenFromTypeInfo(code))
        return text + " (" + word + ")";
    return code == 0 ? text + " (none)" : text;
}

std::string storageText(const GA_Attribute &attribute)
{
    if (&attribute.getType() == &GA_ATINumeric::theAttributeType)
        return storageToken(static_cast<const GA_ATINumeric &>(attribute).getStorage());
    return attribute.getType().getTypeName();
}

void printPrimitives(std::ostream &out, const GU_Detail &gdp, const GeometryReadInfo &info)
{
    int64_t small = 0, triangles = 0, larger = 0;
    const GEO_PrimList &prims = gdp.primitives();
    for (GA_Index j = 0; j < prims.entries(); ++j)
    {
        const GA_Size n = prims.rawEntry(j)->getVertexCount();
        (n < 3 ? small : n == 3 ? triangles : larger) += 1;
    }
    out << "  polygons      " << formatCount(prims.entries());
    if (triangles > 0)
        out << "; triangles " << formatCount(triangles);
    if (larger > 0)
        out << "; with more corners " << formatCount(larger) << " (the node uses their first three)";
    if (small > 0)
        out << "; with fewer corners " << formatCount(small) << " (the node ignores them)";
    out << '\n';
    if (info.skippedPrimitives > 0)
        out << "  skipped       " << formatCount(info.skippedPrimitives) << " primitives that are not polygons\n";
    if (info.skippedAttributes > 0 || info.skippedGroups > 0)
        out << "  not read      attributes " << formatCount(info.skippedAttributes)
            << " (vertex, primitive, detail or non-numeric); groups " << formatCount(info.skippedGroups) << '\n';
}

void printAttributes(std::ostream &out, const GU_Detail &gdp, const GeometryReadInfo &info)
{
    out << "  point attributes, in dictionary order:\n";
    char line[256];
    std::snprintf(line, sizeof(line), "    %-16s %-9s %-5s %-22s %s\n", "name", "storage", "size", "type info",
                  "node role");
    out << line;
    for (GA_AttributeDict::iterator it = gdp.pointAttribs().begin(GA_SCOPE_ANY); !it.atEnd(); ++it)
    {
        const GA_Attribute *a = it.attrib();
        if (!a)
            break;
        std::snprintf(line, sizeof(line), "    %-16s %-9s %-5d %-22s %s\n", a->getName(), storageText(*a).c_str(),
                      a->getTupleSize(), typeText(*a, info).c_str(), roleName(attributeRole(*a)));
        out << line;
    }
}

void printRoles(std::ostream &out, const AttributeRoles &roles)
{
    out << "  the node gathers (numeric, 3 or more components, by type code):\n";
    out << "    positions    (0, 1)  " << joined(roles.positions) << '\n';
    out << "    directions   (3)     " << joined(roles.directions) << '\n';
    out << "    intensities  (4)     " << joined(roles.intensities) << '\n';

    out << "  as points:    ";
    if (!roles.linedUp())
        out << "the lists do not line up (" << roles.positions.size() << ", " << roles.directions.size() << ", "
            << roles.intensities.size() << "): the node copies the input and traces nothing\n";
    else if (roles.positions.empty())
        out << "no attribute triple: nothing would be traced\n";
    else
        out << "the lists line up: " << roles.positions.size() << (roles.positions.size() == 1 ? " triple" : " triples")
            << " traced from every point\n";

    out << "  as collider:  ";
    if (!roles.usableAsCollider())
        out << "unusable, it needs a position and a direction attribute\n";
    else
        out << "usable: position " << roles.positions.front() << ", direction " << roles.directions.front()
            << ", intensity "
            << (roles.intensities.empty() ? std::string("none (factor 1)") : roles.intensities.front()) << '\n';
}

}  // namespace

CLI::App *addInfoCommand(CLI::App &app, InfoCommandArgs &args)
{
    CLI::App *info = app.add_subcommand("info", "Describe a geometry file and what the node would use of it");
    info->add_option("FILE", args.path, "Geometry file (.geo or .obj)")->required();
    addColliderOptions(*info, args.collider);
    return info;
}

int runInfoCommand(const InfoCommandArgs &args)
{
    GU_Detail gdp;
    const GeometryReadResult read = readGeometryFile(args.path, gdp);
    if (!read)
        return fail(kExitUsage, read.message);

    std::ostringstream out;
    out << args.path << '\n';
    if (!read.info.fileVersion.empty())
        out << "  file version  " << read.info.fileVersion << '\n';
    out << "  points        " << formatCount(gdp.getNumPoints()) << '\n';
    printPrimitives(out, gdp, read.info);
    printAttributes(out, gdp, read.info);
    printRoles(out, gatherAttributeRoles(gdp));
    for (const std::string &step : describeColliderPlan(planColliderPreparation(gdp, args.path, args.collider)))
        out << "  cook would    " << step << '\n';
    for (const std::string &w : read.warnings)
        out << "  Warning: " << w << '\n';
    std::cout << out.str();
    return kExitSuccess;
}
