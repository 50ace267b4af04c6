// Frames taken four points at a time give each point the bits of its own
// frame: every combination of awkward components (signed zeros, subnormals,
// the smallest normal, unit lengths, values whose squares overflow or
// underflow, infinities, NaN), then random directions, at every count of
// leftover lanes.
#include "trace/frame_lanes.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace
{

// The same bits, or NaN on both sides: a NaN's sign follows the operand
// order the compiler picks, which may differ between two inlined copies of
// the scalar steps themselves (MinGW-w64's GCC does so), and no NaN's bits
// reach the output, where every NaN is written alike.
bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof(float)) == 0 || (a != a && b != b); }

void expectSameParts(const std::vector<UT_Vector3> &directions)
{
    std::vector<FrameParts> lanes(directions.size());
    framePartsOf(directions.data(), directions.size(), lanes.data());
    for (size_t i = 0; i < directions.size(); ++i)
    {
        const FrameParts one = frameParts(directions[i]);
        const UT_Vector3 &d = directions[i];
        EXPECT_TRUE(sameFloat(one.cosine, lanes[i].cosine))
            << "cosine of (" << d.x() << ", " << d.y() << ", " << d.z() << ")";
        for (int c = 0; c < 3; ++c)
            EXPECT_TRUE(sameFloat(one.axis[c], lanes[i].axis[c]))
                << "axis " << c << " of (" << d.x() << ", " << d.y() << ", " << d.z() << ")";
    }
}

}  // namespace

TEST(FrameLanes, AwkwardComponentsGiveTheScalarBits)
{
    using limits = std::numeric_limits<float>;
    const float values[] = {0.0f,   -0.0f,       1.0f,  -1.0f,  limits::min(),      limits::denorm_min(), -3e-39f,
                            1e-20f, 0.70710677f, 1e20f, -3e38f, limits::infinity(), limits::quiet_NaN()};
    std::vector<UT_Vector3> directions;
    for (float x : values)
        for (float y : values)
            for (float z : values)
                directions.push_back(UT_Vector3(x, y, z));
    // Squared lengths and lengths of exactly 1 after rounding, which the
    // scalar steps leave alone.
    directions.push_back(UT_Vector3(0.6f, 0.0f, 0.8f));
    directions.push_back(UT_Vector3(1.0f, 1e-4f, 0.0f));
    expectSameParts(directions);
}

TEST(FrameLanes, RandomDirectionsAtEveryRemainder)
{
    std::mt19937 engine(11);
    std::uniform_real_distribution<float> component(-2.0f, 2.0f);
    for (size_t count : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(4), size_t(257)})
    {
        std::vector<UT_Vector3> directions;
        for (size_t i = 0; i < count; ++i)
            directions.push_back(UT_Vector3(component(engine), component(engine), component(engine)));
        expectSameParts(directions);
    }
}
