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

TEST(FileName, DeviceNamesAsWindowsSeesThem)
{
    struct Case {
        const char* host;
        const char* path;
        const char* name;
    } cases[] = {
        {"Aux.example", "/", "_Aux.example+"},
        {"LPT6   .example", "/", "_LPT6   .example+"},  // blanks before the first dot are ignored
        {"com0.x", "/", "_com0.x+"},
        {"CONIN$.x", "/", "_CONIN$.x+"},
        {"conout$.x", "/", "_conout$.x+"},
        {"com\xB9.x", "/", "_com\xB9.x+"},          // superscript one in an 8-bit code page
        {"LPT\xC2\xB3.x", "/", "_LPT\xC2\xB3.x+"},  // superscript three in UTF-8
        {"PRN ", "", "_PRN_"},                       // device and blank: the trailing blank goes too
        {"nul", "", "_nul"},
        {"nul", "/", "nul+"},                        // "nul+" is no device
        {"com10.x", "/", "com10.x+"},
        {"conin.x", "/", "conin.x+"},
        {"lpt.x", "/", "lpt.x+"},
        {"comx.x", "/", "comx.x+"},
        {"com\xB4.x", "/", "com\xB4.x+"},           // an accent, no digit
        {"x.con", "/", "x.con+"},                    // only the part before the first dot counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char name[kFileNameSize];
        MakeFileName(c.host, c.path, name);
        EXPECT_STREQ(name, c.name);
    }
}

TEST(FileName, CaseTwinsAreOneNameWhereThePlatformSaysSo)
{
    EXPECT_TRUE(SameFileName("h+a.jpg", "h+a.jpg"));
    EXPECT_FALSE(SameFileName("h+a.jpg", "h+a.jp"));
    EXPECT_FALSE(SameFileName("h+a.jp", "h+a.jpg"));
    EXPECT_EQ(SameFileName("H+Pics+A.JPG", "h+pics+a.jpg"), kFileNamesIgnoreCase);
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

    // The leading "_" pushes the last character out; the new last one must not be a dot or a blank.
    for (char end : {'.', ' '}) {
        std::string host = "nul." + std::string(143, 'x') + end + "y";  // 149 characters
        MakeFileName(host.c_str(), "", name);
        SCOPED_TRACE(name);
        EXPECT_EQ(std::string(name), "_nul." + std::string(143, 'x') + "_");
    }
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
