#include "accel/page_storage.h"

#include "accel/bvh_node.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

// Small and large arrays alike (the large ones on large pages where the
// system offers them) keep the cache-line alignment nodes rely on, and hold
// what is written to them from end to end.
TEST(PageStorage, AlignsSmallAndLargeArraysToCacheLines)
{
    for (const size_t bytes : {size_t(0), size_t(1), size_t(1000), size_t(1) << 20, (size_t(3) << 20) + 40})
    {
        void *data = allocatePageStorage(bytes);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % kPageStorageAlignment, 0u) << bytes;
        if (bytes)
        {
            std::memset(data, 0x5a, bytes);
            EXPECT_EQ(static_cast<unsigned char *>(data)[bytes - 1], 0x5a);
        }
        freePageStorage(data, bytes);
    }
    PageVector<BvhNode> nodes(10000);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(nodes.data()) % alignof(BvhNode), 0u);
    nodes.back().child[7] = 42;
    PageVector<BvhNode> copy = nodes;
    EXPECT_EQ(copy.back().child[7], 42u);
}
