// zorvel-cli: the headless program on the same engine as the window. It starts the way the
// window program does (networking, settings, pool, scheduler), without the window.
#include "cli/options.h"
#include "cli/terminal_views.h"
#include "engine/job_actions.h"
#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "engine/pool.h"
#include "engine/scheduler.h"
#include "engine/size_text.h"
#include "http/file_download.h"
#include "links/classify.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/net.h"
#include "platform/tls.h"
#include "platform/process.h"
#include "search/search.h"
#include "settings/settings.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define ZORVEL_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define ZORVEL_ISATTY(fd) isatty(fd)
#endif

namespace {

volatile std::sig_atomic_t gInterrupts = 0;

void OnInterrupt(int)
{
    gInterrupts = gInterrupts + 1;
    std::signal(SIGINT, OnInterrupt);
}

void ApplyOverrides(const CLIOPTIONS& o)
{
    auto set = [](int value, int32_t* field) {
        if (value >= 0) *field = value;
    };
    set(o.threads, &gSettings.nThreads);
    set(o.links, &gSettings.nUrlLinks);
    set(o.minSize, &gSettings.nDownSizeLimit);
    set(o.timeLimit, &gSettings.nLimitOprationTime);
    set(o.sizeLimit, &gSettings.nLimitTotalDownSize);
    set(o.freeSpace, &gSettings.nLimitFreeDiskSpace);
    if (o.imageSrc >= 0) gSettings.bCheckIMGSRC = static_cast<uint8_t>(o.imageSrc);
    if (o.keepAlive) gSettings.bKeepAlive = 1;
}

// True once every job has ended, Complete or Stopped.
bool AllJobsEnded()
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    bool ended = true;
    ForEachJob([&ended](SCANJOB* job) {
        int32_t state = job->nState.load();
        ended = state == kJobComplete || state == kJobStopped;
        return ended;
    });
    return ended;
}

// The closing summary; returns the exit status: 1 when any job was stopped, else 3 when any
// start page could not be fetched, else 0.
int PrintSummary(int64_t seconds)
{
    std::vector<SCANJOB*> jobs = JobsSnapshot();
    bool stopped = false, startFailed = false;
    std::printf("\n%-9s %-9s %6s %6s %10s  %s\n", "State", "Format", "Found", "Files", "Size", "Address");
    for (SCANJOB* job : jobs) {
        char size[kSizeTextSize];
        int32_t state = job->nState.load();
        stopped = stopped || state != kJobComplete;
        startFailed = startFailed || job->bStartFailed.load() != 0;
        std::printf("%-9s %-5s R-%d %6d %6d %10s  %s\n", JobStateName(state), FormatName(job->nFormat), job->nDepth,
                    job->nFound.load(), job->nFiles.load(), SizeText(job->nSize.load(), size), job->szAddress);
    }
    char total[kSizeTextSize];
    std::printf("Total: %d files, %s (%lld bytes) in %lld s\n", gCounters.nFilesDownloaded.load(),
                SizeText(gCounters.dwTotalBytes.load(), total), static_cast<long long>(gCounters.dwTotalBytes.load()),
                static_cast<long long>(seconds));
    return stopped ? 1 : startFailed ? 3 : 0;
}

// Runs the search on this thread, as the Search and More Result buttons would, and prints the
// results with their ranks. False when the keyword was refused or no page came.
bool SearchFromTerminal(const std::string& keyword, int engine, int pages, std::vector<std::string>* found)
{
    if (keyword.size() < 4 || keyword.size() > 62) {
        std::fprintf(stderr, "zorvel-cli: the keyword must have 4 to 62 characters\n");
        return false;
    }
    for (int page = 0; page < pages; ++page) {
        if (page == 0)
            RunSearch(keyword.c_str(), engine);
        else
            RunMoreResults(engine);
        if (gSearch.nPageCount[engine] != page + 1) return page > 0;
        for (const SEARCHRESULT& result : TakeSearchResults()) {
            std::printf("%s_%d %s\n", result.nEngine == kEngineGoogle ? "G" : "Y", result.nRank, result.szAddress);
            found->push_back(result.szAddress);
        }
    }
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    CLIOPTIONS options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "zorvel-cli: %s\n\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(kVersion, stdout);
        return 0;
    }
    if (options.addresses.empty() && options.search.empty()) {
        std::fprintf(stderr, "zorvel-cli: no address given\n\n%s", kUsage);
        return 2;
    }

    StartNetworking();
    if (!options.caFile.empty() && !AddTrustedCaFile(options.caFile.c_str())) {
        std::fprintf(stderr, "zorvel-cli: cannot read CA certificates from %s\n", options.caFile.c_str());
        return 2;
    }
    std::string ini = options.iniDir.empty() ? kSettingsFileName : options.iniDir + kPathSeparator + kSettingsFileName;
    LoadSettings(ini.c_str());
    ApplyOverrides(options);
    if (!options.output.empty()) {
        std::error_code failed;
        std::filesystem::create_directories(options.output, failed);
        if (!PathExists(options.output.c_str()) || options.output.size() > 255) {
            std::fprintf(stderr, "zorvel-cli: cannot use %s as the download folder\n", options.output.c_str());
            return 2;
        }
        SetDownloadFolder(options.output.c_str());
    }

    InstallTerminalViews(ZORVEL_ISATTY(1) != 0, options.verbosity);
    {
        // Temporary files of runs that ended mid-transfer; this run has none yet.
        char folder[kFolderSize];
        GetDownloadFolder(folder);
        SweepLeftoverParts(folder, true);
    }

    if (!options.search.empty()) {
        if (!options.googleHost.empty())
            std::snprintf(gSearchHosts[0], sizeof gSearchHosts[0], "%s", options.googleHost.c_str());
        if (!options.yahooHost.empty())
            std::snprintf(gSearchHosts[1], sizeof gSearchHosts[1], "%s", options.yahooHost.c_str());
        std::vector<std::string> found;
        if (!SearchFromTerminal(options.search, options.engine, options.pages, &found)) return 1;
        if (!options.scanResults) return 0;
        options.addresses.insert(options.addresses.end(), found.begin(), found.end());
        if (options.addresses.empty()) return 0;
    }
    std::signal(SIGINT, OnInterrupt);
    int64_t started = ClockNow();
    // From here on engine threads run: every end goes through EndProcess.
    StartPool();
    StartScheduler();

    int added = 0;
    for (const std::string& address : options.addresses)
        if (AddTypedAddress(address.c_str(), options.format, options.depth) == TypedResult::Added) ++added;
    if (added == 0) {
        EndLiveStatus();
        std::fprintf(stderr, "zorvel-cli: no valid address to scan\n");
        EndProcess(2);
    }

    int handled = 0;
    while (!AllJobsEnded()) {
        PauseMs(100);
        int interrupts = gInterrupts;
        if (interrupts >= 1 && handled == 0) {
            AppendLog("Ctrl-C: stopping every job gracefully (press it again to stop at once)");
            StopAllGracefully();
            handled = 1;
        }
        if (interrupts >= 2 && handled == 1) {
            AppendLog("Ctrl-C again: stopping every job immediately");
            for (SCANJOB* job : JobsSnapshot())
                if (job->nState.load() != kJobComplete && job->nState.load() != kJobStopped) StopJobImmediately(job);
            handled = 2;
        }
    }
    EndLiveStatus();
    int status = PrintSummary(ClockNow() - started);
    StopNetworking();
    // Engine threads never end by themselves; the process ends them.
    EndProcess(status);
}
