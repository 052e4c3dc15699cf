#include "http/file_name.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileName, Cases)
{
    struct Case {
        const char* host;
        const char* path;
        const char* name;
    } cases[] = {
        {"h", "/a/b.jpg", "h+a+b.jpg"},
        {"h", "/pics/a.jpg", "h+pics+a.jpg"},
        {"h", "/", "h+"},
        {"h", "/a\\..\\..\\x.jpg", "h+a_.._.._x.jpg"},   // no separator of any platform survives
        {"h", "/a:stream.jpg", "h+a_stream.jpg"},          // no alternate data stream
        {"h", "/*?\"<>|.png", "h+______.png"},
        {"h", "/tab\tname\x01.gif", "h+tab_name_.gif"},
        {"h", "/dots.", "h+dots_"},                        // Windows drops a trailing dot
        {"h", "/blank ", "h+blank_"},
        {"con.example", "/a.jpg", "_con.example+a.jpg"},  // CON before the first dot is a device
        {"LPT1.site", "/x", "_LPT1.site+x"},
        {"console.example", "/a.jpg", "console.example+a.jpg"},
        {"h", "/%20x%2F.jpg", "h+%20x%2F.jpg"},            // nothing is decoded
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char name[kFileNameSize];
        MakeFileName(c.host, c.path, name);
        EXPECT_STREQ(name, c.name);
    }
}

TEST(FileName, CutAt149Characters)
{
    std::string path = "/" + std::string(300, 'p');
    char name[kFileNameSize];
    MakeFileName("host", path.c_str(), name);
    EXPECT_EQ(std::string(name), "host+" + std::string(144, 'p'));

    std::string device = "nul." + std::string(200, 'x');
    MakeFileName(device.c_str(), "/", name);
    EXPECT_EQ(std::string(name).size(), 149u);
    EXPECT_EQ(name[0], '_');
}

TEST(FileName, FullPath)
{
    char path[kFullPathSize];
    std::string sep(1, kPathSeparator);
    ASSERT_TRUE(MakeFullPath("dl", "h+a+b.jpg", path));
    EXPECT_EQ(std::string(path), "dl" + sep + "h+a+b.jpg");
    ASSERT_TRUE(MakeFullPath(("dl" + sep).c_str(), "x", path));  // a folder such as C:\ ends in one already
    EXPECT_EQ(std::string(path), "dl" + sep + "x");

    std::string folder(200, 'f');
    EXPECT_TRUE(MakeFullPath(folder.c_str(), std::string(54, 'n').c_str(), path));  // 255 characters
    EXPECT_FALSE(MakeFullPath(folder.c_str(), std::string(55, 'n').c_str(), path));
}
