// Colliders as users bring them, cooked by the plug-in of this build: every
// ray shot from inside a closed solid must stop on it, whatever the solid's
// faces look like in the file.
#include "cli/collider_preparation.h"
#include "cli/network.h"

#include "io/obj/obj_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct Ray
{
    UT_Vector3 origin, direction;
};

std::shared_ptr<GU_Detail> pointsFor(const std::vector<Ray> &rays)
{
    auto gdp = std::make_shared<GU_Detail>();
    gdp->appendPointBlock(GA_Size(rays.size()));
    GA_ATINumeric *p = gdp->addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *n = gdp->addFloatTuple3("N", GA_TYPE_VECTOR);
    GA_ATINumeric *cs = gdp->addFloatTuple3("Cs", GA_TYPE_NORMAL);
    const float one[3] = {1, 1, 1};
    for (size_t i = 0; i < rays.size(); ++i)
    {
        p->getData().array(0).setTupleBytes(GA_Offset(i), rays[i].origin.data());
        n->getData().array(0).setTupleBytes(GA_Offset(i), rays[i].direction.data());
        cs->getData().array(0).setTupleBytes(GA_Offset(i), one);
    }
    return gdp;
}

// Directions spread evenly over the sphere, from each origin.
std::vector<Ray> raysFrom(const std::vector<UT_Vector3> &origins, int perOrigin)
{
    std::vector<Ray> rays;
    const double golden = M_PI * (3.0 - std::sqrt(5.0));
    for (const UT_Vector3 &o : origins)
        for (int i = 0; i < perOrigin; ++i)
        {
            const double z = 1.0 - (2.0 * i + 1.0) / perOrigin, r = std::sqrt(1.0 - z * z);
            rays.push_back({o, UT_Vector3(float(r * std::cos(golden * i)), float(r * std::sin(golden * i)), float(z))});
        }
    return rays;
}

// The collider as `velkor cook` hands it to the node.
std::shared_ptr<GU_Detail> collider(const std::string &text, const std::string &name,
                                    const ColliderOptions &options = {})
{
    auto gdp = std::make_shared<GU_Detail>();
    const GeometryReadResult read = readObjText(text, name, *gdp);
    EXPECT_TRUE(read.ok) << read.message;
    prepareCollider(gdp, planColliderPreparation(*gdp, name, options));
    return gdp;
}

// Positions of the points appended by one bounce, in the order of the rays
// that made them.
struct Hits
{
    std::vector<UT_Vector3> positions;
    std::vector<UT_ErrorRecord> messages;
};

// One network, so the plug-in is loaded once, as in the host: unloading it
// while the thread pool it started still runs is not something a host does.
VelkorNetwork &network()
{
    static VelkorNetwork *shared = [] {
        auto *n = new VelkorNetwork;
        std::string error;
        EXPECT_TRUE(n->build(VELKOR_TEST_PLUGIN, error)) << error;
        return n;
    }();
    return *shared;
}

Hits cook(const std::vector<Ray> &rays, std::shared_ptr<GU_Detail> collider)
{
    VelkorNetwork &network = ::network();
    std::string error;
    network.setInputs(pointsFor(rays), std::move(collider));
    EXPECT_TRUE(network.setParameters(NodeParameters{}, error)) << error;
    const CookResult result = network.cook();
    Hits hits;
    hits.messages = result.messages;
    const GU_Detail &out = *result.output.gdp();
    const auto *p = static_cast<const GA_ATINumeric *>(out.findPointAttribute("P"));
    for (GA_Offset i = GA_Offset(rays.size()); i < out.getNumPoints(); ++i)
        hits.positions.emplace_back(float(p->getDouble(i, 0)), float(p->getDouble(i, 1)), float(p->getDouble(i, 2)));
    return hits;
}

std::string golden(const char *caseName, const char *file)
{
    std::ifstream in(std::string(VELKOR_GOLDEN_DIR) + "/" + caseName + "/" + file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The box [-1, 1]^3 wound counter-clockwise seen from outside: six quads
// with normals pointing out, and twelve triangles (cut along the other
// diagonals) with normals pointing in. The L-shaped room of concave caps and
// quad walls, without normals.
const std::string kQuadBox = golden("obj_keep_polygons", "collider.obj");
const std::string kTriangleBox = golden("obj_collider", "collider.obj");
const std::string kLRoom = golden("obj_polygons", "collider.obj");

std::string withoutNormals(std::string obj)
{
    for (size_t at; (at = obj.find("//")) != std::string::npos;)
        obj.erase(at, obj.find_first_of(" \n", at) - at);
    return obj;
}

// A cylinder of radius 1 and height 2 whose caps have `sides` corners.
std::string cylinder(int sides)
{
    std::string text, bottom = "f", top = "f", walls;
    for (const float z : {-1.0f, 1.0f})
        for (int i = 0; i < sides; ++i)
            text += "v " + std::to_string(std::cos(2 * M_PI * i / sides)) + " " +
                    std::to_string(std::sin(2 * M_PI * i / sides)) + " " + std::to_string(z) + "\n";
    for (int i = 0; i < sides; ++i)
    {
        const int j = (i + 1) % sides;
        bottom += " " + std::to_string(sides - i);
        top += " " + std::to_string(sides + i + 1);
        walls += "f " + std::to_string(i + 1) + " " + std::to_string(j + 1) + " " + std::to_string(j + sides + 1) +
                 " " + std::to_string(i + sides + 1) + "\n";
    }
    return text + walls + bottom + "\n" + top + "\n";
}

struct Solid
{
    const char *name;
    std::string obj;
    std::vector<UT_Vector3> inside;
};

class EveryRayFromInsideStops : public testing::TestWithParam<Solid>
{};

TEST_P(EveryRayFromInsideStops, OnTheSolid)
{
    const Solid &solid = GetParam();
    const std::vector<Ray> rays = raysFrom(solid.inside, 150);
    const Hits hits = cook(rays, collider(solid.obj, std::string(solid.name) + ".obj"));
    EXPECT_TRUE(hits.messages.empty());
    EXPECT_EQ(hits.positions.size(), rays.size());
}

INSTANTIATE_TEST_SUITE_P(
    Solids, EveryRayFromInsideStops,
    testing::Values(Solid{"quads", withoutNormals(kQuadBox), {{0, 0, 0}, {0.5f, -0.7f, 0.3f}}},
                    Solid{"quads_with_normals", kQuadBox, {{0.2f, 0.1f, -0.4f}}},
                    Solid{"triangles_without_normals", withoutNormals(kTriangleBox), {{-0.6f, 0.6f, 0.6f}}},
                    Solid{"concave", kLRoom, {{0.5f, 0.5f, 0}, {1.6f, 0.4f, 0.5f}, {0.4f, 1.7f, -0.5f}}},
                    Solid{"caps_of_300_corners", cylinder(300), {{0, 0, 0}, {0.5f, 0.5f, 0.5f}}}),
    [](const testing::TestParamInfo<Solid> &info) { return std::string(info.param.name); });

// The same solid written as triangles with normals: the hits agree but for
// rounding, since the planes are the same and only the cut differs.
TEST(ColliderCook, QuadsWithoutNormalsHitWhereTrianglesWithNormalsDo)
{
    const std::vector<Ray> rays = raysFrom({{0, 0, 0}, {0.3f, -0.2f, 0.1f}}, 200);
    const Hits quads = cook(rays, collider(withoutNormals(kQuadBox), "quads.obj"));
    const Hits triangles = cook(rays, collider(kTriangleBox, "triangles.obj"));
    ASSERT_EQ(quads.positions.size(), rays.size());
    ASSERT_EQ(triangles.positions.size(), rays.size());
    for (size_t i = 0; i < rays.size(); ++i)
        for (size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(quads.positions[i][c], triangles.positions[i][c], 1e-6) << i;
}

// Kept as polygons, a box of quads shows the node only the first three
// corners of each face: about half the rays leave it.
TEST(ColliderCook, KeptPolygonsStopOnlyHalfTheRays)
{
    const std::vector<Ray> rays = raysFrom({{0, 0, 0}}, 400);
    ColliderOptions keep;
    keep.keepPolygons = true;
    for (const std::string &obj : {kQuadBox, withoutNormals(kQuadBox)})
    {
        const Hits hits = cook(rays, collider(obj, "quads.obj", keep));
        EXPECT_GT(hits.positions.size(), rays.size() * 4 / 10);
        EXPECT_LT(hits.positions.size(), rays.size() * 6 / 10);
    }
}

// Cutting keeps each face's winding: a ray from outside passes the near
// wall, which faces away from it, and stops on the inside of the far wall.
TEST(ColliderCook, WindingsSurviveTheCut)
{
    std::vector<Ray> rays;
    for (int axis = 0; axis < 3; ++axis)
        for (const float side : {-1.0f, 1.0f})
        {
            UT_Vector3 origin(0.2f, -0.3f, 0.1f), direction(0, 0, 0);
            origin[size_t(axis)] = 3.0f * side;
            direction[size_t(axis)] = -side;
            rays.push_back({origin, direction});
        }
    for (const std::string &obj : {kQuadBox, withoutNormals(kQuadBox)})
    {
        const Hits hits = cook(rays, collider(obj, "box.obj"));
        ASSERT_EQ(hits.positions.size(), rays.size());
        for (size_t r = 0; r < rays.size(); ++r)
        {
            const size_t axis = r / 2;
            EXPECT_EQ(hits.positions[r][axis], -rays[r].origin[axis] / 3.0f) << r;
        }
    }
    const Hits lHits = cook({{{0.5f, 0.5f, -5}, {0, 0, 1}}, {{0.5f, 1.5f, 5}, {0, 0, -1}}}, collider(kLRoom, "l.obj"));
    ASSERT_EQ(lHits.positions.size(), 2u);
    EXPECT_EQ(lHits.positions[0].z(), 1.0f);
    EXPECT_EQ(lHits.positions[1].z(), -1.0f);
}

}  // namespace
