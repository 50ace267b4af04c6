#include "accel/bvh_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace
{

struct Walk
{
    std::vector<int> seen;  // times each box was found in a leaf
    int maxDepth = 0;
    int leaves = 0;
};

bool inside(const TriangleBox &inner, const float *lo, const float *hi)
{
    for (int c = 0; c < 3; ++c)
        if (inner.lo[c] < lo[c] || inner.hi[c] > hi[c])
            return false;
    return true;
}

// Checks that every box lies in the leaf below each node box that leads to
// it (lo, hi: the box of `ref` in its parent), and counts where each box was
// found.
void walk(const BvhLayout &layout, const std::vector<TriangleBox> &boxes, uint32_t ref, const float *lo,
          const float *hi, int depth, Walk &w)
{
    w.maxDepth = std::max(w.maxDepth, depth);
    if (isLeafRef(ref))
    {
        ++w.leaves;
        ASSERT_LE(leafCount(ref), kMaxLeafSize);
        for (uint32_t k = leafFirst(ref); k < leafFirst(ref) + leafCount(ref); ++k)
        {
            ++w.seen[layout.order[k]];
            EXPECT_TRUE(inside(boxes[layout.order[k]], lo, hi));
        }
        return;
    }
    const BvhNode &node = layout.nodes[ref];
    for (int i = 0; i < kNodeWidth; ++i)
    {
        if (node.child[i] == kEmptyChild)
        {
            EXPECT_GT(node.bounds[0][i], node.bounds[1][i]);  // an empty box
            continue;
        }
        const float childLo[3] = {node.bounds[0][i], node.bounds[2][i], node.bounds[4][i]};
        const float childHi[3] = {node.bounds[1][i], node.bounds[3][i], node.bounds[5][i]};
        const TriangleBox childBox = {{childLo[0], childLo[1], childLo[2]}, {childHi[0], childHi[1], childHi[2]}};
        EXPECT_TRUE(inside(childBox, lo, hi));
        walk(layout, boxes, node.child[i], childLo, childHi, depth + 1, w);
    }
}

std::vector<TriangleBox> randomBoxes(int n, std::mt19937 &rng, float spread)
{
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    std::vector<TriangleBox> boxes(n);
    for (TriangleBox &b : boxes)
        for (int c = 0; c < 3; ++c)
        {
            b.lo[c] = u(rng) * spread;
            b.hi[c] = b.lo[c] + u(rng);
        }
    return boxes;
}

}  // namespace

TEST(BuildBvh, EveryBoxLandsInExactlyOneLeafInsideItsAncestors)
{
    std::mt19937 rng(3);
    std::vector<std::vector<TriangleBox>> inputs;
    for (const int n : {1, 4, 5, 17, 1000, 40000})
        inputs.push_back(randomBoxes(n, rng, 100.0f));
    inputs.push_back(std::vector<TriangleBox>(3000, TriangleBox{{0, 0, 0}, {1, 1, 1}}));  // duplicates
    // Exponentially spread boxes invite lopsided splits: depth must stay bounded.
    std::vector<TriangleBox> spread(5000);
    for (size_t i = 0; i < spread.size(); ++i)
    {
        const float x = std::ldexp(1.0f, int(i % 120) - 60) * (1.0f + float(i) * 1e-4f);
        spread[i] = {{x, 0, 0}, {x, 1, 1}};
    }
    inputs.push_back(spread);

    for (const std::vector<TriangleBox> &boxes : inputs)
    {
        const BvhLayout layout = buildBvh(boxes.data(), uint32_t(boxes.size()));
        ASSERT_EQ(layout.order.size(), boxes.size());
        Walk w;
        w.seen.assign(boxes.size(), 0);
        walk(layout, boxes, layout.root, layout.rootBox.lo, layout.rootBox.hi, 0, w);
        EXPECT_EQ(std::count(w.seen.begin(), w.seen.end(), 1), long(boxes.size())) << boxes.size();
        EXPECT_LE(w.maxDepth, 68);
        EXPECT_LE(layout.nodes.size(), boxes.size() / 4 + 1);
    }
}

TEST(BuildBvh, NoBoxesGiveAnEmptyRoot)
{
    const BvhLayout layout = buildBvh(nullptr, 0);
    EXPECT_EQ(layout.root, kEmptyChild);
    EXPECT_TRUE(layout.nodes.empty());
}

TEST(BuildBvh, FillsLeavesWell)
{
    std::mt19937 rng(8);
    const std::vector<TriangleBox> boxes = randomBoxes(20000, rng, 100.0f);
    const BvhLayout layout = buildBvh(boxes.data(), uint32_t(boxes.size()));
    Walk w;
    w.seen.assign(boxes.size(), 0);
    walk(layout, boxes, layout.root, layout.rootBox.lo, layout.rootBox.hi, 0, w);
    // Memory per triangle depends on it: more than 2.5 boxes per leaf.
    EXPECT_GT(double(boxes.size()) / w.leaves, 2.5);
}
