#include "accel/collider_bvh.h"

#include "accel/bvh_walk.h"
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

}  // namespace

bool ColliderBvh::build(std::vector<Triangle> triangles, std::vector<int64_t> primitiveIndex)
{
    *this = ColliderBvh();
    myNodeTestWidth = widestNodeTest();
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
        // The records are by primitive; list positions name primitives only
        // when the structure maps i to i.
        const char *records = myPrimitiveIndex.empty() ? myHitRecords : nullptr;
        walkBvh({myNodes.data(), myTriangles.data(), myRoot, records, myHitRecordSize}, myNodeTestWidth, ray, best);
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

void ColliderBvh::setHitRecords(const void *records, size_t size)
{
    myHitRecords = static_cast<const char *>(records);
    myHitRecordSize = records ? size : 0;
}

void ColliderBvh::setNodeTestWidth(NodeTestWidth width)
{
    myNodeTestWidth = width == NodeTestWidth::Eight ? widestNodeTest() : NodeTestWidth::Four;
}

size_t ColliderBvh::memoryBytes() const
{
    return sizeof(*this) + myNodes.capacity() * sizeof(BvhNode) + myTriangles.capacity() * sizeof(PackedTriangle) +
           myAlwaysTested.capacity() * sizeof(PackedTriangle) + myPrimitiveIndex.capacity() * sizeof(int64_t);
}
