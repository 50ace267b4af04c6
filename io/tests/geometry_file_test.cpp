#include "io/geometry_file.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{
TEST(GeometryFile, ChoosesTheReaderByExtension)
{
    const std::string folder = makeScratchFolder("dispatch");
    {
        std::ofstream(folder + "/tri.OBJ") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    }
    std::filesystem::copy_file(testDataPath("h15_grid_tetra_run.geo"), folder + "/grid.Geo");
    GU_Detail gdp;
    GeometryReadResult result = readGeometryFile(folder + "/tri.OBJ", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(gdp.getNumPrimitives(), 1);
    result = readGeometryFile(folder + "/grid.Geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(gdp.getNumPrimitives(), 5);

    for (const char *name : {"/scene.bgeo", "/scene.ply", "/noextension", "/dotted.dir/file"})
    {
        result = readGeometryFile(folder + name, gdp);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message.rfind(folder + name + ": ", 0), 0u) << result.message;
        EXPECT_EQ(gdp.getNumPoints(), 0);
    }
    result = readGeometryFile(folder + "/absent.geo", gdp);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("absent.geo: cannot open"), std::string::npos) << result.message;
    std::filesystem::remove_all(folder);
}
}  // namespace
