#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

bool WriteNew(const std::string& path, const std::string& bytes)
{
    PlatformFile file = CreateNewFile(path.c_str());
    if (!IsOpen(file)) return false;
    bool ok = WriteAll(file, bytes.data(), bytes.size());
    return CloseFile(file) && ok;
}

TEST(Files, ExclusiveCreateRefusesAnExistingFile)
{
    TempDir dir;
    std::string path = dir.File("a.bin");
    EXPECT_FALSE(PathExists(path.c_str()));
    ASSERT_TRUE(WriteNew(path, "first"));
    EXPECT_TRUE(PathExists(path.c_str()));
    EXPECT_FALSE(WriteNew(path, "second"));
    EXPECT_EQ(ReadWholeFile(path), "first");
    EXPECT_TRUE(DeletePath(path.c_str()));
    EXPECT_FALSE(PathExists(path.c_str()));
    EXPECT_FALSE(DeletePath(path.c_str()));
}

TEST(Files, PublishNeverReplacesAFile)
{
    TempDir dir;
    std::string temp = dir.File("x.part"), final = dir.File("x.jpg");
    ASSERT_TRUE(WriteNew(temp, "complete"));
    ASSERT_TRUE(PublishNoClobber(temp.c_str(), final.c_str()));
    EXPECT_FALSE(PathExists(temp.c_str()));
    EXPECT_EQ(ReadWholeFile(final), "complete");

    ASSERT_TRUE(WriteNew(temp, "other"));
    EXPECT_FALSE(PublishNoClobber(temp.c_str(), final.c_str()));
    EXPECT_EQ(ReadWholeFile(final), "complete");
    EXPECT_EQ(ReadWholeFile(temp), "other");
}

TEST(Files, ReplaceContentsCreatesAndReplaces)
{
    TempDir dir;
    std::string path = dir.File("f.txt");
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), "one", 3));
    EXPECT_EQ(ReadWholeFile(path), "one");
    std::string big(100000, 'b');
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), big.data(), big.size()));
    EXPECT_EQ(ReadWholeFile(path), big);
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), "", 0));
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(Files, FoldersAndFreeSpace)
{
    TempDir dir;
    EXPECT_TRUE(PathExists(dir.path.c_str()));
    EXPECT_FALSE(PathExists(""));
    EXPECT_GT(FreeBytesAvailable(dir.path.c_str()), 0);
    EXPECT_EQ(FreeBytesAvailable(dir.File("missing").c_str()), -1);

    char before[1024];
    ASSERT_TRUE(GetCurrentDir(before, sizeof before));
    ASSERT_TRUE(SetCurrentDir(dir.path.c_str()));
    char now[1024];
    ASSERT_TRUE(GetCurrentDir(now, sizeof now));
    EXPECT_TRUE(std::filesystem::equivalent(now, dir.path));
    char tiny[2];
    EXPECT_FALSE(GetCurrentDir(tiny, sizeof tiny));
    ASSERT_TRUE(SetCurrentDir(before));
    EXPECT_FALSE(SetCurrentDir(dir.File("missing").c_str()));
}

}  // namespace
