#include "prep/corner_grid.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
std::vector<size_t> sorted(std::vector<size_t> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// A 10 x 10 lattice of corners: a small box finds its neighbourhood (the
// cells it meets, so perhaps a little more), a large one everything, and a
// corner found dead is never offered again.
TEST(CornerGrid, GathersLiveCornersNearABox)
{
    std::vector<CornerPlace> places;
    for (size_t k = 0; k < 100; ++k)
        places.push_back({k, double(k % 10), double(k / 10)});
    CornerGrid grid(places);
    std::vector<bool> live(100, true);
    std::vector<size_t> out;

    grid.gather(4.5, 4.5, 5.5, 5.5, live, out);
    for (size_t k : {55u, 56u, 65u, 66u})
        EXPECT_NE(std::find(out.begin(), out.end(), k), out.end()) << k;
    EXPECT_LT(out.size(), 20u);

    grid.gather(-1, -1, 20, 20, live, out);
    EXPECT_EQ(out.size(), 100u);

    live[55] = false;
    grid.gather(4.5, 4.5, 5.5, 5.5, live, out);
    EXPECT_EQ(std::find(out.begin(), out.end(), 55u), out.end());
    live[55] = true; // too late: dropped for good
    grid.gather(-1, -1, 20, 20, live, out);
    EXPECT_EQ(sorted(out).size(), 99u);

    grid.gather(30, 30, 40, 40, live, out);
    EXPECT_TRUE(out.empty());
    CornerGrid empty({});
    empty.gather(0, 0, 1, 1, live, out);
    EXPECT_TRUE(out.empty());
}
} // namespace
