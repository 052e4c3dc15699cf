#include "platform/files.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

class Settings : public ::testing::Test {
protected:
    TempDir dir;
    std::string ini = dir.File("Zorvel.ini");

    void Load(const std::string& text)
    {
        WriteWholeFile(ini, text);
        EXPECT_EQ(LoadSettings(ini.c_str()), 1);
    }
};

TEST_F(Settings, MissingFileGivesDefaultsAndCreatesNothing)
{
    std::memset(&gSettings, 0x7F, sizeof gSettings);
    EXPECT_EQ(LoadSettings(ini.c_str()), 1);
    SETTINGS defaults;
    SetDefaultSettings(&defaults);
    EXPECT_EQ(gSettings.bCheckIMGSRC, 0);
    EXPECT_EQ(gSettings.nDownSizeLimit, 0);
    EXPECT_EQ(gSettings.nThreads, 50);
    EXPECT_EQ(gSettings.nUrlLinks, 5000);
    EXPECT_EQ(gSettings.nLimitOprationTime, 60);
    EXPECT_EQ(gSettings.nLimitTotalDownSize, 1000);
    EXPECT_EQ(gSettings.nLimitFreeDiskSpace, 100);
#if defined(_WIN32)
    EXPECT_STREQ(gSettings.szDownloadFolder, "C:\\");
#else
    char cwd[kFolderSize];
    ASSERT_TRUE(GetCurrentDir(cwd, sizeof cwd));
    EXPECT_STREQ(gSettings.szDownloadFolder, cwd);
#endif
    EXPECT_FALSE(PathExists(ini.c_str()));
}

TEST_F(Settings, LineRules)
{
    struct Case {
        const char* text;
        int32_t SETTINGS::*field;
        int32_t expected;
    } cases[] = {
        {"nThreads=20\n", &SETTINGS::nThreads, 20},
        {"nThreads = 20\n", &SETTINGS::nThreads, 50},  // the key token is "nThreads "
        {"nThreads=1000\n", &SETTINGS::nThreads, 50},  // four characters: too long
        {"nThreads=999\n", &SETTINGS::nThreads, 999},
        {"nThreads==7\n", &SETTINGS::nThreads, 7},     // delimiters after the key are skipped
        {"\tnThreads\t7\n", &SETTINGS::nThreads, 7},
        {"nThreads=\n", &SETTINGS::nThreads, 50},      // no value token
        {"nThreads=-5\n", &SETTINGS::nThreads, -5},    // no range test
        {"nthreads=7\n", &SETTINGS::nThreads, 50},     // keys are case-sensitive
        {"nThreads=7 \n", &SETTINGS::nThreads, 7},     // blanks stay in the value; atoi stops there
        {"nLimitOprationTime=1000\n", &SETTINGS::nLimitOprationTime, 1000},
        {"nLimitOprationTime=10000\n", &SETTINGS::nLimitOprationTime, 60},
        {"nLimitOperationTime=5\n", &SETTINGS::nLimitOprationTime, 60},  // spelt as the file spells it
        {"nUrlLinks=12abcd\n", &SETTINGS::nUrlLinks, 5000},  // six characters
        {"nUrlLinks=12abc\n", &SETTINGS::nUrlLinks, 12},
        {"nUrlLinks=10000\n", &SETTINGS::nUrlLinks, 10000},  // the dialog's largest value reloads
        {"nUrlLinks=abc\n", &SETTINGS::nUrlLinks, 0},
        {"nDownSizeLimit=99999\n", &SETTINGS::nDownSizeLimit, 99999},
        {"nDownSizeLimit=100000\n", &SETTINGS::nDownSizeLimit, 0},
        {"nLimitTotalDownSize=10000\n", &SETTINGS::nLimitTotalDownSize, 10000},
        {"nLimitFreeDiskSpace=250\n", &SETTINGS::nLimitFreeDiskSpace, 250},
        {"nThreads=8\nnThreads=9\n", &SETTINGS::nThreads, 9},        // the later accepted value wins
        {"nThreads=8\nnThreads=9000\n", &SETTINGS::nThreads, 8},     // an ignored later value undoes nothing
        {"[ADVANCED_OPTION]\n\n\n; comment\nnThreads=3", &SETTINGS::nThreads, 3},  // no final newline
        {"nThreads=4\r\n", &SETTINGS::nThreads, 4},  // a Windows line end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Load(c.text);
        EXPECT_EQ(gSettings.*c.field, c.expected);
    }
}

TEST_F(Settings, ImageSourceFlag)
{
    struct Case {
        const char* text;
        uint8_t expected;
    } cases[] = {
        {"bCheckIMGSRC=1\n", 1}, {"bCheckIMGSRC=10\n", 0}, {"bCheckIMGSRC=1\nbCheckIMGSRC=x\n", 0},
        {"bCheckIMGSRC=7\n", 7}, {"bCheckIMGSRC=1\nbCheckIMGSRC=10\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Load(c.text);
        EXPECT_EQ(gSettings.bCheckIMGSRC, c.expected);
    }
}

TEST_F(Settings, DownloadFolderMustExistAndEndsAtTheNextEquals)
{
    TempDir target;
    std::string sub = target.File("a");
    ASSERT_EQ(std::filesystem::create_directory(sub), true);

    Load("[ADVANCED_OPTION]\nszDownloadFolder=" + sub + "=b\n");
    EXPECT_EQ(std::string(gSettings.szDownloadFolder), sub);

    SETTINGS defaults;
    SetDefaultSettings(&defaults);
    Load("szDownloadFolder=" + target.File("missing") + "\n");
    EXPECT_STREQ(gSettings.szDownloadFolder, defaults.szDownloadFolder);

    // A later missing folder does not undo an earlier existing one.
    Load("szDownloadFolder=" + sub + "\nszDownloadFolder=" + target.File("missing") + "\n");
    EXPECT_EQ(std::string(gSettings.szDownloadFolder), sub);

    // 255 characters is one too many, even for a path that exists. The long paths are made of
    // "." steps under a folder whose name length gives the wanted total.
    for (const char* name : {"b", "bb"}) ASSERT_TRUE(std::filesystem::create_directory(target.File(name)));
    auto pathOfLength = [&target](size_t length) {
        std::string base = target.File("b");
        if ((length - base.size()) % 2 != 0) base = target.File("bb");
        while (base.size() < length) base += std::string(1, kPathSeparator) + ".";
        return base;
    };
    std::string tooLong = pathOfLength(255);
    std::string longest = pathOfLength(254);
    ASSERT_TRUE(PathExists(tooLong.c_str()));
    ASSERT_TRUE(PathExists(longest.c_str()));
    Load("szDownloadFolder=" + tooLong + "\n");
    EXPECT_STREQ(gSettings.szDownloadFolder, defaults.szDownloadFolder);
    Load("szDownloadFolder=" + longest + "\n");
    EXPECT_EQ(std::string(gSettings.szDownloadFolder), longest);
}

TEST_F(Settings, OverlongLineArrivesInPieces)
{
    // The 499-character first piece is junk; the rest of the line is read as a line of its own.
    Load(std::string(499, 'z') + "nThreads=12\n");
    EXPECT_EQ(gSettings.nThreads, 12);
}

TEST_F(Settings, SaveWritesExactlyTenLines)
{
    Load("junk line\nnThreads=7\nnThreads=8\n# comment\n");
    std::strcpy(gSettings.szDownloadFolder, "D:\\Down loads");
    gSettings.bCheckIMGSRC = 1;
    gSettings.nDownSizeLimit = 12;
    gSettings.nUrlLinks = 300;
    gSettings.nLimitOprationTime = 5;
    gSettings.nLimitTotalDownSize = 6;
    gSettings.nLimitFreeDiskSpace = 7;
    ASSERT_EQ(SaveSettings(ini.c_str()), 1);

    std::string e = kTextLineEnd;
    EXPECT_EQ(ReadWholeFile(ini), "[GENERAL_OPTION]" + e + "szDownloadFolder=D:\\Down loads" + e + "bCheckIMGSRC=1" + e +
                                      "[ADVANCED_OPTION]" + e + "nDownSizeLimit=12" + e + "nThreads=8" + e +
                                      "nUrlLinks=300" + e + "nLimitOprationTime=5" + e + "nLimitTotalDownSize=6" + e +
                                      "nLimitFreeDiskSpace=7" + e);
}

TEST_F(Settings, KeepAliveIsReadWhenPresentAndWrittenOnlyWhenSet)
{
    struct Case {
        const char* text;
        uint8_t expected;
    } cases[] = {
        {"", 0}, {"bKeepAlive=1\n", 1}, {"bKeepAlive=0\n", 0}, {"bKeepAlive=11\n", 0}, {"bKeepAlive=x\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Load(c.text);
        EXPECT_EQ(gSettings.bKeepAlive, c.expected);
    }
    std::string e = kTextLineEnd;
    Load("bKeepAlive=1\n");
    ASSERT_EQ(SaveSettings(ini.c_str()), 1);
    std::string kept = ReadWholeFile(ini);
    EXPECT_EQ(kept.substr(kept.size() - 12 - e.size()), "bKeepAlive=1" + e);
    Load(kept);
    EXPECT_EQ(gSettings.bKeepAlive, 1);
    // Off again: the file is the ten lines once more.
    gSettings.bKeepAlive = 0;
    ASSERT_EQ(SaveSettings(ini.c_str()), 1);
    std::string plain = ReadWholeFile(ini);
    EXPECT_EQ(plain, kept.substr(0, kept.size() - 12 - e.size()));
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 10);
}

TEST_F(Settings, DefaultsRoundTrip)
{
    SetDefaultSettings(&gSettings);
    std::strcpy(gSettings.szDownloadFolder, dir.path.c_str());
    ASSERT_EQ(SaveSettings(ini.c_str()), 1);
    SETTINGS saved = gSettings;
    std::memset(&gSettings, 0, sizeof gSettings);
    LoadSettings(ini.c_str());
    EXPECT_STREQ(gSettings.szDownloadFolder, saved.szDownloadFolder);
    EXPECT_EQ(gSettings.bCheckIMGSRC, saved.bCheckIMGSRC);
    EXPECT_EQ(gSettings.nDownSizeLimit, saved.nDownSizeLimit);
    EXPECT_EQ(gSettings.nUrlLinks, saved.nUrlLinks);
    EXPECT_EQ(gSettings.nThreads, saved.nThreads);
    EXPECT_EQ(gSettings.nLimitOprationTime, saved.nLimitOprationTime);
    EXPECT_EQ(gSettings.nLimitTotalDownSize, saved.nLimitTotalDownSize);
    EXPECT_EQ(gSettings.nLimitFreeDiskSpace, saved.nLimitFreeDiskSpace);
}

TEST_F(Settings, FailedSaveKeepsTheOldFileWhole)
{
    Load("nThreads=33\n");
    std::string before = ReadWholeFile(ini);

    // A folder where the temporary file would go makes the save fail before the old file is touched.
    char temp[1024];
    ASSERT_TRUE(TempPathFor(ini.c_str(), temp, sizeof temp));
    ASSERT_TRUE(std::filesystem::create_directory(temp));
    gSettings.nThreads = 44;
    EXPECT_EQ(SaveSettings(ini.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(ini), before);

    // A folder that does not exist cannot take the file at all.
    EXPECT_EQ(SaveSettings(dir.File("no-such-folder").append(1, kPathSeparator).append("Zorvel.ini").c_str()), 0);
}

TEST_F(Settings, SaveReplacesAndLeavesNoTemporary)
{
    WriteWholeFile(ini, "old contents that are longer than the new file will be, by a good margin: " +
                            std::string(2000, '#'));
    SetDefaultSettings(&gSettings);
    ASSERT_EQ(SaveSettings(ini.c_str()), 1);
    char temp[1024];
    ASSERT_TRUE(TempPathFor(ini.c_str(), temp, sizeof temp));
    EXPECT_FALSE(PathExists(temp));
    EXPECT_EQ(ReadWholeFile(ini).rfind("[GENERAL_OPTION]", 0), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator{}), 1);
}

}  // namespace
