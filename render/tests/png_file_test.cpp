#include "render/png_file.h"

#include "render/preview.h"
#include "render/tests/test_scenes.h"

#include <stb_image.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace
{
class PngFile : public testing::Test
{
protected:
    void SetUp() override
    {
        const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::path(testing::TempDir()) / (std::string("velkor_render_") + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path folder;
    const GU_Detail points = makePoints({{0, 0, 0, 1e-3f}, {1, 2, 3, 1.0f}, {2, 0, 1, 0.5f}});
    const GU_Detail collider = makeTriangles({{{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}}});
};

TEST_F(PngFile, WrittenPictureReadsBackAsRendered)
{
    PreviewOptions options;
    options.width = 240;
    options.height = 160;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(renderPreview(points, &collider, nullptr, options, rgb).ok);

    const std::string path = (folder / "preview.png").string();
    const PreviewResult result = writePreviewPng(path, points, &collider, nullptr, options);
    ASSERT_TRUE(result.ok) << result.message;
    int width = 0, height = 0, channels = 0;
    unsigned char *pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
    EXPECT_EQ(width, 240);
    EXPECT_EQ(height, 160);
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), pixels));
    stbi_image_free(pixels);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"preview.png"}) << "no temporary file left";
}

TEST_F(PngFile, EqualPixelsGiveEqualBytes)
{
    const std::vector<uint8_t> rgb(16 * 16 * 3, 77);
    std::string a, b, error;
    ASSERT_TRUE(encodePng(rgb, 16, 16, a, error)) << error;
    ASSERT_TRUE(encodePng(rgb, 16, 16, b, error)) << error;
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.substr(1, 3), "PNG");
    EXPECT_FALSE(encodePng(rgb, 16, 15, a, error)) << "size must match the buffer";
}

TEST_F(PngFile, ReplacesAnExistingFile)
{
    const fs::path path = folder / "old.png";
    std::ofstream(path) << "not a picture";
    ASSERT_TRUE(writePreviewPng(path.string(), points, nullptr, nullptr, PreviewOptions()).ok);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

TEST_F(PngFile, FailureLeavesNoFile)
{
    // A missing folder: nothing may be created, not even the folder.
    const fs::path missing = folder / "missing" / "preview.png";
    PreviewResult result = writePreviewPng(missing.string(), points, nullptr, nullptr, PreviewOptions());
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(missing.string()), std::string::npos) << result.message;
    EXPECT_FALSE(fs::exists(folder / "missing"));

    // A folder in the target's place: the rename fails and the temporary
    // file is removed.
    fs::create_directory(folder / "taken.png");
    result = writePreviewPng((folder / "taken.png").string(), points, nullptr, nullptr, PreviewOptions());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(fs::is_directory(folder / "taken.png"));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"taken.png"});

    // A refused size fails before any file is touched.
    PreviewOptions tiny;
    tiny.width = 8;
    result = writePreviewPng((folder / "tiny.png").string(), points, nullptr, nullptr, tiny);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(fs::exists(folder / "tiny.png"));
}
}  // namespace
