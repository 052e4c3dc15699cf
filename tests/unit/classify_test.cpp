#include "links/classify.h"

#include "support/parsed_address.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

TEST(Classify, PagesAndFiles)
{
    struct Case {
        const char* address;
        int page;
        const char* extension;  // for files
        int classes;            // bit c set when class c takes the file
    } cases[] = {
        {"h/photos/cat.jpg", 0, "jpg", 1 | 16},
        {"h/photos/cat.jpg?w=100", 1, "", 0},  // the query decides
        {"h/photos/cat.JPG", 0, "JPG", 0},     // no case folding
        {"h/photos/cat.jpeg", 0, "jpeg", 0},
        {"h/movie.mpeg", 0, "mpeg", 4 | 16},
        {"h/index.HTML", 0, "HTML", 0},
        {"h/page.shtml", 1, "", 0},            // over four characters
        {"h/default.aspx", 0, "aspx", 0},
        {"h/", 1, "", 0},
        {"h/dir/", 1, "", 0},
        {"h/release.2/", 1, "", 0},            // the dot is in a folder name
        {"h/a.b/c", 1, "", 0},
        {"h/archive.tar.gz", 0, "gz", 0},
        {"h/song.mp3", 0, "mp3", 2 | 16},
        {"h/paper.pdf", 0, "pdf", 8 | 16},
        {"h/x.php", 1, "", 0},
        {"h/x.htm", 1, "", 0},
        {"h/x.cgi", 1, "", 0},
        {"h/noext", 1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        char extension[kExtensionSize];
        EXPECT_EQ(IsPageAddress(ParsedAddress(c.address), extension), c.page);
        if (c.page) continue;
        EXPECT_STREQ(extension, c.extension);
        for (int format = 0; format < kFormatCount; ++format)
            EXPECT_EQ(IsFormatExtension(format, extension), (c.classes >> format) & 1) << format;
    }
}

TEST(Classify, ClassListsAndCodes)
{
    const char* lists[] = {
        "jpg jpe bmp pcx gif dib png psd psp raw tif",
        "mp3 wav ra wma cda mid mp2 rmi rol dsf swa voc",
        "avi mpg mpeg wmv asf asx rm dat mov",
        "doc ppt xls pdf txt hwp gul pm4 pps rtf",
    };
    int all = 0;
    for (int format = 0; format < 4; ++format) {
        char copy[100];
        std::snprintf(copy, sizeof copy, "%s", lists[format]);
        for (char* e = std::strtok(copy, " "); e != nullptr; e = std::strtok(nullptr, " ")) {
            EXPECT_EQ(IsFormatExtension(format, e), 1) << e;
            EXPECT_EQ(IsFormatExtension(kFormatAny, e), 1) << e;
            for (int other = 0; other < 4; ++other)
                if (other != format) {
                    EXPECT_EQ(IsFormatExtension(other, e), 0) << e << " in " << other;
                }
            ++all;
        }
    }
    EXPECT_EQ(all, 42);
    for (int bad : {-1, 5}) EXPECT_EQ(IsFormatExtension(bad, "jpg"), 0);
    EXPECT_STREQ(FormatName(3), "Document");
    EXPECT_STREQ(FormatName(5), "");
}

}  // namespace
