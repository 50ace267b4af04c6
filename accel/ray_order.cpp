#include "accel/ray_order.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr int kCellBits = 7;  // per axis
constexpr uint32_t kCells = 1u << kCellBits;
constexpr int kKeyBits = 3 + 3 * kCellBits;
constexpr int kDigitBits = 8;
constexpr int kDigits = (kKeyBits + kDigitBits - 1) / kDigitBits;
constexpr uint32_t kRadix = 1u << kDigitBits;

// The cell of v, scaled from lo; never converts a NaN or an out-of-range
// float to an integer.
uint32_t cell(float v, float lo, float scale)
{
    const float q = (v - lo) * scale;
    if (!(q > 0.0f))
        return 0;
    if (q >= float(kCells - 1))
        return kCells - 1;
    return uint32_t(q);
}

// Spreads the low 10 bits of v to every third bit.
uint32_t spreadBits(uint32_t v)
{
    v &= 0x3ffu;
    v = (v | (v << 16)) & 0x030000ffu;
    v = (v | (v << 8)) & 0x0300f00fu;
    v = (v | (v << 4)) & 0x030c30c3u;
    v = (v | (v << 2)) & 0x09249249u;
    return v;
}

// Cells per unit along each axis of the box [lo, hi].
UT_Vector3 cellScales(const UT_Vector3 &lo, const UT_Vector3 &hi)
{
    UT_Vector3 scale;
    for (int c = 0; c < 3; ++c)
    {
        const float extent = hi[c] - lo[c];
        // A flat or unbounded box puts every origin in one cell along the axis.
        scale[c] = extent > 0.0f && std::isfinite(extent) ? float(kCells) / extent : 0.0f;
    }
    return scale;
}

uint32_t keyWithScales(const UT_Vector3 &origin, const UT_Vector3 &direction, const UT_Vector3 &lo,
                       const UT_Vector3 &scale)
{
    const uint32_t morton = spreadBits(cell(origin.x(), lo.x(), scale.x())) |
                            spreadBits(cell(origin.y(), lo.y(), scale.y())) << 1 |
                            spreadBits(cell(origin.z(), lo.z(), scale.z())) << 2;
    const uint32_t octant =
        uint32_t(direction.x() < 0.0f) | uint32_t(direction.y() < 0.0f) << 1 | uint32_t(direction.z() < 0.0f) << 2;
    return octant << (3 * kCellBits) | morton;
}

}  // namespace

uint32_t rayOrderKey(const UT_Vector3 &origin, const UT_Vector3 &direction, const UT_Vector3 &lo, const UT_Vector3 &hi)
{
    return keyWithScales(origin, direction, lo, cellScales(lo, hi));
}

void coherentRayOrder(const UT_Vector3 *origins, size_t originStride, const UT_Vector3 *directions, size_t count,
                      std::vector<uint32_t> &order)
{
    // The box of the finite origin components, axis by axis.
    const float most = std::numeric_limits<float>::max();
    UT_Vector3 lo(most, most, most), hi(-most, -most, -most);
    for (size_t i = 0; i < count; ++i)
    {
        const UT_Vector3 &o = origins[i * originStride];
        for (int c = 0; c < 3; ++c)
            if (std::isfinite(o[c]))
            {
                lo[c] = std::min(lo[c], o[c]);
                hi[c] = std::max(hi[c], o[c]);
            }
    }
    const UT_Vector3 scale = cellScales(lo, hi);

    // Key above, batch index below, sorted a digit at a time from the
    // lowest: each pass is stable, so equal keys keep their batch order.
    std::vector<uint64_t> keyed(count), spare(count);
    uint32_t counts[kDigits][kRadix] = {};
    for (size_t i = 0; i < count; ++i)
    {
        const uint32_t key = keyWithScales(origins[i * originStride], directions[i], lo, scale);
        keyed[i] = uint64_t(key) << 32 | uint64_t(i);
        for (int d = 0; d < kDigits; ++d)
            ++counts[d][(key >> (d * kDigitBits)) & (kRadix - 1)];
    }
    for (int d = 0; d < kDigits; ++d)
    {
        uint32_t start = 0;
        for (uint32_t &n : counts[d])
        {
            const uint32_t here = n;
            n = start;
            start += here;
        }
        for (const uint64_t k : keyed)
            spare[counts[d][(k >> (32 + d * kDigitBits)) & (kRadix - 1)]++] = k;
        keyed.swap(spare);
    }
    order.resize(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = uint32_t(keyed[i]);
}

void permute(std::vector<UT_Vector3> &values, const std::vector<uint32_t> &order)
{
    std::vector<UT_Vector3> arranged(order.size());
    for (size_t j = 0; j < order.size(); ++j)
        arranged[j] = values[order[j]];
    values.swap(arranged);
}
