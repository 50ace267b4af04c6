#include "trace/out_of_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace
{

struct AmountCase
{
    uint64_t bytes;
    const char *text;
};

// Never less than needed: amounts are rounded up, also across a unit.
TEST(OutOfMemory, AmountsAreRoundedUpInDecimalUnits)
{
    const AmountCase cases[] = {
        {0, "0 bytes"},        {1, "1 byte"},    {999, "999 bytes"},      {1000, "1 kB"},
        {1001, "1.1 kB"},      {1500, "1.5 kB"}, {9999, "10 kB"},         {10000, "10 kB"},
        {10001, "11 kB"},      {999999, "1 MB"}, {18000000000u, "18 GB"}, {114000000000u, "114 GB"},
        {UINT64_MAX, "19 EB"},
    };
    for (const AmountCase &c : cases)
        EXPECT_EQ(memoryAmountText(c.bytes), c.text) << c.bytes << " bytes";
}

TEST(OutOfMemory, NamesCountItemsAndAmountAndIsABadAlloc)
{
    try
    {
        throw outOfMemoryFor(1500000000, "scatter directions", 18000000000u);
    }
    catch (const std::bad_alloc &e)
    {
        EXPECT_STREQ(e.what(), "Out of memory: 1500000000 scatter directions need 18 GB");
    }
}

}  // namespace
