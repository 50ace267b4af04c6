#include "io/file_access.h"

#include "io/platform.h"

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
        ASSERT_EQ(bytes.data()[bytes.size() + i], 0);  // the spare bytes are zero
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
    EXPECT_EQ(entriesIn(folder), 2);  // "plain" and "taken" only
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
        EXPECT_EQ(entriesIn(folder), 2);  // the target and the temporary file
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

// Sizes around the page boundaries, where the zeros after a mapped file's
// end are just enough, just too few or none at all: every one must read back
// whole with its spare bytes zero, mapped or not.
struct SizeNearPages
{
    long pages;   // whole pages
    long offset;  // bytes added to them (or taken away)
};

class ReadWholeFile : public ::testing::TestWithParam<SizeNearPages>
{
protected:
    void SetUp() override { folder = makeScratchFolder("sizes"); }
    void TearDown() override { fs::remove_all(folder); }
    std::string folder;
};

TEST_P(ReadWholeFile, GivesEveryByteAndZeroSpareAtAnySize)
{
    const long page = long(memoryPageSize());
    const long size = GetParam().pages * page + GetParam().offset;
    std::string content(size_t(size), '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = char('a' + i % 23);
    const std::string path = folder + "/data.geo";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, content, error)) << error;
    for (const size_t spare : {size_t(0), size_t(64)})
    {
        FileBytes bytes;
        ASSERT_TRUE(readWholeFile(path, bytes, spare, error)) << error;
        ASSERT_EQ(bytes.view(), content) << "spare " << spare;
        for (size_t i = 0; i < spare; ++i)
            ASSERT_EQ(bytes.data()[bytes.size() + i], 0) << "spare byte " << i;
        // Large files with room for the spare bytes are mapped, not copied.
        const size_t tail = (size_t(page) - content.size() % size_t(page)) % size_t(page);
        if (content.size() > size_t(page))
        {
            EXPECT_EQ(bytes.mapped(), tail >= spare) << "size " << size << ", spare " << spare;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PageBoundaries, ReadWholeFile,
                         ::testing::Values(SizeNearPages{0, 0}, SizeNearPages{0, 1}, SizeNearPages{1, 0},
                                           SizeNearPages{2, -65}, SizeNearPages{2, -64}, SizeNearPages{2, -63},
                                           SizeNearPages{2, -1}, SizeNearPages{2, 0}, SizeNearPages{2, 1}));
}  // namespace
