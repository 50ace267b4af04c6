#include "io/file_access.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
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
std::string systemMessage()
{
    return errno != 0 ? std::string(std::strerror(errno)) : std::string("unknown error");
}

// The platform's part: a temporary name beside the target that no other
// writer (thread or process) uses at the same time, and the rename that
// replaces the target in one step. Returns false with `error` set when the
// rename fails.
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

bool replaceFile(const fs::path &from, const fs::path &to, std::string &error)
{
#if defined(_WIN32)
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = "MoveFileEx failed with error " + std::to_string(GetLastError());
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = systemMessage();
    return false;
#endif
}
} // namespace

bool readWholeFile(const std::string &path, std::string &text, size_t spareCapacity, std::string &error)
{
    errno = 0;
    std::error_code code;
    const fs::path file = fs::u8path(path);
    if (fs::is_directory(file, code))
    {
        error = path + ": is a folder, not a file";
        return false;
    }
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
    {
        error = path + ": cannot open: " + systemMessage();
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0)
    {
        error = path + ": cannot tell its size";
        return false;
    }
    text.clear();
    text.reserve(size_t(size) + spareCapacity);
    text.resize(size_t(size));
    in.seekg(0);
    if (size > 0 && !in.read(&text[0], size))
    {
        error = path + ": read failed: " + systemMessage();
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string &path, std::string_view data, std::string &error)
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
        out.write(data.data(), std::streamsize(data.size()));
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
