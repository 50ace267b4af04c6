#include "render/png_file.h"

#include "io/file_access.h"

#include <stb_image_write.h>

namespace
{
void appendBytes(void *context, void *data, int size)
{
    static_cast<std::string *>(context)->append(static_cast<const char *>(data), size_t(size));
}
}  // namespace

bool encodePng(const std::vector<uint8_t> &rgb, int width, int height, std::string &png, std::string &error)
{
    png.clear();
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3)
    {
        error = "cannot encode a picture of " + std::to_string(width) + "x" + std::to_string(height) + " pixels from " +
                std::to_string(rgb.size()) + " bytes";
        return false;
    }
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3) || png.empty())
    {
        error = "PNG encoding failed";
        return false;
    }
    return true;
}

bool writeFileReplacing(const std::string &path, const std::string &bytes, std::string &error)
{
    return writeFileAtomically(path, bytes, error);
}
