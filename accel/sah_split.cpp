#include "accel/sah_split.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>

namespace
{

constexpr int kMaxBins = 32;
constexpr uint32_t kParallelBinning = 1u << 14;  // ranges binned by several threads
constexpr uint32_t kGrain = 4096;

// Every part of a reduction keeps a partial result (a bin set is 6.5 kB), so
// large ranges are cut into at most 256 parts. Bounds, bins and counts join
// exactly in any grouping: the result does not depend on the cut.
size_t reduceGrain(const PrimRange &r) { return std::max<size_t>(kGrain, r.size() / 256); }

float lane(Float4 v, int i)
{
    alignas(16) float f[4];
    v.store(f);
    return f[i];
}

// Cost of a part: the exact test handles four triangles at a time.
float blocks(uint32_t n) { return float((n + 3) / 4); }

// Maps a centre to its bin along each axis; an axis without extent (or one
// too small to scale) gets no bins. Fewer bins for small ranges: their
// setup would otherwise cost more than the binning.
struct BinMap
{
    int bins;
    float base[3];
    float scale[3];

    explicit BinMap(const PrimRange &r) : bins(std::min<int>(kMaxBins, std::max<int>(4, int(r.size() / 4))))
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

void addToBounds(const std::vector<PrimRef> &prims, uint32_t begin, uint32_t end, PrimRange &r)
{
    for (uint32_t k = begin; k < end; ++k)
    {
        const Float4 l = Float4::load(prims[k].lo), h = Float4::load(prims[k].hi);
        r.box.grow(l, h);
        r.centroids.grow(l + h, l + h);
    }
}

}  // namespace

float Bounds::halfArea() const
{
    alignas(16) float d[4];
    (hi - lo).store(d);
    return d[0] < 0.0f ? 0.0f : d[0] * d[1] + d[1] * d[2] + d[2] * d[0];
}

float Bounds::lower(int axis) const { return lane(lo, axis); }
float Bounds::extent(int axis) const { return lane(hi, axis) - lane(lo, axis); }

void computeBounds(const std::vector<PrimRef> &prims, PrimRange &r)
{
    r.box = Bounds::empty();
    r.centroids = Bounds::empty();
    if (r.size() < kParallelBinning)
    {
        addToBounds(prims, r.begin, r.end, r);
        return;
    }
    r = UTparallelReduce(
        r.begin, r.end, reduceGrain(r), r,
        [&](size_t begin, size_t end, PrimRange acc) {
            addToBounds(prims, uint32_t(begin), uint32_t(end), acc);
            return acc;
        },
        [](PrimRange a, const PrimRange &b) {
            a.box.grow(b.box);
            a.centroids.grow(b.centroids);
            return a;
        });
}

void splitMedian(std::vector<PrimRef> &prims, const PrimRange &r, PrimRange &left, PrimRange &right)
{
    int axis = 0;
    for (int c = 1; c < 3; ++c)
        if (r.centroids.extent(c) > r.centroids.extent(axis))
            axis = c;
    PrimRef *first = prims.data() + r.begin;
    std::nth_element(first, first + r.size() / 2, prims.data() + r.end, [axis](const PrimRef &a, const PrimRef &b) {
        return a.lo[axis] + a.hi[axis] < b.lo[axis] + b.hi[axis];
    });
    left = PrimRange();
    right = PrimRange();
    left.begin = r.begin;
    left.end = right.begin = r.begin + r.size() / 2;
    right.end = r.end;
    computeBounds(prims, left);
    computeBounds(prims, right);
}

void splitBinned(std::vector<PrimRef> &prims, const PrimRange &r, PrimRange &left, PrimRange &right)
{
    const BinMap map(r);
    BinSet binSet(map.bins);
    BinSet *bins = &binSet;
    if (r.size() < kParallelBinning)
        for (uint32_t k = r.begin; k < r.end; ++k)
            bins->add(prims[k], map);
    else
        binSet = UTparallelReduce(
            r.begin, r.end, reduceGrain(r), BinSet(map.bins),
            [&](size_t begin, size_t end, BinSet acc) {
                for (uint32_t k = uint32_t(begin); k < uint32_t(end); ++k)
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
        splitMedian(prims, r, left, right);
        return;
    }
    const PrimRef *mid = std::partition(prims.data() + r.begin, prims.data() + r.end, [&](const PrimRef &p) {
        return map.bin(bestAxis, p.lo[bestAxis] + p.hi[bestAxis]) <= bestBin;
    });
    left = PrimRange();
    right = PrimRange();
    left.begin = r.begin;
    left.end = right.begin = uint32_t(mid - prims.data());
    right.end = r.end;
    for (int b = 0; b < map.bins; ++b)
    {
        PrimRange &side = b <= bestBin ? left : right;
        side.box.grow(bins->box[bestAxis][b]);
        side.centroids.grow(bins->centroids[bestAxis][b]);
    }
}
