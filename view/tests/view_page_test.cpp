#include "view/view_page.h"

#include "view/page_assets.h"
#include "view/tests/view_test_scenes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

size_t countOf(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string bytesOf(const void *data, size_t size) { return std::string(static_cast<const char *>(data), size); }

TEST(ViewPage, BuffersDecodeToTheSceneBytes)
{
    ViewScene scene;
    std::string error;
    ASSERT_TRUE(gatherViewScene(makeNumberedPoints(7), nullptr, nullptr, PointsShown::All, 100, scene, error));
    scene.colliderPositions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    scene.triangles = {0, 1, 2, 2, 1, 0};
    const std::string page = viewPageText(scene, ViewPanel());
    EXPECT_EQ(decodeElement(page, "velkor-positions"), bytesOf(scene.positions.data(), scene.positions.size() * 4));
    EXPECT_EQ(decodeElement(page, "velkor-directions"), bytesOf(scene.directions.data(), scene.directions.size() * 4));
    EXPECT_EQ(decodeElement(page, "velkor-intensities"),
              bytesOf(scene.intensities.data(), scene.intensities.size() * 4));
    EXPECT_EQ(decodeElement(page, "velkor-triangles"), bytesOf(scene.triangles.data(), scene.triangles.size() * 4));
    EXPECT_NE(page.find("\"keptPoints\":7"), std::string::npos);
}

TEST(ViewPage, UserTextCannotCloseItsElement)
{
    ViewPanel panel;
    panel.title = "a</script><script>alert(1)</script> & \"b\"";
    panel.rows.push_back({"file", "x</SCRIPT>y"});
    panel.messages.push_back({"Warning", "bad \xff byte"});
    const std::string page = viewPageText(ViewScene(), panel);
    // One closing tag per script element: the error hook, three.js, its
    // controls, the record, five buffers and the page's five scripts.
    EXPECT_EQ(countOf(page, "</script>"), 14u);
    EXPECT_NE(page.find("<title>a&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;b&quot;</title>"),
              std::string::npos);
    EXPECT_NE(page.find("a<\\/script><script>alert(1)<\\/script>"), std::string::npos);
}

TEST(ViewPage, ScriptsComeInLoadOrder)
{
    const std::string page = viewPageText(ViewScene(), ViewPanel());
    const size_t hook = page.find("window.velkorErrors=[]");
    const size_t three = page.find(threeLibraryScript().substr(0, 200));
    const size_t controls = page.find(orbitControlsScript().substr(0, 200));
    const size_t meta = page.find("id=\"velkor-meta\"");
    const size_t viewer = page.find(viewerScript().substr(0, 200));
    EXPECT_LT(hook, three);
    EXPECT_LT(three, controls);
    EXPECT_LT(controls, meta);
    EXPECT_LT(meta, viewer);
    EXPECT_NE(viewer, std::string::npos);
}

TEST(ViewPage, SizeIsAThirdAboveTheRawData)
{
    // Past the fixed part (scripts, style, record), the page grows by 4/3
    // of its float and index data.
    const size_t fixed = viewPageText(ViewScene(), ViewPanel()).size();
    ViewScene scene;
    scene.positions.assign(300000, 1.5f);
    scene.directions.assign(300000, -0.25f);
    scene.intensities.assign(300000, 3.0f);
    scene.colliderPositions.assign(30000, 2.0f);
    scene.triangles.assign(30000, 7u);
    const double raw = 4.0 * (3 * 300000 + 2 * 30000);
    const double grown = double(viewPageText(scene, ViewPanel()).size() - fixed);
    EXPECT_LE(grown, raw * 4.0 / 3.0 + 64.0);
    EXPECT_GE(grown, raw * 4.0 / 3.0);
}

TEST(ViewPage, WrittenWholeOrNotAtAll)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "velkor_view_page_test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    ViewScene scene;
    std::string error;
    ASSERT_TRUE(gatherViewScene(makeNumberedPoints(3), nullptr, nullptr, PointsShown::All, 100, scene, error));
    const std::string path = (folder / "page.html").string();
    ASSERT_TRUE(writeViewPage(path, scene, ViewPanel(), error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    in.close();  // Windows refuses to remove a folder holding an open file
    EXPECT_EQ(written.str(), viewPageText(scene, ViewPanel()));

    const std::string missing = (folder / "no" / "page.html").string();
    EXPECT_FALSE(writeViewPage(missing, scene, ViewPanel(), error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(missing));
    fs::remove_all(folder);
}

}  // namespace
