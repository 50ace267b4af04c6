#include "accel/facing_cone.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kHalfPi = 1.5707963267948966;
// Allowance of the front-face test's rounding, in radians (see the header).
constexpr double kFacingMargin = 0x1p-16;
// Added to every angle computed in double, against its rounding.
constexpr double kAngleRounding = 1e-12;

double length(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// Cones wider than this (about 78 degrees) are not worth keeping: hardly a
// direction would pass them.
constexpr double kMinCosine = 0.2;

void normalized(const double v[3], double out[3])
{
    const double len = length(v);
    for (int c = 0; c < 3; ++c)
        out[c] = v[c] / len;
}

// The sine of the angle between unit vectors a and b, or 2 (no angle) when
// the angle may exceed acos(kMinCosine). Below that the sine fixes the angle
// well (asin's slope stays below 5), also for small angles, where the cosine
// would not.
double sineBetween(const double a[3], const double b[3])
{
    if (!(a[0] * b[0] + a[1] * b[1] + a[2] * b[2] > kMinCosine))
        return 2.0;
    const double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    return length(c);
}

// The angle whose sine sineBetween gave, rounded up; kNoCone for none.
double angleFromSine(double sine) { return sine > 1.0 ? kNoCone : std::asin(sine) + kAngleRounding; }

// The normal m = (P2 - P0) x (P1 - P0) exactly as the front-face test
// computes it in float, widened to double.
void floatNormal(const PackedTriangle &t, double m[3])
{
    const float *p = t.corner;
    const float e1[3] = {p[3] - p[0], p[4] - p[1], p[5] - p[2]};
    const float e2[3] = {p[6] - p[0], p[7] - p[1], p[8] - p[2]};
    m[0] = double(e2[1] * e1[2] - e2[2] * e1[1]);
    m[1] = double(e2[2] * e1[0] - e2[0] * e1[2]);
    m[2] = double(e2[0] * e1[1] - e2[1] * e1[0]);
}

}  // namespace

FacingCone coneOfTriangles(const PackedTriangle *triangles, size_t count)
{
    FacingCone cone{{0.0, 0.0, 0.0}, kNoCone};
    if (count > kMaxLeafSize)
        return cone;
    double unit[kMaxLeafSize][3];
    for (size_t k = 0; k < count; ++k)
    {
        double m[3];
        floatNormal(triangles[k], m);
        const double len = length(m);
        // Triangles in the hierarchy have finite, nonzero float normals.
        if (!(len > 0.0) || !std::isfinite(len))
            return cone;
        for (int c = 0; c < 3; ++c)
        {
            unit[k][c] = m[c] / len;
            cone.sum[c] += unit[k][c];
        }
    }
    if (!(length(cone.sum) > 0.0))
        return cone;
    double axis[3];
    normalized(cone.sum, axis);
    double sine = 0.0;
    for (size_t k = 0; k < count; ++k)
        sine = std::max(sine, sineBetween(unit[k], axis));
    cone.angle = angleFromSine(sine);
    return cone;
}

FacingCone mergeCones(const FacingCone *cones, int count)
{
    FacingCone merged{{0.0, 0.0, 0.0}, 0.0};
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            merged.sum[c] += cones[i].sum[c];
    if (!(length(merged.sum) > 0.0))
    {
        merged.angle = kNoCone;
        return merged;
    }
    double axis[3];
    normalized(merged.sum, axis);
    for (int i = 0; i < count && merged.angle < kNoCone; ++i)
    {
        if (cones[i].angle >= kNoCone || !(length(cones[i].sum) > 0.0))
        {
            merged.angle = kNoCone;
            break;
        }
        double own[3];
        normalized(cones[i].sum, own);
        merged.angle = std::max(merged.angle, angleFromSine(sineBetween(own, axis)) + cones[i].angle);
    }
    return merged;
}

void storeCone(BvhNode &node, int child, const FacingCone &cone)
{
    for (int c = 0; c < 3; ++c)
        node.coneAxis[c][child] = 0;
    node.coneLimit[child] = kNoConeLimit;
    if (cone.angle >= kHalfPi)
        return;
    // The axis as integers, its largest component 127.
    const double largest = std::max({std::fabs(cone.sum[0]), std::fabs(cone.sum[1]), std::fabs(cone.sum[2])});
    double q[3], axis[3], unitQ[3];
    for (int c = 0; c < 3; ++c)
        q[c] = std::round(127.0 * cone.sum[c] / largest);
    normalized(cone.sum, axis);
    normalized(q, unitQ);
    const double total = cone.angle + angleFromSine(sineBetween(axis, unitQ)) + kFacingMargin;
    if (total >= kHalfPi)
        return;
    // A float q.d above the limit means q.d/(|q||d|) above sin(total): the
    // factor covers |d| up to 1 + 2^-10 and 2^-20 the rounding of q.d.
    const double limit = std::ceil(length(q) * (1.0 + 0x1p-9) * (std::sin(total) + 0x1p-20));
    if (limit >= double(kNoConeLimit))
        return;
    for (int c = 0; c < 3; ++c)
        node.coneAxis[c][child] = int8_t(q[c]);
    node.coneLimit[child] = uint8_t(std::max(1.0, limit));
}

FacingCone setFacingCones(BvhNode *nodes, uint32_t ref, const PackedTriangle *triangles, bool parallel)
{
    if (isLeafRef(ref))
        return coneOfTriangles(triangles + leafFirst(ref), leafCount(ref));
    BvhNode &node = nodes[ref];
    // Children first (the root's on several threads: each holds thousands
    // of triangles), then the node's own cones, in slot order.
    FacingCone cones[kNodeWidth];
    const auto childCones = [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i)
            cones[i] = node.child[i] == kEmptyChild ? FacingCone{{0.0, 0.0, 0.0}, kNoCone}
                                                    : setFacingCones(nodes, node.child[i], triangles, false);
    };
    if (parallel)
        UTparallelFor(0, size_t(kNodeWidth), 1, childCones);
    else
        childCones(0, size_t(kNodeWidth));
    int count = 0;
    for (int i = 0; i < kNodeWidth; ++i)
    {
        storeCone(node, i, cones[i]);
        if (node.child[i] != kEmptyChild)
            cones[count++] = cones[i];
    }
    return mergeCones(cones, count);
}
