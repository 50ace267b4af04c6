#include "accel/bvh_builder.h"

#include "accel/float4.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/parallel_reduce.h>
#include <tbb/task_group.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{

constexpr int kMaxBins = 32;
constexpr uint32_t kParallelBinning = 1u << 14;  // ranges binned by several threads
constexpr uint32_t kParallelSubtree = 1u << 12;  // subtrees built as tasks of their own
constexpr uint32_t kGrain = 4096;
// Below this depth the heuristic may split as unevenly as it likes; deeper
// nodes are split at the median, which halves every part: leaves then sit at
// most 40 + 28 levels deep (fewer than 2^28 boxes), bounding the walk's stack.
constexpr int kHeuristicDepth = 40;

// A box with its index in the spare fourth lane of `lo`. The builder sorts
// these in place, so each pass reads memory in order.
struct alignas(16) PrimRef
{
    float lo[4];
    float hi[4];

    uint32_t id() const
    {
        uint32_t i;
        std::memcpy(&i, &lo[3], sizeof i);
        return i;
    }
    Float4 centroid() const { return Float4::load(lo) + Float4::load(hi); }  // doubled centre
};

// Trivially constructible so that bins cost nothing until they are used.
struct Bounds
{
    Float4 lo;
    Float4 hi;

    static Bounds empty() { return {Float4::broadcast(INFINITY), Float4::broadcast(-INFINITY)}; }

    void grow(Float4 l, Float4 h)
    {
        lo = min4(lo, l);
        hi = max4(hi, h);
    }
    void grow(const Bounds &b) { grow(b.lo, b.hi); }
    float halfArea() const
    {
        alignas(16) float d[4];
        (hi - lo).store(d);
        return d[0] < 0.0f ? 0.0f : d[0] * d[1] + d[1] * d[2] + d[2] * d[0];
    }
    float lower(int axis) const { return lane(lo, axis); }
    float extent(int axis) const { return lane(hi, axis) - lane(lo, axis); }
    static float lane(Float4 v, int i)
    {
        alignas(16) float f[4];
        v.store(f);
        return f[i];
    }
};

struct Range
{
    uint32_t begin = 0, end = 0;
    Bounds box = Bounds::empty();        // union of the boxes
    Bounds centroids = Bounds::empty();  // bounds of the (doubled) centres
    uint32_t size() const { return end - begin; }
};

// Maps a centre to its bin along each axis; an axis without extent (or one
// too small to scale) gets no bins. Fewer bins for small ranges: their
// setup would otherwise cost more than the binning.
struct BinMap
{
    int bins;
    float base[3];
    float scale[3];

    explicit BinMap(const Range &r) : bins(std::min<int>(kMaxBins, std::max<int>(4, int(r.size() / 4))))
    {
        for (int c = 0; c < 3; ++c)
        {
            base[c] = r.centroids.lower(c);
            const float extent = r.centroids.extent(c);
            const float s = float(bins) * (1.0f - 0x1p-20f) / extent;
            scale[c] = extent > 0.0f && std::isfinite(s) ? s : 0.0f;
        }
    }
    int bin(int axis, float centroid) const
    {
        const float f = (centroid - base[axis]) * scale[axis];
        return f < float(bins) ? int(f) : bins - 1;  // f >= 0; NaN would go last
    }
};

struct BinSet
{
    Bounds box[3][kMaxBins];
    Bounds centroids[3][kMaxBins];
    uint32_t count[3][kMaxBins];

    explicit BinSet(int bins)
    {
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < bins; ++b)
            {
                box[a][b] = Bounds::empty();
                centroids[a][b] = Bounds::empty();
                count[a][b] = 0;
            }
    }

    void add(const PrimRef &p, const BinMap &map)
    {
        const Float4 l = Float4::load(p.lo), h = Float4::load(p.hi), c = l + h;
        alignas(16) float cf[4];
        c.store(cf);
        for (int a = 0; a < 3; ++a)
        {
            const int b = map.bin(a, cf[a]);
            box[a][b].grow(l, h);
            centroids[a][b].grow(c, c);
            ++count[a][b];
        }
    }
    void merge(const BinSet &o, int bins)
    {
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < bins; ++b)
            {
                box[a][b].grow(o.box[a][b]);
                centroids[a][b].grow(o.centroids[a][b]);
                count[a][b] += o.count[a][b];
            }
    }
};

struct Builder
{
    std::vector<PrimRef> prims;
    std::unique_ptr<BvhNode[]> nodes;
    std::atomic<uint32_t> nodeCount{0};

    void addToBounds(uint32_t begin, uint32_t end, Range &r) const
    {
        for (uint32_t k = begin; k < end; ++k)
        {
            const Float4 l = Float4::load(prims[k].lo), h = Float4::load(prims[k].hi);
            r.box.grow(l, h);
            r.centroids.grow(l + h, l + h);
        }
    }

    void computeBounds(Range &r) const
    {
        r.box = Bounds::empty();
        r.centroids = Bounds::empty();
        if (r.size() < kParallelBinning)
        {
            addToBounds(r.begin, r.end, r);
            return;
        }
        r = tbb::parallel_reduce(
            tbb::blocked_range<uint32_t>(r.begin, r.end, kGrain), r,
            [&](const tbb::blocked_range<uint32_t> &part, Range acc) {
                addToBounds(part.begin(), part.end(), acc);
                return acc;
            },
            [](Range a, const Range &b) {
                a.box.grow(b.box);
                a.centroids.grow(b.centroids);
                return a;
            });
    }

    // Cost of a leaf block: the exact test handles four triangles at once.
    static float blocks(uint32_t n) { return float((n + 3) / 4); }

    // Splits r at the median centre along its widest axis (in the middle of
    // the range when the centres coincide).
    void splitMedian(const Range &r, Range &left, Range &right)
    {
        int axis = 0;
        for (int c = 1; c < 3; ++c)
            if (r.centroids.extent(c) > r.centroids.extent(axis))
                axis = c;
        PrimRef *first = prims.data() + r.begin;
        std::nth_element(first, first + r.size() / 2, prims.data() + r.end,
                         [axis](const PrimRef &a, const PrimRef &b) {
                             return a.lo[axis] + a.hi[axis] < b.lo[axis] + b.hi[axis];
                         });
        left = Range();
        right = Range();
        left.begin = r.begin;
        left.end = right.begin = r.begin + r.size() / 2;
        right.end = r.end;
        computeBounds(left);
        computeBounds(right);
    }

    // Splits r in two by the binned surface area heuristic, or at the median
    // when no axis separates the centres (duplicated triangles).
    void split(const Range &r, Range &left, Range &right)
    {
        const BinMap map(r);
        BinSet binSet(map.bins);
        BinSet *bins = &binSet;
        if (r.size() < kParallelBinning)
            for (uint32_t k = r.begin; k < r.end; ++k)
                bins->add(prims[k], map);
        else
            binSet = tbb::parallel_reduce(
                tbb::blocked_range<uint32_t>(r.begin, r.end, kGrain), BinSet(map.bins),
                [&](const tbb::blocked_range<uint32_t> &part, BinSet acc) {
                    for (uint32_t k = part.begin(); k < part.end(); ++k)
                        acc.add(prims[k], map);
                    return acc;
                },
                [&](BinSet a, const BinSet &b) {
                    a.merge(b, map.bins);
                    return a;
                });

        int bestAxis = -1, bestBin = 0;
        float bestCost = INFINITY;
        for (int a = 0; a < 3; ++a)
        {
            if (map.scale[a] == 0.0f)
                continue;
            float rightArea[kMaxBins];
            uint32_t rightCount[kMaxBins];
            Bounds acc = Bounds::empty();
            uint32_t n = 0;
            for (int b = map.bins - 1; b > 0; --b)
            {
                acc.grow(bins->box[a][b]);
                n += bins->count[a][b];
                rightArea[b] = acc.halfArea();
                rightCount[b] = n;
            }
            acc = Bounds::empty();
            n = 0;
            for (int b = 0; b < map.bins - 1; ++b)
            {
                acc.grow(bins->box[a][b]);
                n += bins->count[a][b];
                if (n == 0 || rightCount[b + 1] == 0)
                    continue;
                const float cost = acc.halfArea() * blocks(n) + rightArea[b + 1] * blocks(rightCount[b + 1]);
                if (cost < bestCost)
                {
                    bestCost = cost;
                    bestAxis = a;
                    bestBin = b;
                }
            }
        }
        if (bestAxis < 0)
        {
            splitMedian(r, left, right);
            return;
        }
        const PrimRef *mid = std::partition(prims.data() + r.begin, prims.data() + r.end, [&](const PrimRef &p) {
            return map.bin(bestAxis, p.lo[bestAxis] + p.hi[bestAxis]) <= bestBin;
        });
        left = Range();
        right = Range();
        left.begin = r.begin;
        left.end = right.begin = uint32_t(mid - prims.data());
        right.end = r.end;
        for (int b = 0; b < map.bins; ++b)
        {
            Range &side = b <= bestBin ? left : right;
            side.box.grow(bins->box[bestAxis][b]);
            side.centroids.grow(bins->centroids[bestAxis][b]);
        }
    }

    // Builds the node for a range of more than kMaxLeafSize boxes: splits it
    // until it has four parts (always splitting the part with the largest
    // area) or no part is too big for a leaf, then builds the parts.
    uint32_t buildNode(const Range &r, int depth)
    {
        Range parts[4];
        parts[0] = r;
        int count = 1;
        while (count < 4)
        {
            int pick = -1;
            float largest = -1.0f;
            for (int i = 0; i < count; ++i)
                if (parts[i].size() > kMaxLeafSize && parts[i].box.halfArea() > largest)
                {
                    largest = parts[i].box.halfArea();
                    pick = i;
                }
            if (pick < 0)
                break;
            Range a, b;
            if (depth < kHeuristicDepth)
                split(parts[pick], a, b);
            else
                splitMedian(parts[pick], a, b);
            parts[pick] = a;
            parts[count++] = b;
        }

        const uint32_t index = nodeCount++;
        uint32_t refs[4] = {kEmptyChild, kEmptyChild, kEmptyChild, kEmptyChild};
        tbb::task_group group;
        for (int i = 0; i < count; ++i)
        {
            if (parts[i].size() <= kMaxLeafSize)
                refs[i] = makeLeafRef(parts[i].begin, parts[i].size());
            else if (parts[i].size() >= kParallelSubtree)
                group.run([this, &parts, &refs, i, depth] { refs[i] = buildNode(parts[i], depth + 1); });
            else
                refs[i] = buildNode(parts[i], depth + 1);
        }
        group.wait();

        BvhNode &node = nodes[index];
        for (int i = 0; i < 4; ++i)
        {
            alignas(16) float lo[4] = {INFINITY, INFINITY, INFINITY, INFINITY};
            alignas(16) float hi[4] = {-INFINITY, -INFINITY, -INFINITY, -INFINITY};
            if (i < count)
            {
                parts[i].box.lo.store(lo);
                parts[i].box.hi.store(hi);
            }
            for (int c = 0; c < 3; ++c)
            {
                node.bounds[2 * c][i] = lo[c];
                node.bounds[2 * c + 1][i] = hi[c];
            }
            node.child[i] = refs[i];
        }
        return index;
    }
};

}  // namespace

BvhLayout buildBvh(const std::vector<TriangleBox> &boxes)
{
    BvhLayout layout;
    const uint32_t n = uint32_t(boxes.size());
    if (n == 0)
        return layout;

    Builder builder;
    builder.prims.resize(n);
    tbb::parallel_for(tbb::blocked_range<uint32_t>(0, n, kGrain), [&](const tbb::blocked_range<uint32_t> &part) {
        for (uint32_t k = part.begin(); k < part.end(); ++k)
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
    Range all;
    all.end = n;
    builder.computeBounds(all);
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
        // Every node has four parts unless all its parts are leaves, and such
        // a node holds at least kMaxLeafSize + 1 boxes: that allows fewer than
        // n / 2 + 1 nodes.
        builder.nodes.reset(new BvhNode[n / 2 + 1]);
        layout.root = builder.buildNode(all, 0);
        layout.nodes.assign(builder.nodes.get(), builder.nodes.get() + builder.nodeCount.load());
    }
    layout.order.resize(n);
    for (uint32_t k = 0; k < n; ++k)
        layout.order[k] = builder.prims[k].id();
    return layout;
}
