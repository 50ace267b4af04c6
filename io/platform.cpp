#include "io/platform.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  ifndef NOMINMAX // libstdc++ may have defined it already
#    define NOMINMAX
#  endif
#  include <windows.h>
#else
#  include <cstdio>
#  include <sys/mman.h>
#  include <unistd.h>
#endif

std::filesystem::path temporaryPathBeside(const std::filesystem::path &target)
{
    static std::atomic<uint64_t> counter{0};
#if defined(_WIN32)
    const uint64_t process = GetCurrentProcessId();
#else
    const uint64_t process = uint64_t(getpid());
#endif
    std::filesystem::path name = target;
    name += ".tmp-" + std::to_string(process) + "-" + std::to_string(counter.fetch_add(1));
    return name;
}

bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to, std::string &error)
{
#if defined(_WIN32)
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = "MoveFileEx failed with error " + std::to_string(GetLastError());
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = std::strerror(errno);
    return false;
#endif
}

void adviseLargeBuffer(void *data, size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr size_t kHugePage = size_t(2) << 20;
    if (!data || bytes < 2 * kHugePage)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + 4095) & ~uintptr_t(4095);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~uintptr_t(4095);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE); // only a hint: errors are ignored
#else
    (void)data;
    (void)bytes;
#endif
}
