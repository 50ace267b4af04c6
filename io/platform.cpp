#include "io/platform.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // libstdc++ may have defined it already
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
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
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);  // only a hint: errors are ignored
#else
    (void)data;
    (void)bytes;
#endif
}

size_t memoryPageSize()
{
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return size_t(info.dwPageSize);
#else
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? size_t(size) : size_t(4096);
#endif
}

bool mapFile(const std::filesystem::path &path, FileMapping &mapping)
{
    mapping = FileMapping();
#if defined(_WIN32)
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    void *data = nullptr;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && uint64_t(size.QuadPart) <= uint64_t(SIZE_MAX))
    {
        // The view keeps the mapping, and the mapping the file, open.
        const HANDLE section = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (section)
        {
            data = MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0);
            CloseHandle(section);
        }
    }
    CloseHandle(file);
    if (!data)
        return false;
    mapping.data = static_cast<const char *>(data);
    mapping.size = size_t(size.QuadPart);
    return true;
#else
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    void *data = MAP_FAILED;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
    {
        int flags = MAP_PRIVATE;
#if defined(MAP_POPULATE)
        flags |= MAP_POPULATE;  // one call sets up every page instead of a fault per page
#endif
        data = mmap(nullptr, size_t(status.st_size), PROT_READ, flags, fd, 0);
    }
    close(fd);
    if (data == MAP_FAILED)
        return false;
    mapping.data = static_cast<const char *>(data);
    mapping.size = size_t(status.st_size);
    return true;
#endif
}

void unmapFile(FileMapping &mapping)
{
    if (!mapping.data)
        return;
#if defined(_WIN32)
    UnmapViewOfFile(mapping.data);
#else
    munmap(const_cast<char *>(mapping.data), mapping.size);
#endif
    mapping = FileMapping();
}
