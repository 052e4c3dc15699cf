// zorvel-cli: the headless program on the same engine as the window.
#include "cli/terminal_views.h"
#include "engine/job_table.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage()
{
    std::printf(
        "Usage: zorvel-cli [--ini-dir DIR] ADDRESS...\n"
        "\n"
        "Adds each http:// ADDRESS as a scan job (format Image, depth R-1) and shows the\n"
        "activity log. Zorvel.ini is read from DIR, or from the current directory.\n"
        "\n"
        "This build has the job table, the settings and the request composer; crawling and\n"
        "downloading are not built yet, so the jobs stay Queued and nothing is fetched.\n");
}

void PrintSettings()
{
    std::printf("Settings: download folder %s, %d threads, %d links, minimum %d KB, image sources %s,\n"
                "          stop after %d minutes, %d MB downloaded, or below %d MB free\n",
                gSettings.szDownloadFolder, gSettings.nThreads, gSettings.nUrlLinks, gSettings.nDownSizeLimit,
                gSettings.bCheckIMGSRC ? "on" : "off", gSettings.nLimitOprationTime,
                gSettings.nLimitTotalDownSize, gSettings.nLimitFreeDiskSpace);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* iniDir = nullptr;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        if (std::strcmp(argv[first], "--help") == 0 || std::strcmp(argv[first], "-h") == 0) {
            PrintUsage();
            return 0;
        }
        if (std::strcmp(argv[first], "--ini-dir") == 0 && first + 1 < argc) {
            iniDir = argv[++first];
            continue;
        }
        std::fprintf(stderr, "zorvel-cli: unknown option %s\n", argv[first]);
        PrintUsage();
        return 2;
    }
    if (first >= argc) {
        PrintUsage();
        return 2;
    }

    InstallTerminalViews();
    char iniPath[1024];
    std::snprintf(iniPath, sizeof iniPath, "%s%s%s", iniDir ? iniDir : "", iniDir ? "/" : "", kSettingsFileName);
    LoadSettings(iniPath);
    PrintSettings();

    int added = 0;
    for (int i = first; i < argc; ++i) {
        if (std::strncmp(argv[i], "http://", 7) != 0) {
            std::fprintf(stderr, "zorvel-cli: %s: Type correct url\n", argv[i]);
            continue;
        }
        if (AddScanJob(argv[i], 0, 1) == AddResult::Added) ++added;
    }
    std::printf("%d job(s) in the table. Crawling is not built yet; nothing was fetched.\n", added);
    return added > 0 ? 0 : 2;
}
