#include "accel/collider_bvh.h"

#include "accel/facing_cone.h"
#include "accel/traversal_ray.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{

constexpr size_t kGrain = 4096;

bool isIdentity(const std::vector<int64_t> &index)
{
    for (size_t i = 0; i < index.size(); ++i)
        if (index[i] != int64_t(i))
            return false;
    return true;
}

// The ray's terms for the SIMD slab tests, refreshed when its reach changes.
struct SlabTerms
{
    Float4 inverse[3];
    Float4 nearShift[3];
    Float4 farShift[3];
    Float4 reach;

    explicit SlabTerms(const TraversalRay &ray)
    {
        for (int c = 0; c < 3; ++c)
        {
            inverse[c] = Float4::broadcast(ray.inverse[c]);
            nearShift[c] = Float4::broadcast(ray.nearShift[c]);
            farShift[c] = Float4::broadcast(ray.farShift[c]);
        }
        reach = Float4::broadcast(ray.reach);
    }
};

// Leaves are at most 68 levels deep (bvh_builder.cpp) and each level leaves
// at most kNodeWidth - 1 siblings on the stack.
constexpr int kStackSize = 68 * (kNodeWidth - 1) + 1;

}  // namespace

bool ColliderBvh::build(std::vector<Triangle> triangles, std::vector<int64_t> primitiveIndex)
{
    *this = ColliderBvh();
    if ((!primitiveIndex.empty() && primitiveIndex.size() != triangles.size()) || triangles.size() >= kMaxLeafSlots)
        return false;

    // Classify in parallel, straight into the box array the builder reads;
    // the arrays are left uninitialised, since every entry is written once.
    const size_t n = triangles.size();
    std::unique_ptr<TriangleBox[]> boxes(new TriangleBox[n]);
    std::unique_ptr<TriangleFate[]> fates(new TriangleFate[n]);
    UTparallelFor(0, n, kGrain, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i)
        {
            const TriangleClass c = classifyTriangle(triangles[i]);
            fates[i] = c.fate;
            boxes[i] = c.box;
        }
    });
    // Usually every triangle is bounded; otherwise close the gaps, keeping
    // the list position of each bounded box.
    std::vector<uint32_t> bounded;
    size_t count = 0;
    for (size_t i = 0; i < n; ++i)
    {
        if (fates[i] == TriangleFate::Bounded)
        {
            if (count != i && bounded.empty())
                for (uint32_t k = 0; k < count; ++k)
                    bounded.push_back(k);
            if (count != i)
                bounded.push_back(uint32_t(i));
            boxes[count++] = boxes[i];
        }
        else if (fates[i] == TriangleFate::AlwaysTest)
            myAlwaysTested.push_back(packTriangle(triangles[i], int32_t(i)));
    }
    fates.reset();
    myAlwaysTested.shrink_to_fit();
    const auto listPosition = [&](uint32_t slot) { return bounded.empty() ? slot : bounded[slot]; };

    BvhLayout layout = buildBvh(boxes.get(), uint32_t(count));
    boxes.reset();
    myNodes = std::move(layout.nodes);
    myRoot = layout.root;
    myRootBox = layout.rootBox;
    double radius2 = 0.0;
    for (int c = 0; c < 3; ++c)
    {
        const double extreme = std::max(std::fabs(double(myRootBox.lo[c])), std::fabs(double(myRootBox.hi[c])));
        radius2 += extreme * extreme;
    }
    myCornerRadius = count ? std::sqrt(radius2) : 0.0;
    myTriangles.resize(count);
    UTparallelFor(0, count, kGrain, [&](size_t begin, size_t end) {
        for (size_t k = begin; k < end; ++k)
        {
            const uint32_t i = listPosition(layout.order[k]);
            myTriangles[k] = packTriangle(triangles[i], int32_t(i));
        }
    });
    if (!myNodes.empty())
        setFacingCones(myNodes.data(), myRoot, myTriangles.data(), true);
    if (!isIdentity(primitiveIndex))
        myPrimitiveIndex = std::move(primitiveIndex);
    return true;
}

bool ColliderBvh::nearestHit(const UT_Vector3 &origin, const UT_Vector3 &direction, NearestHit &out) const
{
    // A zero direction faces no triangle: m.0 is zero (or NaN), never below 0.
    if (direction.x() == 0.0f && direction.y() == 0.0f && direction.z() == 0.0f)
        return false;

    BestHit best;
    TraversalRay ray;
    if (prepareTraversal(origin, direction, myCornerRadius, ray))
    {
        if (!myAlwaysTested.empty() && testTriangles(myAlwaysTested.data(), myAlwaysTested.size(), ray.exact, best))
        {
            const double reach = reachForSquaredDistance(ray, best.squaredDistance);
            if (reach < ray.reach)
                setReach(ray, reach);
        }
        traverse(ray, best);
    }
    else
    {
        // Outside the rays the margins are derived for: test everything. The
        // order does not matter, ties are settled by list position.
        const ExactRay exact = makeExactRay(origin, direction);
        testTriangles(myAlwaysTested.data(), myAlwaysTested.size(), exact, best);
        testTriangles(myTriangles.data(), myTriangles.size(), exact, best);
    }
    if (!best.found())
        return false;
    out.primitive = myPrimitiveIndex.empty() ? int64_t(best.position) : myPrimitiveIndex[size_t(best.position)];
    out.hit = best.hit;
    return true;
}

void ColliderBvh::traverse(TraversalRay &ray, BestHit &best) const
{
    if (myRoot == kEmptyChild)
        return;
    // The scene's own box is not tested: the reach already ends where the ray
    // leaves the ball around it, and a ray that misses the box misses every
    // child of the root.
    SlabTerms slab(ray);
    // Fetches the lines of a child about to be visited while the walk goes
    // on (a lambda, so that it is inlined into the loop).
    const auto prefetchRef = [this](uint32_t ref) {
        if (!isLeafRef(ref))
        {
            const char *node = reinterpret_cast<const char *>(&myNodes[ref]);
            for (size_t offset = 0; offset < sizeof(BvhNode); offset += 64)
                prefetch(node + offset);
        }
        else if (ref != kEmptyChild)
        {
            // Every line the leaf touches: its triangles need not start on
            // a line, so step from the line that holds the first byte.
            const uintptr_t first = reinterpret_cast<uintptr_t>(&myTriangles[leafFirst(ref)]);
            const uintptr_t end = first + leafCount(ref) * sizeof(PackedTriangle);
            for (uintptr_t line = first & ~uintptr_t(63); line < end; line += 64)
                prefetch(reinterpret_cast<const void *>(line));
        }
    };

    struct Entry
    {
        uint32_t ref;
        float entry;
    };
    Entry stack[kStackSize];
    int top = 0;
    stack[top++] = {myRoot, 0.0f};
    const Float4 zero = Float4::broadcast(0.0f);
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
            const BvhNode &node = myNodes[ref];
            // Slab tests of the children, four SIMD lanes at a time.
            alignas(16) float entries[kNodeWidth];
            int lanes = 0;
            int inside = 0;  // children whose segment starts at 0
            for (int group = 0; group < kNodeWidth; group += 4)
            {
                Float4 near = zero;
                Float4 far = slab.reach;
                for (int c = 0; c < 3; ++c)
                {
                    const int row = ray.nearRow[c];
                    const Float4 nearPlane = Float4::load(node.bounds[row] + group);
                    const Float4 farPlane = Float4::load(node.bounds[row ^ 1] + group);
                    near = max4(near, nearPlane * slab.inverse[c] - slab.nearShift[c]);
                    far = min4(far, farPlane * slab.inverse[c] - slab.farShift[c]);
                }
                near.store(entries + group);
                lanes |= laneBits(near <= far) << group;
                inside |= laneBits(near <= zero) << group;
            }
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
                prefetchRef(ref);
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
                prefetchRef(hits[k].ref);
            }
            ref = hits[count - 1].ref;
            prefetchRef(ref);
        }
        if (ref == kEmptyChild)
            continue;
        if (testTriangles(&myTriangles[leafFirst(ref)], leafCount(ref), ray.exact, best))
        {
            const double reach = reachForSquaredDistance(ray, best.squaredDistance);
            if (reach < ray.reach)
            {
                setReach(ray, reach);
                slab = SlabTerms(ray);
            }
        }
    }
}

size_t ColliderBvh::memoryBytes() const
{
    return sizeof(*this) + myNodes.capacity() * sizeof(BvhNode) + myTriangles.capacity() * sizeof(PackedTriangle) +
           myAlwaysTested.capacity() * sizeof(PackedTriangle) + myPrimitiveIndex.capacity() * sizeof(int64_t);
}
