// The platform-specific corner of io/.
//
// Everything else in io/ is portable C++17. Here: naming a temporary file
// beside a target, replacing the target with it in one step, and a hint that
// large buffers may use huge memory pages. The hint matters on virtual
// machines, where the first touch of every 4 KiB page can cost tens of
// microseconds: a file of a million points fills several hundred megabytes of
// parser buffers, and with 2 MiB pages the kernel faults them in 512 times
// less often. Where the platform has no such hint it does nothing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// A name beside target that no other writer, thread or process, uses now.
std::filesystem::path temporaryPathBeside(const std::filesystem::path &target);

// Renames from over to, replacing to in one step. On failure returns false
// and sets error.
bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to, std::string &error);

// Advises that [data, data + bytes) will be used whole and may use huge
// pages. Only whole pages inside the range are affected; small ranges are
// left alone.
void adviseLargeBuffer(void *data, size_t bytes);
