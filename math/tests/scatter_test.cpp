#include "math/scatter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// Every test here shares the process-wide engine with the others, so each one
// takes a copy of it right before drawing and predicts from that copy.

namespace
{

// The engine as it was when the tests started, before anything drew from it.
std::mt19937 engineAtStart(0u);

class CaptureEngineAtStart : public ::testing::Environment
{
public:
    void SetUp() override { engineAtStart = sceneRandomEngine; }
};

::testing::Environment *const captureEnvironment = ::testing::AddGlobalTestEnvironment(new CaptureEngineAtStart);

constexpr uint32_t kMax = 4294967295u;

std::mt19937 advanced(std::mt19937 engine, unsigned long long outputs)
{
    engine.discard(outputs);
    return engine;
}

}  // namespace

TEST(UnitValue, CombinesTwoOutputsLowWordFirstWithRounding)
{
    struct Case
    {
        uint32_t x1;
        uint32_t x2;
        double expected;
    };
    const Case cases[] = {
        {0, 0, 0.0},
        {0, 0x80000000u, 0.5},
        {1, 0, 0x1p-64},  // keeping the top 53 bits would give 0
        {3, 0, 0x1.8p-63},
        {1, 0x80000000u, 0.5},               // 2^63 + 1 rounds down
        {1025, 0x80000000u, 0.5 + 0x1p-53},  // 2^63 + 1025 rounds up
        {kMax, kMax, 1.0},
        {kMax - 1023, kMax, 1.0},  // 2^64 - 1024: a tie, to even
        {kMax - 1024, kMax, 1.0 - 0x1p-53},
    };
    for (const Case &c : cases)
        EXPECT_EQ(unitValueFromOutputs(c.x1, c.x2), c.expected) << c.x1 << ", " << c.x2;
}

TEST(SceneRandomEngine, StartsAtTheDefaultSeed) { EXPECT_EQ(engineAtStart, std::mt19937(5489u)); }

TEST(ScatterDirections, DrawsNothingForNoDirections)
{
    const std::mt19937 before = sceneRandomEngine;
    EXPECT_TRUE(scatterDirections(0, 90.0).empty());
    EXPECT_TRUE(scatterDirections(-5, 90.0).empty());
    EXPECT_TRUE(scatterDirections(INT32_MIN, 90.0).empty());
    EXPECT_EQ(sceneRandomEngine, before);
}

TEST(ScatterDirections, FirstDirectionUsesTheNextFourOutputs)
{
    // From a fresh load this is the first four outputs of MT19937(5489): the
    // low word of each unit value first, the angle around the cap before the
    // height.
    std::mt19937 reference = sceneRandomEngine;
    const std::vector<UT_Vector3> directions = scatterDirections(1, 120.0);
    ASSERT_EQ(directions.size(), 1u);

    const double u1 = drawUnitValue(reference);
    const double u2 = drawUnitValue(reference);
    const double phi = u1 * 6.283185307179586;
    const double theta = std::acos(u2 * (120.0 / 180.0) - 1.0);
    UT_Vector3 expected(static_cast<float>(std::cos(phi) * std::sin(theta)),
                        static_cast<float>(std::sin(phi) * std::sin(theta)), static_cast<float>(std::cos(theta)));
    EXPECT_EQ(directions[0].x(), expected.x());
    EXPECT_EQ(directions[0].y(), expected.y());
    EXPECT_EQ(directions[0].z(), expected.z());
    EXPECT_EQ(sceneRandomEngine, reference);
}

// Four outputs are drawn per direction even when the cap is a single point.
TEST(ScatterDirections, ZeroScatterPointsStraightDown)
{
    const std::mt19937 before = sceneRandomEngine;
    const std::vector<UT_Vector3> directions = scatterDirections(50, 0.0);
    ASSERT_EQ(directions.size(), 50u);
    for (const UT_Vector3 &d : directions)
    {
        EXPECT_EQ(d.z(), -1.0f);
        EXPECT_LE(std::fabs(d.x()), 1.3e-16f);
        EXPECT_LE(std::fabs(d.y()), 1.3e-16f);
    }
    EXPECT_EQ(sceneRandomEngine, advanced(before, 200));
}

TEST(ScatterDirections, StaysInsideTheCapAndHasUnitLength)
{
    struct Case
    {
        double scatter;
        float maxZ;
    };
    const Case cases[] = {{90.0, -0.5f}, {180.0, 0.0f}, {360.0, 1.0f}};
    for (const Case &c : cases)
    {
        const std::vector<UT_Vector3> directions = scatterDirections(2000, c.scatter);
        float highestZ = -2.0f;
        for (const UT_Vector3 &d : directions)
        {
            EXPECT_LE(d.z(), c.maxZ + 1e-6f) << "scatter " << c.scatter;
            const float len2 = (d.x() * d.x() + d.y() * d.y()) + d.z() * d.z();
            EXPECT_NEAR(len2, 1.0f, 1e-6f);
            highestZ = std::fmax(highestZ, d.z());
        }
        // The cap is covered up to its rim, not a smaller one.
        EXPECT_GT(highestZ, c.maxZ - 0.02f) << "scatter " << c.scatter;
    }
}

TEST(ScatterDirections, SizesOutsideTheRangeGiveNaNWhereTheCosineLeavesRange)
{
    for (const double scatter : {-10.0, 400.0})
    {
        std::mt19937 reference = sceneRandomEngine;
        const std::vector<UT_Vector3> directions = scatterDirections(200, scatter);
        ASSERT_EQ(directions.size(), 200u);
        int nanCount = 0;
        for (const UT_Vector3 &d : directions)
        {
            drawUnitValue(reference);
            const double a = drawUnitValue(reference) * (scatter / 180.0) - 1.0;
            const bool outside = a < -1.0 || a > 1.0;
            EXPECT_EQ(std::isnan(d.x()), outside);
            EXPECT_EQ(std::isnan(d.y()), outside);
            EXPECT_EQ(std::isnan(d.z()), outside);
            nanCount += outside ? 1 : 0;
        }
        EXPECT_GT(nanCount, 0) << "scatter " << scatter;
    }
}

TEST(ScatterDirections, FromBufferedOutputsMatchesDrawingAndDrawsNothing)
{
    // Sizes inside and outside [0, 360]: NaN directions must match too.
    for (const double scatter : {0.0, 45.0, 90.0, 360.0, 400.0})
    {
        std::mt19937 copy = sceneRandomEngine;
        std::vector<uint32_t> outputs(4 * 7);
        for (uint32_t &x : outputs)
            x = static_cast<uint32_t>(copy());
        std::vector<UT_Vector3> buffered(7);
        const std::mt19937 before = sceneRandomEngine;
        scatterDirectionsFromOutputs(7, scatter, outputs.data(), buffered.data());
        EXPECT_TRUE(sceneRandomEngine == before) << "buffered outputs draw nothing";

        const std::vector<UT_Vector3> drawn = scatterDirections(7, scatter);
        EXPECT_TRUE(sceneRandomEngine == copy);
        ASSERT_EQ(drawn.size(), buffered.size());
        for (size_t i = 0; i < drawn.size(); ++i)
            EXPECT_EQ(std::memcmp(drawn[i].data(), buffered[i].data(), 3 * sizeof(float)), 0)
                << "scatter " << scatter << ", direction " << i;
    }
}
