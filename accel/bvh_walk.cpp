#include "accel/bvh_walk.h"

#include "accel/child_slabs.h"
#include "accel/facing_cone.h"
#include "accel/triangle_lanes.h"

namespace
{

// Leaves are at most 68 levels deep (bvh_builder.cpp) and each level leaves
// at most kNodeWidth - 1 siblings on the stack.
constexpr int kStackSize = 68 * (kNodeWidth - 1) + 1;

// Fetches the lines of a child about to be visited while the walk goes on.
inline void prefetchChild(const BvhView &view, uint32_t ref)
{
    if (!isLeafRef(ref))
    {
        const char *node = reinterpret_cast<const char *>(&view.nodes[ref]);
        for (size_t offset = 0; offset < sizeof(BvhNode); offset += 64)
            prefetch(node + offset);
    }
    else if (ref != kEmptyChild)
    {
        // Every line the leaf touches: its triangles need not start on a
        // line, so step from the line that holds the first byte.
        const uintptr_t first = reinterpret_cast<uintptr_t>(&view.triangles[leafFirst(ref)]);
        const uintptr_t end = first + leafCount(ref) * sizeof(PackedTriangle);
        for (uintptr_t line = first & ~uintptr_t(63); line < end; line += 64)
            prefetch(reinterpret_cast<const void *>(line));
    }
}

// The walk, for either width of child test. Always inlined into its two
// callers, so that the wide one is compiled, child tests included, for the
// wider instruction set alone.
using LeafTest = bool (*)(const PackedTriangle *triangles, size_t count, const ExactRay &ray, BestHit &best);

template <class ChildSlabs, LeafTest testLeaf>
__attribute__((always_inline)) inline void walk(const BvhView &view, TraversalRay &ray, BestHit &best)
{
    if (view.root == kEmptyChild)
        return;
    // The scene's own box is not tested: the reach already ends where the ray
    // leaves the ball around it, and a ray that misses the box misses every
    // child of the root.
    ChildSlabs slabs;
    slabs.set(ray);

    struct Entry
    {
        uint32_t ref;
        float entry;
    };
    Entry stack[kStackSize];
    int top = 0;
    stack[top++] = {view.root, 0.0f};
    const float direction[3] = {ray.exact.direction.x(), ray.exact.direction.y(), ray.exact.direction.z()};
    while (top > 0)
    {
        const Entry popped = stack[--top];
        // Entries were computed with margins at least as wide as today's.
        if (popped.entry > ray.reach)
            continue;
        uint32_t ref = popped.ref;
        while (!isLeafRef(ref))
        {
            const BvhNode &node = view.nodes[ref];
            float entries[kNodeWidth];
            int inside = 0;  // children whose segment starts at 0
            int lanes = slabs.test(node, entries, inside);
            // Children whose triangles all face away cannot be met. A ray
            // leaving a surface starts inside the boxes around its origin,
            // whose triangles face away from it; elsewhere the cones would
            // rarely skip a child, so only children that hold the start of
            // the segment are asked.
            for (int bits = lanes & inside; bits; bits &= bits - 1)
            {
                const int i = lowestLane(bits);
                if (node.coneLimit[i] != kNoConeLimit && facesAway(node, i, direction))
                    lanes &= ~(1 << i);
            }
            if (!lanes)
            {
                ref = kEmptyChild;
                break;
            }
            // Go on with the nearest child; leave the others on the stack,
            // farther ones deeper. One or two children are the common cases.
            const int first = lowestLane(lanes);
            lanes &= lanes - 1;
            if (!lanes)
            {
                ref = node.child[first];
                prefetchChild(view, ref);
                continue;
            }
            Entry hits[kNodeWidth];
            int count = 0;
            hits[count++] = {node.child[first], entries[first]};
            for (; lanes; lanes &= lanes - 1)
            {
                const int i = lowestLane(lanes);
                const Entry e{node.child[i], entries[i]};
                int k = count++;
                for (; k > 0 && hits[k - 1].entry < e.entry; --k)
                    hits[k] = hits[k - 1];
                hits[k] = e;
            }
            for (int k = 0; k < count - 1; ++k)
            {
                stack[top++] = hits[k];
                prefetchChild(view, hits[k].ref);
            }
            ref = hits[count - 1].ref;
            prefetchChild(view, ref);
        }
        if (ref == kEmptyChild)
            continue;
        if (testLeaf(&view.triangles[leafFirst(ref)], leafCount(ref), ray.exact, best))
        {
            if (view.hitRecords)
            {
                const char *record = view.hitRecords + size_t(best.position) * view.hitRecordSize;
                __builtin_prefetch(record);
                __builtin_prefetch(record + view.hitRecordSize - 1);
            }
            const double reach = reachForSquaredDistance(ray, best.squaredDistance);
            if (reach < ray.reach)
            {
                setReach(ray, reach);
                slabs.set(ray);
            }
        }
    }
}

void walkFour(const BvhView &view, TraversalRay &ray, BestHit &best)
{
    walk<NarrowChildSlabs, testTriangles>(view, ray, best);
}

#if defined(VELKOR_ACCEL_AVX2)
// A leaf holds at most eight triangles: one batch of eight lanes, inlined
// into the wide walk.
bool testLeafOfEight(const PackedTriangle *triangles, size_t count, const ExactRay &ray, BestHit &best)
{
    static_assert(kMaxLeafSize == 8, "a leaf fits the lanes");
    return testLanes<EightLanes>(triangles, int(count), ray, best);
}

__attribute__((target("avx2"), flatten)) void walkEight(const BvhView &view, TraversalRay &ray, BestHit &best)
{
    walk<WideChildSlabs, testLeafOfEight>(view, ray, best);
}
#endif

}  // namespace

NodeTestWidth widestNodeTest()
{
#if defined(VELKOR_ACCEL_AVX2)
    // Also false where the system does not save the AVX registers.
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    if (avx2)
        return NodeTestWidth::Eight;
#endif
    return NodeTestWidth::Four;
}

void walkBvh(const BvhView &view, NodeTestWidth width, TraversalRay &ray, BestHit &best)
{
#if defined(VELKOR_ACCEL_AVX2)
    if (width == NodeTestWidth::Eight)
    {
        walkEight(view, ray, best);
        return;
    }
#else
    (void)width;
#endif
    walkFour(view, ray, best);
}
