// Whole crawls against the generated site on nginx and the scripted server: on the test's own
// thread (the crawl thread's body, then pool-worker rounds until no work is left), or beside
// pool workers on their own threads.
#include "crawl_fixture.h"
#include "engine/job_actions.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

class Crawl : public CrawlTest {
protected:
    // A job for `path` on nginx, started as the scheduler would.
    SCANJOB* Start(const std::string& path, int format, int depth)
    {
        return StartJob("http://127.0.0.1:" + std::to_string(servers.nginx) + path, format, depth);
    }

    // The crawl thread's body on this thread beside `count` pool workers on their own threads,
    // until the job has no work left (tested under the engine lock, where work is taken), then
    // the recount.
    void RunWithWorkers(SCANJOB* job, int count)
    {
        std::atomic<bool> done{false};
        std::vector<std::unique_ptr<POOLWORKER>> workers;
        std::vector<std::thread> threads;
        for (int i = 0; i < count; ++i) {
            workers.push_back(std::make_unique<POOLWORKER>());
            threads.emplace_back([&done, w = workers.back().get()] {
                while (!done.load())
                    if (PoolWorkerStep(*w) > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            });
        }
        CrawlJob(job);
        auto idle = [job] {
            std::lock_guard<std::mutex> lock(gEngineLock);
            return !JobHasWork(job);
        };
        for (int i = 0; i < 3000 && !idle(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        done = true;
        for (std::thread& t : threads) t.join();
        RecountJobStates();
    }

    std::set<std::string> Expected(const std::string& folder, std::initializer_list<const char*> files) const
    {
        std::set<std::string> names;
        for (const char* f : files) names.insert("127.0.0.1+" + folder + "+" + f);
        return names;
    }

    // How often each target of a folder was requested, from nginx's log of that folder
    // (many or docs).
    std::map<std::string, int> Requests(const std::string& folderLog) const
    {
        std::map<std::string, int> counts;
        std::ifstream log(servers.root + "/../logs/" + folderLog + ".log");
        std::string method, target;
        std::string version;
        while (log >> method >> target >> version) ++counts[target];
        return counts;
    }
};

TEST_F(Crawl, DepthDecidesWhichPagesAreScanned)
{
    struct Case {
        int depth;
        std::set<std::string> files;
        int found;
    } cases[] = {
        {0, Expected("crawl", {"f0.jpg"}), 0},
        {1, Expected("crawl", {"f0.jpg", "ff.jpg", "f1.jpg", "f1b.jpg", "f1c.jpg"}), 2},
        {2, Expected("crawl", {"f0.jpg", "ff.jpg", "f1.jpg", "f1b.jpg", "f1c.jpg", "f2.jpg", "f2b.jpg"}), 3},
        {3, Expected("crawl", {"f0.jpg", "ff.jpg", "f1.jpg", "f1b.jpg", "f1c.jpg", "f2.jpg", "f2b.jpg", "f3.jpg"}), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        for (const std::string& name : FolderFiles()) std::filesystem::remove(folder.File(name));
        ResetEngineForTest();
        SCANJOB* job = Start("/crawl/index.html", kFormatImage, c.depth);
        RunToEnd(job);
        EXPECT_EQ(job->nState.load(), kJobComplete);
        EXPECT_EQ(Saved(), c.files);
        // The start page links l1b twice and itself once: each is queued once, and the start
        // page, never marked as visited, is fetched once more by a worker.
        EXPECT_EQ(job->nFound.load(), c.found);
        EXPECT_EQ(job->nFiles.load(), static_cast<int>(c.files.size()));
        EXPECT_EQ(job->pVisited.load(), nullptr);
        ExpectServedBytes();
    }
    EXPECT_EQ(Recorded().logLines.back(), "Complete ( http://127.0.0.1:" + std::to_string(servers.nginx) +
                                              "/crawl/index.html )");
}

TEST_F(Crawl, ImageSourcesOnlyWhenWanted)
{
    gSettings.bCheckIMGSRC = 1;
    RunToEnd(Start("/crawl/index.html", kFormatImage, 0));
    EXPECT_EQ(Saved(), Expected("crawl", {"f0.jpg", "img0.jpg"}));

    // The option applies to Image jobs only.
    for (const std::string& name : FolderFiles()) std::filesystem::remove(folder.File(name));
    RunToEnd(Start("/crawl/index.html?any", kFormatAny, 0));
    EXPECT_EQ(Saved(), Expected("crawl", {"f0.jpg", "doc0.pdf", "song.mp3", "clip.avi", "notes.txt"}));
}

TEST_F(Crawl, EachClassTakesItsOwnFiles)
{
    struct Case {
        int format;
        std::set<std::string> files;
    } cases[] = {
        {kFormatImage, Expected("crawl", {"f0.jpg"})},  // not UPPER.JPG, x.jpeg or q.jpg?x=1
        {kFormatAudio, Expected("crawl", {"song.mp3"})},
        {kFormatVideo, Expected("crawl", {"clip.avi"})},
        {kFormatDocument, Expected("crawl", {"doc0.pdf", "notes.txt"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FormatName(c.format));
        for (const std::string& name : FolderFiles()) std::filesystem::remove(folder.File(name));
        RunToEnd(Start("/crawl/index.html?" + std::to_string(c.format), c.format, 0));
        EXPECT_EQ(Saved(), c.files);
    }
    ExpectServedBytes();
}

TEST_F(Crawl, LinkLimitBoundsTheSharedQueue)
{
    gSettings.nUrlLinks = 3;
    SCANJOB* job = Start("/limit/index.html", kFormatImage, 1);
    RunToEnd(job);
    EXPECT_EQ(job->nFound.load(), 3);
    EXPECT_EQ(Saved(), Expected("limit", {"f0.jpg", "f1.jpg", "f2.jpg"}));
}

TEST_F(Crawl, FilesAlreadyPresentAndTheMinimumSize)
{
    WriteWholeFile(folder.File("127.0.0.1+limit+f1.jpg"), "kept");
    gSettings.nDownSizeLimit = 0;
    RunToEnd(Start("/limit/index.html", kFormatImage, 1));
    EXPECT_EQ(ReadWholeFile(folder.File("127.0.0.1+limit+f1.jpg")), "kept");
    EXPECT_EQ(Saved().size(), 5u);

    // 1 KB: the files of 1,000 to 1,004 bytes are all too small.
    for (const std::string& name : FolderFiles()) std::filesystem::remove(folder.File(name));
    gSettings.nDownSizeLimit = 1;
    RunToEnd(Start("/limit/index.html?small", kFormatImage, 1));
    EXPECT_TRUE(Saved().empty());
}

TEST_F(Crawl, FailedStartPageCompletesWithNothingFound)
{
    SCANJOB* job = Start("/crawl/missing.html", kFormatAny, 3);
    RunToEnd(job);
    EXPECT_EQ(job->nState.load(), kJobComplete);
    EXPECT_EQ(job->nFound.load(), 0);
    EXPECT_TRUE(Saved().empty());
    // Marked on the job and reported once, as the start page's, under the job's address.
    EXPECT_EQ(job->bStartFailed.load(), 1);
    std::vector<TRANSFER> failures = Recorded().Failures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].address, job->szAddress);
    EXPECT_EQ(failures[0].outcome, kHttpStatus | kStartPageFailed);
    EXPECT_EQ(failures[0].detail, "404 Not Found");
}

TEST_F(Crawl, FailedLinksAreReportedButDoNotFailTheStartPage)
{
    SCANJOB* job = Start("/broken/index.html", kFormatAny, 1);
    RunToEnd(job);
    EXPECT_EQ(job->bStartFailed.load(), 0);
    std::set<std::string> failures;
    for (const TRANSFER& t : Recorded().Failures())
        failures.insert(t.address + " " + std::to_string(t.outcome) + " " + t.detail);
    std::string site = "http://127.0.0.1:" + std::to_string(servers.nginx);
    EXPECT_EQ(failures, (std::set<std::string>{
                            site + "/broken/missing.jpg " + std::to_string(kHttpStatus) + " 404 Not Found",
                            "http://gone.invalid/pic.jpg " + std::to_string(kNameNotResolved) + " ",
                            "http://gone.invalid/page.html " + std::to_string(kNameNotResolved) + " ",
                        }));
    EXPECT_EQ(Saved(), (std::set<std::string>{"127.0.0.1+broken+ok.jpg", "127.0.0.1+slow+wait.jpg"}));
}

TEST_F(Crawl, EveryPageOfASiteOfSimilarAddressesIsFetchedOnce)
{
    gSettings.nDownSizeLimit = 0;
    SCANJOB* job = Start("/many/index.html", kFormatImage, 2);
    RunToEnd(job);
    EXPECT_EQ(job->nState.load(), kJobComplete);

    std::set<std::string> files;
    std::map<std::string, int> requests{{"/many/index.html", 1}};
    auto page = [&](const std::string& path, const std::string& image) {
        requests["/many/" + path] = 1;
        requests["/many/" + image] = 1;
        std::string name = "127.0.0.1+many+" + image;
        std::replace(name.begin(), name.end(), '/', '+');
        files.insert(name);
    };
    for (int n = 0; n < 20; ++n) {
        requests["/many/s/" + std::to_string(n) + ".html"] = 1;
        for (int m = 0; m < 50; ++m) {
            std::string stem = "s/" + std::to_string(n) + "/" + std::to_string(m);
            page(stem + ".html", stem + ".jpg");
        }
    }
    char stem[32];
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= 28; ++d) {
            std::snprintf(stem, sizeof stem, "d/2026/%02d/%02d", m, d);
            page(std::string(stem) + ".html", std::string(stem) + ".jpg");
        }
    EXPECT_EQ(Saved().size(), 1336u);
    EXPECT_EQ(Saved(), files);
    EXPECT_EQ(job->nFiles.load(), 1336);
    EXPECT_EQ(Requests("many"), requests);
}

TEST_F(Crawl, EveryResourceLinkedUnderManySpellingsIsFetchedAndSavedOnce)
{
    gSettings.nDownSizeLimit = 0;
    RunToEnd(Start("/docs/index.html", kFormatImage, 3));

    EXPECT_EQ(Saved(), (std::set<std::string>{"127.0.0.1+docs+images+feather.png", "127.0.0.1+docs+images+logo.png",
                                              "127.0.0.1+docs+images+shot.png"}));
    ExpectServedBytes();
    // Every relative spelling of a page is one key, and every absolute spelling another (the
    // absolute key keeps the port as written), so each page linked both ways is fetched twice,
    // never once per spelling or anchor. The start page is never marked: its absolute self
    // link fetches it once more.
    std::map<std::string, int> expected{{"/docs/index.html", 2},         {"/docs/en/index.html", 2},
                                        {"/docs/en/guide.html", 2},      {"/docs/en/mod/index.html", 2},
                                        {"/docs/images/logo.png", 1},    {"/docs/images/shot.png", 1},
                                        {"/docs/images/feather.png", 1}};
    EXPECT_EQ(Requests("docs"), expected);
}

TEST_F(Crawl, DownloadsRunOnThePoolAndStopsTreatThemAsTheyTreatPages)
{
    // /slow/many.html links four files that take about 3 s each; they are queued by the page's
    // thread and downloaded by pool workers.
    struct Case {
        int32_t mode;
        std::set<std::string> saved;
    } cases[] = {
        {kStopGraceful, {"127.0.0.1+slow+m0.jpg"}},  // the running download finishes, queued ones never start
        {kStopImmediate, {}},                         // the running one ends too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        for (const std::string& name : FolderFiles()) std::filesystem::remove(folder.File(name));
        SCANJOB* job = Start("/slow/many.html?" + std::to_string(c.mode), kFormatImage, 0);
        CrawlJob(job);
        EXPECT_EQ(job->nDownQueued.load(), 4);
        EXPECT_TRUE(Saved().empty());
        RecountJobStates();  // queued downloads are work: the job is not complete
        EXPECT_EQ(job->nState.load(), kJobProcessing);

        std::thread busy([this] { PoolWorkerStep(*worker); });
        for (int i = 0; i < 500 && job->nActive.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(job->nDownQueued.load(), 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (c.mode == kStopGraceful)
            StopJobGracefully(job);
        else
            StopJobImmediately(job);
        EXPECT_EQ(job->nDownQueued.load(), 0);
        busy.join();
        RecountJobStates();
        EXPECT_EQ(job->nState.load(), kJobStopped);
        EXPECT_EQ(Saved(), c.saved);
        ExpectServedBytes();
        auto second = std::make_unique<POOLWORKER>();
        EXPECT_EQ(PoolWorkerStep(*second), 1000);  // nothing was left to take
    }
}

TEST_F(Crawl, WorkersTakePagesBeforeDownloadsUntilDownloadsPileUp)
{
    SCANJOB* job = Start("/crawl/index.html", kFormatImage, 3);
    CrawlJob(job);  // the start page's absolute links and its files wait on the pool
    const int queued = job->nDownQueued.load();
    ASSERT_GT(job->nLeft.load(), 0);
    ASSERT_GT(queued, 0);
    EXPECT_EQ(PoolWorkerStep(*worker), 0);
    EXPECT_GE(job->nDownQueued.load(), queued);  // a page was read, no file taken
    EXPECT_TRUE(Saved().empty());

    // A backlog of downloads is served ahead of the pages that wait.
    const AddressRecord file = Address(servers.nginx, "/crawl/f0.jpg");
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        while (job->nDownQueued.load() < kDownloadBacklog) PushJobDownload(job, file);
    }
    const int left = job->nLeft.load();
    EXPECT_EQ(PoolWorkerStep(*worker), 0);
    EXPECT_EQ(job->nDownQueued.load(), kDownloadBacklog - 1);
    EXPECT_EQ(job->nLeft.load(), left);
    EXPECT_FALSE(Saved().empty());

    for (int rounds = 0; rounds < 100000 && PoolWorkerStep(*worker) == 0; ++rounds) {
    }
    RecountJobStates();
    EXPECT_EQ(job->nState.load(), kJobComplete);
}

TEST_F(Crawl, StoppedJobsLinksAreDroppedNotFetched)
{
    SCANJOB* job = Start("/crawl/index.html", kFormatImage, 3);
    CrawlJob(job);  // the shared queue now holds the start page's absolute links
    EXPECT_GT(job->nLeft.load(), 0);
    // A worker that takes a link just as the job's stop mode is set (before its state follows)
    // drops the whole queue with that link and fetches nothing.
    job->nStopMode = kStopGraceful;
    std::set<std::string> before = Saved();
    EXPECT_EQ(PoolWorkerStep(*worker), 0);
    EXPECT_EQ(job->nLeft.load(), 0);
    EXPECT_EQ(gCounters.nBusyWorkers.load(), 1);
    EXPECT_EQ(PoolWorkerStep(*worker), 1000);
    EXPECT_EQ(gCounters.nBusyWorkers.load(), 0);
    EXPECT_EQ(Saved(), before);
    job->nState = kJobStopping;
    RecountJobStates();
    EXPECT_EQ(job->nState.load(), kJobStopped);
}

TEST_F(Crawl, RelativePagesAreReadInParallelAtTheLevelsOfAOneThreadCrawl)
{
    gSettings.nDownSizeLimit = 0;
    const std::string scripted = "http://127.0.0.1:" + std::to_string(servers.scripted);

    // Six relative pages, each of which waits (2 s at most) until two of them are read at once.
    const std::string key = "crawl-" + std::to_string(::getpid());
    SCANJOB* job = StartJob(scripted + "/par/" + key + "/index.html", kFormatImage, 1);
    RunWithWorkers(job, 4);
    EXPECT_EQ(job->nState.load(), kJobComplete);
    EXPECT_GE(std::stoi(ScriptedText("/_peak/" + key)), 2);

    // p.html is linked from a slow page at level 1 and, through a fast page, at level 2: it keeps
    // level 1 + 1, so its link to q.html is followed and q.html's image saved at depth 3.
    job = StartJob(scripted + "/lv/index.html", kFormatImage, 3);
    RunWithWorkers(job, 4);
    EXPECT_EQ(job->nState.load(), kJobComplete);
    EXPECT_EQ(Saved(), (std::set<std::string>{"127.0.0.1+lv+q.jpg"}));
    EXPECT_EQ(ReadWholeFile(folder.File("127.0.0.1+lv+q.jpg")), ScriptedBody(100));
}

}  // namespace
