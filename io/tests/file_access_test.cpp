#include "io/file_access.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace
{
// Every entry of a folder, files and folders alike.
int entriesIn(const std::string &folder)
{
    int count = 0;
    for (const auto &entry : fs::directory_iterator(folder))
    {
        (void)entry;
        ++count;
    }
    return count;
}

class AtomicWrite : public ::testing::Test
{
protected:
    void SetUp() override { folder = makeScratchFolder("files"); }
    void TearDown() override { fs::remove_all(folder); }
    std::string folder;
};

TEST_F(AtomicWrite, ReplacesTheFileAndReadsItBackWithSpareCapacity)
{
    const std::string path = folder + "/data.txt";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, "first version", error)) << error;
    ASSERT_TRUE(writeFileAtomically(path, std::string("second\0version", 14), error)) << error;
    FileBytes bytes;
    ASSERT_TRUE(readWholeFile(path, bytes, 64, error)) << error;
    EXPECT_EQ(bytes.view(), std::string_view("second\0version", 14));
    for (size_t i = 0; i < 64; ++i)
        ASSERT_EQ(bytes.data()[bytes.size() + i], 0); // the spare bytes are zero
    EXPECT_EQ(entriesIn(folder), 1);
}

TEST_F(AtomicWrite, FailuresLeaveNoFileBehind)
{
    std::string error;
    // A folder that does not exist.
    EXPECT_FALSE(writeFileAtomically(folder + "/missing/out.geo", "x", error));
    EXPECT_NE(error.find(folder + "/missing/out.geo"), std::string::npos) << error;
    // A "folder" that is a file.
    ASSERT_TRUE(writeFileAtomically(folder + "/plain", "x", error));
    EXPECT_FALSE(writeFileAtomically(folder + "/plain/out.geo", "x", error));
    // A target that is a folder: the rename fails after the data was written,
    // and the temporary file must go.
    fs::create_directory(folder + "/taken");
    error.clear();
    EXPECT_FALSE(writeFileAtomically(folder + "/taken", "data", error));
    EXPECT_NE(error.find("cannot replace"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(folder + "/taken"));
    EXPECT_EQ(entriesIn(folder), 2); // "plain" and "taken" only
}

TEST_F(AtomicWrite, AnUncommittedFileLeavesTheTargetAlone)
{
    // A write abandoned half way (an error or an interrupt unwinding the
    // stack) must neither touch the target nor leave its temporary file.
    const std::string path = folder + "/keep.geo";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, "old", error)) << error;
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open(error)) << error;
        ASSERT_TRUE(file.write("partial"));
        EXPECT_EQ(entriesIn(folder), 2); // the target and the temporary file
    }
    EXPECT_EQ(entriesIn(folder), 1);
    FileBytes bytes;
    ASSERT_TRUE(readWholeFile(path, bytes, 0, error));
    EXPECT_EQ(bytes.view(), "old");
}

TEST_F(AtomicWrite, ReadingNamesThePathOnFailure)
{
    FileBytes text;
    std::string error;
    EXPECT_FALSE(readWholeFile(folder + "/absent.geo", text, 0, error));
    EXPECT_NE(error.find(folder + "/absent.geo: cannot open"), std::string::npos) << error;
    EXPECT_FALSE(readWholeFile(folder, text, 0, error));
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
}
} // namespace
