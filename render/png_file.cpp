#include "render/png_file.h"

#include <stb_image_write.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  define NOMINMAX
#  include <windows.h>
#else
#  include <cstdio>
#  include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
void appendBytes(void *context, void *data, int size)
{
    static_cast<std::string *>(context)->append(static_cast<const char *>(data), size_t(size));
}

std::string systemMessage()
{
    return errno != 0 ? std::string(std::strerror(errno)) : std::string("unknown error");
}

// A name beside the target that no other writer in this or another process
// uses at the same time.
fs::path temporaryPathBeside(const fs::path &target)
{
    static std::atomic<uint64_t> counter{0};
#if defined(_WIN32)
    const uint64_t process = GetCurrentProcessId();
#else
    const uint64_t process = uint64_t(getpid());
#endif
    fs::path name = target;
    name += ".tmp-" + std::to_string(process) + "-" + std::to_string(counter.fetch_add(1));
    return name;
}

// Replaces `to` by `from` in one step.
bool replaceFile(const fs::path &from, const fs::path &to, std::string &error)
{
#if defined(_WIN32)
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = "MoveFileEx failed with error " + std::to_string(GetLastError());
    return false;
#else
    errno = 0;
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = systemMessage();
    return false;
#endif
}
} // namespace

bool encodePng(const std::vector<uint8_t> &rgb, int width, int height, std::string &png, std::string &error)
{
    png.clear();
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3)
    {
        error = "cannot encode a picture of " + std::to_string(width) + "x" + std::to_string(height) +
                " pixels from " + std::to_string(rgb.size()) + " bytes";
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
    const fs::path target = fs::u8path(path);
    const fs::path temporary = temporaryPathBeside(target);
    errno = 0;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
        {
            error = path + ": cannot create a file in its folder: " + systemMessage();
            return false;
        }
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.close();
        if (!out)
        {
            error = path + ": write failed: " + systemMessage();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::string reason;
    if (!replaceFile(temporary, target, reason))
    {
        error = path + ": cannot replace the file: " + reason;
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}
