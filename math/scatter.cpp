#include "math/scatter.h"

#include "math/vector_math.h"

#include <cmath>

// Seeded with the standard default seed, 5489, during static initialisation.
std::mt19937 sceneRandomEngine(5489u);

namespace
{

// Bounds of the unit distribution. Its mapping u * (upper - lower) + lower
// returns u unchanged with these bounds; it is kept explicit so that the
// arithmetic on every draw stays in one visible place.
constexpr double kUnitLower = 0.0;
constexpr double kUnitUpper = 1.0;

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

double unitValueFromOutputs(uint32_t x1, uint32_t x2)
{
    double s = static_cast<double>(x1);
    s = s + static_cast<double>(x2) * 4294967296.0;  // exact product, rounded sum
    return s / 18446744073709551616.0;               // 2^64, exact scaling
}

double drawUnitValue(std::mt19937 &engine)
{
    // Two statements, so the low word is drawn first whatever the compiler's
    // argument evaluation order.
    const uint32_t x1 = static_cast<uint32_t>(engine());
    const uint32_t x2 = static_cast<uint32_t>(engine());
    return unitValueFromOutputs(x1, x2);
}

std::vector<UT_Vector3> scatterDirections(int32_t count, double scatter)
{
    std::vector<UT_Vector3> directions;
    if (count <= 0)
        return directions;
    directions.resize(static_cast<size_t>(count));
    scatterDirectionsInto(count, scatter, directions.data());
    return directions;
}

namespace
{

// The one definition of a direction set; `next` yields successive 32-bit
// outputs.
template <typename NextOutput>
void scatterWith(int32_t count, double scatter, NextOutput next, UT_Vector3 *out)
{
    const auto unit = [&]() {
        const uint32_t x1 = next();  // the low word is drawn first
        const uint32_t x2 = next();
        return unitValueFromOutputs(x1, x2) * (kUnitUpper - kUnitLower) + kUnitLower;
    };
    const double t = scatter / 180.0;
    for (int32_t i = 0; i < count; ++i)
    {
        const double phi = unit() * kTwoPi;
        // a is uniform on [-1, t - 1], which makes z uniform and the cap's
        // area evenly covered. Not clamped: sizes outside [0, 360] give NaN.
        const double a = unit() * t - 1.0;
        const double theta = std::acos(a);
        const double sinTheta = std::sin(theta);
        UT_Vector3 v(static_cast<float>(std::cos(phi) * sinTheta), static_cast<float>(std::sin(phi) * sinTheta),
                     static_cast<float>(std::cos(theta)));
        safeNormalize(v);
        out[i] = v;
    }
}

}  // namespace

void scatterDirectionsInto(int32_t count, double scatter, UT_Vector3 *out)
{
    scatterWith(
        count, scatter, []() { return static_cast<uint32_t>(sceneRandomEngine()); }, out);
}

void scatterDirectionsFromOutputs(int32_t count, double scatter, const uint32_t *outputs, UT_Vector3 *out)
{
    scatterWith(
        count, scatter, [&]() { return *outputs++; }, out);
}
