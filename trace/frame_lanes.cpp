#include "trace/frame_lanes.h"

#include "accel/float4.h"

#include <limits>

namespace
{

// safeNormalize in every lane: a lane whose squared length is at most the
// smallest normal float, or whose squared length or length is exactly 1,
// keeps its value; any other is multiplied by the reciprocal of its length.
void safeNormalize4(Vec4x3 &v)
{
    const Float4 one = Float4::broadcast(1.0f);
    const Float4 len2 = dot4(v, v);
    const Float4 len = sqrt4(len2);
    const Mask4 keep = (len2 <= Float4::broadcast(std::numeric_limits<float>::min())) | (len2 == one) | (len == one);
    const Float4 inv = one / len;
    v.x = select(keep, v.x, v.x * inv);
    v.y = select(keep, v.y, v.y * inv);
    v.z = select(keep, v.z, v.z * inv);
}

// Lanes whose three components are all finite. Only those are sure of the
// scalar bits: from finite components no step makes a NaN, and without NaN
// every product and sum has one result whichever operand comes first. An
// infinite or NaN component makes NaNs, whose sign and payload follow the
// operand order the compiler picked for the scalar code; those directions
// take the scalar steps themselves.
Mask4 finiteLanes(const Vec4x3 &v)
{
    const Float4 zero = Float4::broadcast(0.0f);
    return ((v.x - v.x) == zero) & ((v.y - v.y) == zero) & ((v.z - v.z) == zero);
}

// frameParts of four directions, given as lanes.
void frameParts4(const Vec4x3 &direction, Float4 &cosine, Vec4x3 &axis)
{
    const Float4 zero = Float4::broadcast(0.0f);
    const Float4 one = Float4::broadcast(1.0f);
    const Vec4x3 up{zero, zero, one};
    // +Z is its own normalisation; the direction's is taken, then the dot
    // product with +Z, clamped to [-1, 1] with NaN left as it is.
    Vec4x3 normalised = direction;
    safeNormalize4(normalised);
    cosine = dot4(up, normalised);
    cosine = select(one < cosine, one, cosine);
    const Float4 minusOne = Float4::broadcast(-1.0f);
    cosine = select(cosine < minusOne, minusOne, cosine);
    axis = cross4(up, direction);
    safeNormalize4(axis);
    safeNormalize4(axis);
}

}  // namespace

void framePartsOf(const UT_Vector3 *directions, size_t count, FrameParts *parts)
{
    for (size_t first = 0; first < count; first += 4)
    {
        const size_t n = count - first < 4 ? count - first : 4;
        // Lanes past the end take +Z, whose frame is computed and dropped.
        float x[4] = {0.0f, 0.0f, 0.0f, 0.0f}, y[4] = {0.0f, 0.0f, 0.0f, 0.0f}, z[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        for (size_t i = 0; i < n; ++i)
        {
            x[i] = directions[first + i].x();
            y[i] = directions[first + i].y();
            z[i] = directions[first + i].z();
        }
        const Vec4x3 direction{Float4::load(x), Float4::load(y), Float4::load(z)};
        Float4 cosine;
        Vec4x3 axis;
        frameParts4(direction, cosine, axis);
        float c[4], ax[4], ay[4], az[4];
        cosine.store(c);
        axis.x.store(ax);
        axis.y.store(ay);
        axis.z.store(az);
        const int finite = laneBits(finiteLanes(direction));
        for (size_t i = 0; i < n; ++i)
            if (finite & (1 << i))
                parts[first + i] = {c[i], UT_Vector3(ax[i], ay[i], az[i])};
            else
                parts[first + i] = frameParts(directions[first + i]);
    }
}
