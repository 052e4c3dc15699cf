#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <unistd.h>
#endif

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

// Publishes into a fresh folder, then onto the name just published: the first gives the
// file its name, the second must fail and leave both files as they were.
void ExpectPublishKeepsItsPromise()
{
    TempDir dir;
    std::string temp = dir.File("x.part"), final = dir.File("x.jpg");
    char why[kFileErrorSize] = {};
    ASSERT_TRUE(WriteNew(temp, "complete"));
    ASSERT_TRUE(PublishNoClobber(temp.c_str(), final.c_str(), why)) << why;
    EXPECT_FALSE(PathExists(temp.c_str()));
    EXPECT_EQ(ReadWholeFile(final), "complete");

    ASSERT_TRUE(WriteNew(temp, "other"));
    EXPECT_FALSE(PublishNoClobber(temp.c_str(), final.c_str(), why));
    EXPECT_STREQ(why, "a file of that name exists");
    EXPECT_EQ(ReadWholeFile(final), "complete");
    EXPECT_EQ(ReadWholeFile(temp), "other");
}

TEST(Files, PublishNeverReplacesAFile)
{
    ExpectPublishKeepsItsPromise();
}

#if !defined(_WIN32)
int NoFlag(const char*, const char*)
{
    errno = EINVAL;  // what a kernel or file system without RENAME_NOREPLACE answers
    return -1;
}
int NoHardLinks(const char*, const char*)
{
    errno = EPERM;  // FAT, exFAT and many network and FUSE mounts
    return -1;
}
int SystemLink(const char* from, const char* to) { return link(from, to); }
int SystemUnlink(const char* path) { return unlink(path); }
int PartStaysBusy(const char* path)
{
    if (std::strstr(path, ".part") == nullptr) return unlink(path);
    errno = EBUSY;
    return -1;
}

struct PublishCallsGuard {
    explicit PublishCallsGuard(const PUBLISHCALLS* calls) { SetPublishCallsForTest(calls); }
    ~PublishCallsGuard() { SetPublishCallsForTest(nullptr); }
};

TEST(Files, PublishWithoutNoReplaceRenameOrHardLinks)
{
    const PUBLISHCALLS hardLinksOnly = {NoFlag, SystemLink, SystemUnlink};
    const PUBLISHCALLS neither = {NoFlag, NoHardLinks, SystemUnlink};
    for (const PUBLISHCALLS* calls : {&hardLinksOnly, &neither}) {
        SCOPED_TRACE(calls == &neither ? "no hard links" : "hard links");
        PublishCallsGuard guard(calls);
        ExpectPublishKeepsItsPromise();
    }
}

TEST(Files, PublishFailsWhenTheTemporaryNameCannotBeRemoved)
{
    const PUBLISHCALLS calls = {NoFlag, SystemLink, PartStaysBusy};
    PublishCallsGuard guard(&calls);
    TempDir dir;
    std::string temp = dir.File("x.part"), final = dir.File("x.jpg");
    char why[kFileErrorSize] = {};
    ASSERT_TRUE(WriteNew(temp, "complete"));
    EXPECT_FALSE(PublishNoClobber(temp.c_str(), final.c_str(), why));
    EXPECT_STRNE(why, "");
    EXPECT_FALSE(PathExists(final.c_str()));  // the second name is taken back
    EXPECT_EQ(ReadWholeFile(temp), "complete");
}
#endif

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
