#include "accel/bvh_builder.h"

#include "accel/sah_split.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace
{

constexpr uint32_t kParallelSubtree = 1u << 12;  // subtrees built as tasks of their own
constexpr uint32_t kGrain = 4096;
// Below this depth the heuristic may split as unevenly as it likes; deeper
// nodes are split at the median, which halves every part: leaves then sit at
// most 40 + 28 levels deep (fewer than 2^28 boxes), bounding the walk's stack.
constexpr int kHeuristicDepth = 40;

struct Builder
{
    std::vector<PrimRef> prims;
    std::unique_ptr<BvhNode[]> nodes;
    std::atomic<uint32_t> nodeCount{0};

    // Builds the node for a range of more than kMaxLeafSize boxes: splits it
    // into kNodeWidth parts or fewer, always splitting the part with the
    // largest area among those too big for a leaf, then, while slots remain,
    // among those bigger than one batch of the exact test; then builds the
    // parts. Parts of up to kMaxLeafSize boxes become leaves, so ranges of
    // a few boxes never take a node of their own.
    uint32_t buildNode(const PrimRange &r, int depth)
    {
        PrimRange parts[kNodeWidth];
        parts[0] = r;
        int count = 1;
        while (count < kNodeWidth)
        {
            int pick = -1;
            for (const uint32_t above : {kMaxLeafSize, kLeafBatch})
            {
                float largest = -1.0f;
                for (int i = 0; i < count; ++i)
                    if (parts[i].size() > above && parts[i].box.halfArea() > largest)
                    {
                        largest = parts[i].box.halfArea();
                        pick = i;
                    }
                if (pick >= 0)
                    break;
            }
            if (pick < 0)
                break;
            PrimRange a, b;
            if (depth < kHeuristicDepth)
                splitBinned(prims, parts[pick], a, b);
            else
                splitMedian(prims, parts[pick], a, b);
            parts[pick] = a;
            parts[count++] = b;
        }

        const uint32_t index = nodeCount++;
        uint32_t refs[kNodeWidth];
        std::fill(refs, refs + kNodeWidth, kEmptyChild);
        // Parts too big for a leaf become subtrees, built concurrently when
        // one of them is big enough to be worth a task.
        int subtrees[kNodeWidth];
        int subtreeCount = 0;
        bool concurrent = false;
        for (int i = 0; i < count; ++i)
        {
            if (parts[i].size() <= kMaxLeafSize)
                refs[i] = makeLeafRef(parts[i].begin, parts[i].size());
            else
            {
                subtrees[subtreeCount++] = i;
                concurrent = concurrent || parts[i].size() >= kParallelSubtree;
            }
        }
        const auto buildSubtrees = [&](size_t first, size_t last) {
            for (size_t k = first; k < last; ++k)
                refs[subtrees[k]] = buildNode(parts[subtrees[k]], depth + 1);
        };
        if (concurrent)
            UTparallelFor(0, size_t(subtreeCount), 1, buildSubtrees);
        else
            buildSubtrees(0, size_t(subtreeCount));

        BvhNode &node = nodes[index];
        TriangleBox boxes[kNodeWidth];
        for (int i = 0; i < count; ++i)
        {
            alignas(16) float lo[4], hi[4];
            parts[i].box.lo.store(lo);
            parts[i].box.hi.store(hi);
            boxes[i] = {{lo[0], lo[1], lo[2]}, {hi[0], hi[1], hi[2]}};
        }
        setChildBoxes(node, boxes, count);
        for (int i = 0; i < kNodeWidth; ++i)
            node.child[i] = refs[i];
        return index;
    }
};

}  // namespace

BvhLayout buildBvh(const TriangleBox *boxes, uint32_t count)
{
    BvhLayout layout;
    const uint32_t n = count;
    if (n == 0)
        return layout;

    Builder builder;
    builder.prims.resize(n);
    UTparallelFor(0, n, kGrain, [&](size_t begin, size_t end) {
        for (uint32_t k = uint32_t(begin); k < uint32_t(end); ++k)
        {
            PrimRef &p = builder.prims[k];
            for (int c = 0; c < 3; ++c)
            {
                p.lo[c] = boxes[k].lo[c];
                p.hi[c] = boxes[k].hi[c];
            }
            std::memcpy(&p.lo[3], &k, sizeof k);
            p.hi[3] = 0.0f;
        }
    });
    PrimRange all;
    all.end = n;
    computeBounds(builder.prims, all);
    alignas(16) float lo[4], hi[4];
    all.box.lo.store(lo);
    all.box.hi.store(hi);
    for (int c = 0; c < 3; ++c)
    {
        layout.rootBox.lo[c] = lo[c];
        layout.rootBox.hi[c] = hi[c];
    }

    if (n <= kMaxLeafSize)
        layout.root = makeLeafRef(0, n);
    else
    {
        // Every node has kNodeWidth parts unless all its parts are leaves, and
        // such a node holds more than kMaxLeafSize boxes. With I nodes, B of
        // them of the latter kind and L <= n leaves, counting children gives
        // I + L - 1 >= 8(I - B) + 2B, so I <= (L + 6B) / 7 <= 15n / 63.
        builder.nodes.reset(new BvhNode[n / 4 + 1]);
        layout.root = builder.buildNode(all, 0);
        layout.nodes.assign(builder.nodes.get(), builder.nodes.get() + builder.nodeCount.load());
    }
    layout.order.resize(n);
    for (uint32_t k = 0; k < n; ++k)
        layout.order[k] = builder.prims[k].id();
    return layout;
}
