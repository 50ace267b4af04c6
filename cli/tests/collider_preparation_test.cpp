#include "cli/collider_preparation.h"

#include "io/obj/obj_reader.h"

#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const char *kQuads = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
                     "f 1 2 3 4\nf 5 6 7 8\nf 1 2 6\n";
const char *kQuadsWithNormals = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\n";
const char *kTrianglesWithNormals = "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";

std::shared_ptr<GU_Detail> read(const char *text)
{
    auto gdp = std::make_shared<GU_Detail>();
    EXPECT_TRUE(readObjText(text, "t.obj", *gdp).ok);
    return gdp;
}

ColliderOptions parse(const std::vector<std::string> &flags)
{
    ColliderOptions options;
    CLI::App app;
    addColliderOptions(app, options);
    std::vector<std::string> args(flags.rbegin(), flags.rend());
    app.parse(args);
    return options;
}

struct PlanCase
{
    const char *name;
    const char *obj;
    const char *path;
    std::vector<std::string> flags;
    bool cut;
    bool directions;
    const char *warning;  // part of the one warning expected, or null for none
};

// What happens by file type and flag: OBJ files are cut and given
// directions unless told otherwise, .geo files only when asked; an existing
// direction is never replaced.
TEST(ColliderPreparation, PlansFollowTheFileTypeAndFlags)
{
    const PlanCase cases[] = {
        {"obj default", kQuads, "a.obj", {}, true, true, nullptr},
        {"obj kept", kQuads, "a.obj", {"--keep-polygons"}, false, true, "2 polygons have more than three corners"},
        {"obj keep directions", kQuads, "a.obj", {"--collider-directions", "keep"}, true, false, nullptr},
        {"obj with normals", kQuadsWithNormals, "a.OBJ", {}, true, false, nullptr},
        {"obj kept with normals",
         kQuadsWithNormals,
         "a.obj",
         {"--keep-polygons"},
         false,
         false,
         "(--keep-polygons is on)"},
        {"obj triangles", kTrianglesWithNormals, "a.obj", {"--collider-directions", "faces"}, false, false, nullptr},
        {"geo default", kQuads, "a.geo", {}, false, false, "(--triangulate cuts them into triangles)"},
        {"geo triangulate", kQuads, "a.geo", {"--triangulate"}, true, false, nullptr},
        {"geo faces", kQuads, "a.geo", {"--collider-directions", "faces", "--triangulate"}, true, true, nullptr},
    };
    for (const PlanCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::shared_ptr<GU_Detail> gdp = read(c.obj);
        const GU_Detail *before = gdp.get();
        const ColliderPlan plan = planColliderPreparation(*gdp, c.path, parse(c.flags));
        EXPECT_EQ(plan.cut, c.cut);
        EXPECT_EQ(plan.computeDirections, c.directions);
        const ColliderPreparation done = prepareCollider(gdp, plan);
        EXPECT_EQ(done.notes.size(), size_t(c.cut) + size_t(c.directions));
        ASSERT_EQ(done.warnings.size(), c.warning ? 1u : 0u);
        if (c.warning)
        {
            EXPECT_NE(done.warnings[0].find(c.warning), std::string::npos) << done.warnings[0];
        }
        // A collider that needs nothing reaches the node as it was read.
        if (!c.cut && !c.directions)
        {
            EXPECT_EQ(gdp.get(), before);
        }
        EXPECT_EQ(gdp->findPointAttribute("N") != nullptr, c.directions || c.obj != kQuads);
    }
}

// Directions go under a free name when "N" holds something the node does not
// take as a direction; without a position nothing can be done and the
// node's own warning tells the user.
TEST(ColliderPreparation, NamesAndMissingPositions)
{
    std::shared_ptr<GU_Detail> gdp = read(kQuads);
    gdp->addNumericPointAttribute("N", 2, GA_STORE_REAL32);
    ColliderPlan plan = planColliderPreparation(*gdp, "a.obj", {});
    EXPECT_EQ(plan.directionName, "N_faces");
    prepareCollider(gdp, plan);
    EXPECT_EQ(gdp->findPointAttribute("N_faces")->getTypeInfo(), GA_TYPE_VECTOR);

    std::shared_ptr<GU_Detail> bare = read(kQuads);
    bare->destroyPointAttribute("P");
    plan = planColliderPreparation(*bare, "a.obj", {});
    EXPECT_FALSE(plan.cut);
    EXPECT_FALSE(plan.computeDirections);
    EXPECT_TRUE(describeColliderPlan(plan).empty());
    EXPECT_TRUE(prepareCollider(bare, plan).warnings.empty());
}

}  // namespace
