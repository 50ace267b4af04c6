// The platform-specific corner of io/.
//
// Everything else in io/ is portable C++17. Here: naming a temporary file
// beside a target, replacing the target with it in one step, mapping a file
// into memory for reading, and a hint that large buffers may use huge memory
// pages.
//
// Mapping is how large inputs are read: the reader works on the file's bytes
// where the system's file cache already holds them, instead of copying them
// into a fresh buffer whose every page must first be cleared. Both systems
// fill the rest of a mapping's last page with zeros, which is the padding
// the JSON reader needs after the text whenever that rest is long enough. The hint matters on virtual
// machines, where the first touch of every 4 KiB page can cost tens of
// microseconds: a file of a million points fills several hundred megabytes of
// parser buffers, and with 2 MiB pages the kernel faults them in 512 times
// less often. Where the platform has no such hint it does nothing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// A file's bytes mapped read-only; data is null when nothing is mapped.
struct FileMapping
{
    const char *data = nullptr;
    size_t size = 0;
};

// A name beside target that no other writer, thread or process, uses now.
std::filesystem::path temporaryPathBeside(const std::filesystem::path &target);

// Renames from over to, replacing to in one step. On failure returns false
// and sets error.
bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to, std::string &error);

// Advises that [data, data + bytes) will be used whole and may use huge
// pages. Only whole pages inside the range are affected; small ranges are
// left alone.
void adviseLargeBuffer(void *data, size_t bytes);

// The size of a memory page: the unit in which a mapping's tail reads as
// zeros.
size_t memoryPageSize();

// Maps the whole of a regular, non-empty file read-only. False when the
// system cannot; the caller then reads the file instead.
bool mapFile(const std::filesystem::path &path, FileMapping &mapping);
// Releases a mapping made by mapFile (nothing when data is null).
void unmapFile(FileMapping &mapping);
