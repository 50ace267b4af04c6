#include "bench/room_geometry.h"

#include "bench/cook_scene.h"
#include "io/geo/geo_writer.h"
#include "trace/attribute_lists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace
{

class RoomFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One folder per case: CTest may run the cases at once.
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        myFolder = std::filesystem::path(::testing::TempDir()) / (std::string("velkor_room_files_") + test->name());
        std::filesystem::create_directories(myFolder);
        myScene = makeRoomScene(2000);
        myRays = makeRoomRays(myScene, 500);
        myCollider = roomColliderDetail(myScene);
        ASSERT_TRUE(writeGeoFile(path("collider.geo"), *myCollider));
        ASSERT_TRUE(writeGeoFile(path("points.geo"), *roomPointsDetail(myRays)));
    }
    void TearDown() override { std::filesystem::remove_all(myFolder); }

    std::string path(const char *name) const { return (myFolder / name).string(); }

    std::filesystem::path myFolder;
    RoomScene myScene;
    std::vector<SceneRay> myRays;
    std::unique_ptr<GU_Detail> myCollider;
};

bool sameBits(const UT_Vector3 &a, const UT_Vector3 &b) { return a.x() == b.x() && a.y() == b.y() && a.z() == b.z(); }

// The cook and the reference tracer read the files; the room generator's
// values must come back bit for bit, or they would trace different scenes.
TEST_F(RoomFiles, ReadBackAsTheSameTrianglesAndRays)
{
    CookScene read;
    std::string error;
    ASSERT_TRUE(loadCookScene(path("points.geo"), path("collider.geo"), read, error)) << error;

    ASSERT_EQ(read.colliderPoints.size(), myScene.points.size());
    for (size_t i = 0; i < myScene.points.size(); ++i)
        ASSERT_TRUE(sameBits(read.colliderPoints[i], myScene.points[i])) << "collider point " << i;
    EXPECT_EQ(read.triangles, myScene.triangles);

    ASSERT_EQ(read.origins.size(), myRays.size());
    for (size_t i = 0; i < myRays.size(); ++i)
    {
        ASSERT_TRUE(sameBits(read.origins[i], myRays[i].origin)) << "ray " << i;
        // The node's primary direction is the stored one, turned from +Z.
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(read.directions[i][c], myRays[i].direction[c], 1e-5f) << "ray " << i;
    }
}

// The node turns rays about the collider's direction attribute, which must
// face the rays that arrive: against every winding normal at the point.
TEST_F(RoomFiles, ColliderDirectionsFaceTheArrivingRays)
{
    const AttributeLists lists = gatherAttributeLists(*myCollider, HandleForm::ReadOnly, ListKinds::All, DataIds::Keep);
    ASSERT_EQ(lists.positions.entries(), 1);
    ASSERT_EQ(lists.directions.entries(), 1);
    ASSERT_EQ(lists.intensities.entries(), 1);
    int wrong = 0;
    for (const std::array<int32_t, 3> &t : myScene.triangles)
    {
        const UT_Vector3 &p0 = myScene.points[size_t(t[0])];
        const UT_Vector3 n = cross(sub(myScene.points[size_t(t[1])], p0), sub(myScene.points[size_t(t[2])], p0));
        for (int32_t corner : t)
        {
            const UT_Vector3 direction = readVector(lists.directions(0), GA_Offset(corner));
            wrong += !(dot(direction, n) < 0.0f);
            EXPECT_NEAR(dot(direction, direction), 1.0f, 1e-5f);
        }
    }
    EXPECT_EQ(wrong, 0);
}

struct BadInput
{
    const char *name;
    const char *points;
    const char *collider;
    const char *message;  // part of the expected message
};

TEST_F(RoomFiles, RefusesInputsTheCookCouldNotTrace)
{
    GU_Detail bare;
    bare.addFloatTuple3("P", GA_TYPE_POINT);
    bare.appendPointBlock(3);
    ASSERT_TRUE(writeGeoFile(path("bare.geo"), bare));
    const BadInput cases[] = {
        {"missing points file", "absent.geo", "collider.geo", "absent.geo"},
        {"missing collider file", "points.geo", "absent.geo", "absent.geo"},
        {"points without direction", "bare.geo", "collider.geo", "bare.geo: needs point attributes"},
        {"collider without direction", "points.geo", "bare.geo", "bare.geo: needs point attributes"},
    };
    for (const BadInput &c : cases)
    {
        SCOPED_TRACE(c.name);
        CookScene read;
        std::string error;
        EXPECT_FALSE(loadCookScene(path(c.points), path(c.collider), read, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

}  // namespace
