#include "accel/triangle_batch.h"

#include <algorithm>
#include <limits>

namespace
{

Vec4x3 broadcast3(const UT_Vector3 &v)
{
    return {Float4::broadcast(v.x()), Float4::broadcast(v.y()), Float4::broadcast(v.z())};
}

// safeNormalize in four lanes. Every lane computes the square root and the
// reciprocal, and the lanes that the scalar rule leaves alone (squared length
// at most 2^-126, or squared length or length exactly 1) take their input
// back; the selected values are those the scalar code would produce.
Vec4x3 safeNormalize4(const Vec4x3 &v)
{
    const Float4 len2 = dot4(v, v);
    const Float4 one = Float4::broadcast(1.0f);
    const Float4 len = sqrt4(len2);
    const Mask4 keep = (len2 <= Float4::broadcast(std::numeric_limits<float>::min())) | (len2 == one) | (len == one);
    const Float4 inv = one / len;
    return {select(keep, v.x, v.x * inv), select(keep, v.y, v.y * inv), select(keep, v.z, v.z * inv)};
}

// s*u + (base - apex) with s = (apex - base).u: the altitude vector from apex
// to the line through base along u.
Vec4x3 altitude4(const Vec4x3 &apex, const Vec4x3 &base, const Vec4x3 &u)
{
    const Float4 s = dot4(apex - base, u);
    return {s * u.x + (base.x - apex.x), s * u.y + (base.y - apex.y), s * u.z + (base.z - apex.z)};
}

Float4 altitudeWeight4(const Vec4x3 &q, const Vec4x3 &corner, const Vec4x3 &next, const Vec4x3 &a)
{
    return Float4::broadcast(1.0f) - dot4(q - corner, a) / dot4(next - corner, a);
}

// Inclusive 0 <= w <= 1; a NaN weight fails.
Mask4 unitInterval(Float4 w) { return (Float4::broadcast(0.0f) <= w) & (w <= Float4::broadcast(1.0f)); }

}  // namespace

ExactRay makeExactRay(const UT_Vector3 &origin, const UT_Vector3 &direction)
{
    ExactRay ray;
    ray.origin = origin;
    ray.direction = direction;
    ray.unit = direction;
    safeNormalize(ray.unit);
    ray.origin4 = broadcast3(origin);
    ray.direction4 = broadcast3(direction);
    ray.unit4 = broadcast3(ray.unit);
    return ray;
}

bool testTriangleBatch(const PackedTriangle *triangles, int count, const ExactRay &ray, BestHit &best)
{
    // Each triangle's nine corner floats are read as three overlapping rows
    // of four (floats 0-3, 4-7 and 5-8) and transposed into lanes. Unused lanes read
    // a triangle with all corners at zero: its front-face normal is zero, so
    // it is never met.
    static const PackedTriangle kNone = [] {
        PackedTriangle none;
        std::fill(none.corner, none.corner + 9, 0.0f);
        none.position = 0;
        return none;
    }();
    const PackedTriangle *source[4];
    for (int lane = 0; lane < 4; ++lane)
        source[lane] = lane < count ? &triangles[lane] : &kNone;
    Float4 r0[4], r1[4], r2[4];
    for (int lane = 0; lane < 4; ++lane)
    {
        r0[lane] = Float4::load(source[lane]->corner);      // p0x p0y p0z p1x
        r1[lane] = Float4::load(source[lane]->corner + 4);  // p1y p1z p2x p2y
        r2[lane] = Float4::load(source[lane]->corner + 5);  // p1z p2x p2y p2z
    }
    transpose4(r0[0], r0[1], r0[2], r0[3]);
    transpose4(r1[0], r1[1], r1[2], r1[3]);
    transpose4(r2[0], r2[1], r2[2], r2[3]);
    const Vec4x3 p0 = {r0[0], r0[1], r0[2]};
    const Vec4x3 p1 = {r0[3], r1[0], r1[1]};
    const Vec4x3 p2 = {r1[2], r1[3], r2[3]};

    // Front face: m = (P2 - P0) x (P1 - P0) and m.direction < 0.
    const Vec4x3 e1 = p1 - p0;
    const Vec4x3 e2 = p2 - p0;
    const Vec4x3 m = cross4(e2, e1);
    const Float4 den = dot4(m, ray.direction4);
    // Plane parameter. The plane normal n = (P1 - P0) x (P2 - P0) is m with
    // every nonzero component negated exactly (IEEE rounding is symmetric and
    // the products commute), so (O - P0).n and n.direction are the negations
    // of the sums below whenever those are nonzero; the quotient is then
    // bit-identical. When (O - P0).m is zero, either sign of zero gives a t
    // that is not below 0, as with n; the front-face test makes den nonzero.
    const Float4 num = dot4(ray.origin4 - p0, m);
    const Float4 t = num / den;
    const Float4 zero = Float4::broadcast(0.0f);
    Mask4 candidate = (den < zero) & (t < zero);
    if (!laneBits(candidate))
        return false;

    // Hit point along the normalised direction, then its squared distance.
    const Vec4x3 h = {ray.origin4.x - ray.unit4.x * t, ray.origin4.y - ray.unit4.y * t,
                      ray.origin4.z - ray.unit4.z * t};
    const Vec4x3 offset = ray.origin4 - h;
    const Float4 d2 = dot4(offset, offset);
    candidate = candidate & (d2 <= Float4::broadcast(best.squaredDistance));
    if (!laneBits(candidate))
        return false;

    // altitudeWeights, step for step.
    Vec4x3 u01 = safeNormalize4(p1 - p0);
    u01 = safeNormalize4(u01);
    const Vec4x3 u20 = safeNormalize4(p0 - p2);
    const Vec4x3 u12 = safeNormalize4(p2 - p1);
    const Vec4x3 a0 = altitude4(p0, p1, u12);
    const Vec4x3 a1 = altitude4(p1, p2, u20);
    const Vec4x3 a2 = altitude4(p2, p0, u01);
    const Float4 w0 = altitudeWeight4(h, p0, p1, a0);
    const Float4 w1 = altitudeWeight4(h, p1, p2, a1);
    const Float4 w2 = altitudeWeight4(h, p2, p0, a2);
    candidate = candidate & unitInterval(w0) & unitInterval(w1) & unitInterval(w2);
    int lanes = laneBits(candidate);
    if (!lanes)
        return false;

    alignas(16) float out[7][4];
    h.x.store(out[0]);
    h.y.store(out[1]);
    h.z.store(out[2]);
    w0.store(out[3]);
    w1.store(out[4]);
    w2.store(out[5]);
    d2.store(out[6]);
    bool changed = false;
    for (int lane = 0; lanes; ++lane, lanes >>= 1)
    {
        if (!(lanes & 1) || !best.beatenBy(out[6][lane], triangles[lane].position))
            continue;
        best.squaredDistance = out[6][lane];
        best.position = triangles[lane].position;
        best.hit.point = UT_Vector3(out[0][lane], out[1][lane], out[2][lane]);
        best.hit.weights = UT_Vector3(out[3][lane], out[4][lane], out[5][lane]);
        best.hit.squaredDistance = out[6][lane];
        changed = true;
    }
    return changed;
}

bool testTriangles(const PackedTriangle *triangles, size_t count, const ExactRay &ray, BestHit &best)
{
    bool changed = false;
    for (size_t first = 0; first < count; first += 4)
    {
        const int batch = count - first < 4 ? int(count - first) : 4;
        changed |= testTriangleBatch(triangles + first, batch, ray, best);
    }
    return changed;
}
