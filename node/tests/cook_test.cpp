// Cooking the node through the loaded plug-in, as a host does.
#include "node/tests/node_test_network.h"

#include "trace/tests/trace_test_scenes.h"

#include <UT/UT_Interrupt.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using node_test::VelkorNetwork;
using namespace trace_test;

namespace
{

void setEnv(const char *name, const char *value)
{
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

// Sets an environment variable for the life of the object.
struct ScopedEnv
{
    ScopedEnv(const char *name, const char *value) : myName(name) { setEnv(name, value); }
    ~ScopedEnv() { setEnv(myName, nullptr); }
    const char *myName;
};

bool sameBits(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return std::memcmp(a.data(), b.data(), sizeof(float) * 3) == 0;
}

// Every numeric triple of every point, compared bit for bit.
void expectSamePoints(const GU_Detail &expected, const GU_Detail &actual)
{
    ASSERT_EQ(expected.getNumPoints(), actual.getNumPoints());
    for (GA_AttributeDict::iterator it = expected.pointAttribs().begin(GA_SCOPE_ANY); !it.atEnd(); ++it)
    {
        const GA_Attribute *other = actual.findPointAttribute(it.attrib()->getName());
        ASSERT_NE(other, nullptr) << it.attrib()->getName();
        for (GA_Offset p = 0; p < expected.getNumPoints(); ++p)
            ASSERT_TRUE(sameBits(getVector(it.attrib(), p), getVector(other, p)))
                << it.attrib()->getName() << " of point " << p;
    }
}

struct RoomScene
{
    RoomScene()
    {
        room.room(3, UT_Vector3(0.8f, 0.7f, 0.6f));
        points.point(UT_Vector3(0.1f, 0.2f, 0.3f), UT_Vector3(0.3f, -0.4f, 0.5f));
        points.point(UT_Vector3(-1, 0.5f, 0), UT_Vector3(0, 0, -1));
        points.point(UT_Vector3(1, 1, 1), UT_Vector3(-1, 0, 0.25f));
    }
    ColliderBuilder room;
    PointsBuilder points;
};

}  // namespace

TEST(Cook, EndToEndExample)
{
    ColliderBuilder collider;
    collider.unitTriangle(UT_Vector3(0, 0, 1), UT_Vector3(0.5f, 0.5f, 0.5f));
    PointsBuilder points;
    points.point(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));

    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(points.gdp, collider.gdp);
    const GU_Detail *out = net.cook();
    ASSERT_NE(out, nullptr);
    EXPECT_LT(net.velkor->error(), UT_ERROR_WARNING) << net.messages();
    ASSERT_EQ(out->getNumPoints(), 2);
    const GA_Attribute *P = out->findPointAttribute("P");
    const GA_Attribute *D = out->findPointAttribute("dir");
    const GA_Attribute *I = out->findPointAttribute("energy");
    EXPECT_EQ(getVector(P, 0), UT_Vector3(0.25f, 0.25f, -1));
    EXPECT_EQ(getVector(I, 0), UT_Vector3(1, 1, 1));
    EXPECT_EQ(getVector(P, 1), UT_Vector3(0.25f, 0.25f, 0));
    EXPECT_EQ(getVector(D, 1), UT_Vector3(0, 0, 1));
    const float sixth = 0.16666667f;
    EXPECT_TRUE(sameBits(getVector(I, 1), UT_Vector3(sixth, sixth, sixth)));
}

TEST(Cook, InvalidBouncesWarnAndLeaveTheOutputUncopied)
{
    RoomScene scene;
    for (int bounces : {0, -4})
    {
        VelkorNetwork net;
        ASSERT_NE(net.velkor, nullptr) << net.loadError;
        net.setInputs(scene.points.gdp, scene.room.gdp);
        net.setParms(bounces, 0, 1, 1);
        const GU_Detail *out = net.cook();
        EXPECT_TRUE(net.hasMessage(UT_ERROR_WARNING, "Invalid bounces")) << net.messages();
        EXPECT_TRUE(net.velkor->getErrorManager().hasCode("SOP", SOP_MESSAGE));
        EXPECT_TRUE(!out || out->getNumPoints() == 0);
    }
}

// The group field is accepted but every point is traced, whatever it holds.
TEST(Cook, GroupFieldSelectsNothing)
{
    RoomScene scene;
    GU_Detail outputs[2];
    const char *groups[2] = {"", "0 nothere @P.x>0"};
    for (int k = 0; k < 2; ++k)
    {
        VelkorNetwork net;
        ASSERT_NE(net.velkor, nullptr) << net.loadError;
        net.setInputs(scene.points.gdp, scene.room.gdp);
        ASSERT_TRUE(net.velkor->setString("group", 0, 0, groups[k]));
        const GU_Detail *out = net.cook();
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(net.velkor->error(), UT_ERROR_NONE) << net.messages();
        outputs[k] = *out;
    }
    EXPECT_EQ(outputs[1].getNumPoints(), 6) << "three points, three hits";
    expectSamePoints(outputs[0], outputs[1]);
}

TEST(Cook, UnusableInputsGiveAnUnchangedCopyAndAWarning)
{
    RoomScene scene;
    struct Case
    {
        const char *what;
        bool dropColliderDirection;
        bool dropInputIntensity;
        const char *warning;
    };
    const Case cases[] = {
        {"collider without directions", true, false, "Second input needs point attributes for position and direction"},
        {"input without intensities", false, true,
         "First input needs position, direction and intensity attributes in equal numbers"},
    };
    for (const Case &c : cases)
    {
        GU_Detail collider(scene.room.gdp), points(scene.points.gdp);
        if (c.dropColliderDirection)
            collider.destroyPointAttribute("N");
        if (c.dropInputIntensity)
            points.destroyPointAttribute("energy");
        VelkorNetwork net;
        ASSERT_NE(net.velkor, nullptr) << net.loadError;
        net.setInputs(points, collider);
        const GU_Detail *out = net.cook();
        ASSERT_NE(out, nullptr) << c.what;
        EXPECT_TRUE(net.hasMessage(UT_ERROR_WARNING, c.warning)) << c.what << ": " << net.messages();
        EXPECT_LT(net.velkor->error(), UT_ERROR_ABORT);
        expectSamePoints(points, *out);
    }
}

TEST(Cook, TracesEveryTripleInDictionaryOrder)
{
    ColliderBuilder collider;
    collider.unitTriangle(UT_Vector3(0, 0, 1), UT_Vector3(0.5f, 0.5f, 0.5f));
    collider.triangle(UT_Vector3(0, 0, 2), UT_Vector3(1, 0, 2), UT_Vector3(0, 1, 2), UT_Vector3(0, 0, 1));
    PointsBuilder points;
    GA_Attribute *P2 = points.gdp.addFloatTuple3("P2", 0);
    GA_Attribute *D2 = points.gdp.addFloatTuple3("dir2", 3);
    GA_Attribute *I2 = points.gdp.addFloatTuple3("energy2", 4);
    const GA_Offset p = points.point(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));
    setVector(P2, p, UT_Vector3(0.5f, 0.25f, 1));
    setVector(D2, p, UT_Vector3(0, 0, 1));
    setVector(I2, p, UT_Vector3(2, 2, 2));

    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(points.gdp, collider.gdp);
    const GU_Detail *out = net.cook();
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->getNumPoints(), 3) << net.messages();
    // First the first triple's hit, then the second's.
    EXPECT_EQ(getVector(out->findPointAttribute("P"), 1), UT_Vector3(0.25f, 0.25f, 0));
    EXPECT_EQ(getVector(out->findPointAttribute("P2"), 1), UT_Vector3(0, 0, 0)) << "left at its default";
    EXPECT_EQ(getVector(out->findPointAttribute("P2"), 2), UT_Vector3(0.5f, 0.25f, 2));
    EXPECT_EQ(getVector(out->findPointAttribute("energy2"), 2), UT_Vector3(2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f));
}

TEST(Cook, RenewsDataIdsOfGatheredAttributes)
{
    RoomScene scene;
    GU_Detail empty(scene.points.gdp);
    empty.clearAndDestroy();
    for (GA_AttributeDict::iterator it = scene.points.gdp.pointAttribs().begin(GA_SCOPE_ANY); !it.atEnd(); ++it)
        empty.addFloatTuple3(it.attrib()->getName(), it.attrib()->getTypeInfo());

    for (bool traced : {false, true})
    {
        VelkorNetwork net;
        ASSERT_NE(net.velkor, nullptr) << net.loadError;
        net.setInputs(traced ? scene.points.gdp : empty, scene.room.gdp);
        const GU_Detail *colliderGeo = net.collider->getDetail().gdp();
        const int64_t position = colliderGeo->findPointAttribute("P")->getDataId();
        const int64_t intensity = colliderGeo->findPointAttribute("Cs")->getDataId();
        const GU_Detail *out = net.cook();
        ASSERT_NE(out, nullptr);
        EXPECT_NE(colliderGeo->findPointAttribute("P")->getDataId(), position);
        // The collider's intensity is only gathered by the traces themselves.
        EXPECT_EQ(colliderGeo->findPointAttribute("Cs")->getDataId() != intensity, traced);
        const GU_Detail *in = net.points->getDetail().gdp();
        for (const char *name : {"P", "dir", "energy"})
            EXPECT_NE(out->findPointAttribute(name)->getDataId(), in->findPointAttribute(name)->getDataId()) << name;
    }
}

// Generations in a closed room with scatter 0, where every ray meets a wall:
// the primary ray, then trunc(scatternum x dissipation) rays from its hit,
// each generation multiplying and truncating again, down to bounces
// generations. A count that is not positive, NaN or beyond 32 bits ends
// the scattering.
TEST(Cook, RaysPerGenerationFollowTheDissipation)
{
    struct Case
    {
        int bounces, scatterNum;
        double dissipation;
        int64_t rays;  // one new point per ray
    };
    const Case cases[] = {
        {4, 10, 0.5, 1 + 5 + 10 + 10},
        {4, 3, 0.9, 1 + 2 + 2},
        {3, 2, 1, 1 + 2 + 4},
        {3, 2, 1.5, 1 + 3 + 12},
        {3, 1, 1.5, 1 + 1 + 1},
        {1, 10, 1, 1},
        {3, 5, 0, 1},
        {3, 5, -2, 1},
        {3, 2, 1e30, 1},
    };
    ColliderBuilder room;
    room.room(3);
    PointsBuilder points;
    points.point(UT_Vector3(0.1f, 0.2f, 0.3f), UT_Vector3(0.3f, -0.4f, 0.5f));
    for (const Case &c : cases)
    {
        VelkorNetwork net;
        ASSERT_NE(net.velkor, nullptr) << net.loadError;
        net.setInputs(points.gdp, room.gdp);
        net.setParms(c.bounces, 0, c.scatterNum, c.dissipation);
        const GU_Detail *out = net.cook();
        ASSERT_NE(out, nullptr);
        const std::string what = "bounces " + std::to_string(c.bounces) + ", scatternum " +
                                 std::to_string(c.scatterNum) + ", dissipation " + std::to_string(c.dissipation);
        EXPECT_EQ(net.velkor->error(), UT_ERROR_NONE) << what << ": " << net.messages();
        EXPECT_EQ(out->getNumPoints(), 1 + c.rays) << what;
        EXPECT_EQ(net.velkor->getCookStatistic("rays traced"), c.rays) << what;
        EXPECT_EQ(net.velkor->getCookStatistic("points traced"), 1) << what;
    }
}

// Every process starts the random engine alike, so a fresh instance of the
// plug-in scatters exactly as another fresh one does; a second cook in the
// same process draws on from where the first stopped. (The golden cases pin
// the bytes of such cooks.)
TEST(Cook, FreshInstancesAgreeAndASecondCookDrawsOn)
{
    RoomScene scene;
    const GU_Detail *outputs[2] = {};
    VelkorNetwork first(true), second(true);
    VelkorNetwork *nets[2] = {&first, &second};
    for (int k = 0; k < 2; ++k)
    {
        ASSERT_NE(nets[k]->velkor, nullptr) << nets[k]->loadError;
        nets[k]->setInputs(scene.points.gdp, scene.room.gdp);
        nets[k]->setParms(3, 0.1, 3, 0.9);
        outputs[k] = nets[k]->cook();
        ASSERT_NE(outputs[k], nullptr);
    }
    // Three points, each with its hit, two scattered hits and one hit each
    // of those: 3 + 3 x (1 + 2 + 2).
    ASSERT_EQ(outputs[0]->getNumPoints(), 18) << first.messages();
    expectSamePoints(*outputs[0], *outputs[1]);
    EXPECT_EQ(first.velkor->getCookStatistic("rays traced"), 15);
    EXPECT_EQ(first.velkor->getCookStatistic("points traced"), 3);

    const GU_Detail kept(*outputs[0]);
    first.velkor->forceRecook();
    const GU_Detail *again = first.cook();
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->getNumPoints(), kept.getNumPoints());
    // Point 3 is the first primary hit (no random draw), point 4 its first
    // scattered hit.
    EXPECT_EQ(getVector(again->findPointAttribute("P"), 3), getVector(kept.findPointAttribute("P"), 3));
    EXPECT_NE(getVector(again->findPointAttribute("P"), 4), getVector(kept.findPointAttribute("P"), 4));
}

// Raises the host's interrupt request as soon as the cook opens its
// progress scope, as a user pressing Escape right away would, for the
// lifetime of the object.
struct InterruptOnStart
{
    InterruptOnStart()
    {
        UTgetInterrupt()->setProgressCallback([](const UT_InterruptEvent &e) {
            if (e.kind == UT_InterruptEvent::START)
                UTgetInterrupt()->requestInterrupt();
        });
    }
    ~InterruptOnStart() { UTgetInterrupt()->setProgressCallback({}); }
};

// The first cook is interrupted; the request must not outlive it and stop
// the next cook in the same process.
TEST(Cook, InterruptEndsThatCookOnly)
{
    RoomScene scene;
    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(scene.points.gdp, scene.room.gdp);
    const GA_Size inputPoints = scene.points.gdp.getNumPoints();
    {
        const InterruptOnStart interrupt;
        const GU_Detail *out = net.cook();
        EXPECT_TRUE(net.hasMessage(UT_ERROR_ABORT, "Tracing interrupted")) << net.messages();
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out->getNumPoints(), inputPoints) << "interrupted before the first point";
    }
    ASSERT_TRUE(UTgetInterrupt()->isInterruptRequested()) << "the request is still pending";

    net.velkor->forceRecook();
    const GU_Detail *again = net.cook();
    EXPECT_LT(net.velkor->error(), UT_ERROR_ABORT) << net.messages();
    ASSERT_NE(again, nullptr);
    EXPECT_GT(again->getNumPoints(), inputPoints);
}

TEST(Cook, PointLimitEndsTheCookWithAnError)
{
    RoomScene scene;
    ScopedEnv limit("VELKOR_POINT_LIMIT", "7");
    VelkorNetwork net;
    ASSERT_NE(net.velkor, nullptr) << net.loadError;
    net.setInputs(scene.points.gdp, scene.room.gdp);
    net.setParms(4, 0, 4, 1);
    const GU_Detail *out = net.cook();
    EXPECT_TRUE(net.hasMessage(UT_ERROR_ABORT, "Too many points: output would exceed 2147483647 points"))
        << net.messages();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->getNumPoints(), 7) << "points appended before the limit stay";
}
