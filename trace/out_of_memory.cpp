#include "trace/out_of_memory.h"

#include <cinttypes>
#include <cstdio>

std::string memoryAmountText(uint64_t bytes)
{
    static const char *const kUnits[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1000)
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    // Scale to [1, 1000) units, keeping the exact value in tenths of a unit
    // or whole units so that rounding up is exact.
    int unit = 0;
    uint64_t scale = 1000;
    while (unit + 1 < 6 && bytes / scale >= 1000)
    {
        scale *= 1000;
        ++unit;
    }
    const uint64_t whole = bytes / scale;
    char text[32];
    if (whole >= 10)
    {
        const uint64_t up = whole + (bytes % scale != 0 ? 1 : 0);
        if (up == 1000 && unit + 1 < 6)
            std::snprintf(text, sizeof text, "1 %s", kUnits[unit + 1]);
        else
            std::snprintf(text, sizeof text, "%" PRIu64 " %s", up, kUnits[unit]);
    }
    else
    {
        // One decimal below ten units: tenths, rounded up.
        const uint64_t tenth = scale / 10;
        const uint64_t tenths = bytes / tenth + (bytes % tenth != 0 ? 1 : 0);
        if (tenths % 10 == 0)
            std::snprintf(text, sizeof text, "%" PRIu64 " %s", tenths / 10, kUnits[unit]);
        else
            std::snprintf(text, sizeof text, "%" PRIu64 ".%" PRIu64 " %s", tenths / 10, tenths % 10, kUnits[unit]);
    }
    return text;
}

OutOfMemory outOfMemoryFor(uint64_t count, const char *items, uint64_t bytes)
{
    return OutOfMemory("Out of memory: " + std::to_string(count) + " " + items + " need " + memoryAmountText(bytes));
}
