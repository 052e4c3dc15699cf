#include "http/file_download.h"
#include "http/file_name.h"
#include "net_fixture.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

class FileDownload : public NetTest {
protected:
    SCANJOB job{};
    std::mutex itemsLock;
    std::vector<DOWNLOADITEM*> items;
    std::vector<std::string> logLines;
    struct ENDED {
        int outcome;
        int64_t number;
        std::string detail;
    };
    std::vector<ENDED> ended;  // the transferEnded reports
    VIEWS views{};
    static FileDownload* current;

    void SetUp() override
    {
        NetTest::SetUp();
        current = this;
        views.downloadItemAdded = [](DOWNLOADITEM* item) {
            std::lock_guard<std::mutex> lock(current->itemsLock);
            current->items.push_back(item);
        };
        views.appendLog = [](const char* message) {
            std::lock_guard<std::mutex> lock(current->itemsLock);
            current->logLines.emplace_back(message);
        };
        views.transferEnded = [](const char*, int outcome, int64_t number, const char* detail) {
            std::lock_guard<std::mutex> lock(current->itemsLock);
            current->ended.push_back({outcome, number, detail});
        };
        InstallViews(&views);
    }

    // The download that just ended reported exactly one outcome since `before`: `outcome`.
    void ExpectEnded(size_t before, int outcome)
    {
        ASSERT_EQ(ended.size(), before + 1);
        EXPECT_EQ(ended.back().outcome, outcome);
    }
    void TearDown() override
    {
        ResetViews();
        NetTest::TearDown();
    }

    // Downloads and checks that no connection or file handle is left open.
    int Download(int port, const std::string& path)
    {
        int handles = OpenHandleCount();
        int result = DownloadFile(&job, Address(port, path));
        EXPECT_EQ(OpenHandleCount(), handles) << "a handle was left open";
        return result;
    }

    std::string Saved(const std::string& name) const { return ReadWholeFile(folder.File(name)); }

    // A folder inside the test's folder whose path has exactly `length` characters.
    std::string FolderOfLength(size_t length)
    {
        std::string deep = folder.path;
        while (deep.size() + 2 <= length) deep += std::string(1, kPathSeparator) + "d";
        deep += std::string(length - deep.size(), 'e');
        std::filesystem::create_directories(deep);
        std::snprintf(gSettings.szDownloadFolder, sizeof gSettings.szDownloadFolder, "%s", deep.c_str());
        return deep;
    }
    int32_t LastState() const { return items.empty() ? -1 : items.back()->nState.load(); }
};
FileDownload* FileDownload::current = nullptr;

TEST_F(FileDownload, FilesOfEverySizeAreByteIdentical)
{
    int64_t total = 0;
    int count = 0;
    for (int size : {0, 1, 1459, 1460, 1461, 5000, 65536, 1000000}) {
        std::string path = "/files/size-" + std::to_string(size) + ".bin";
        SCOPED_TRACE(path);
        ASSERT_EQ(Download(servers.nginx, path), 1);
        std::string name = "127.0.0.1+files+size-" + std::to_string(size) + ".bin";
        EXPECT_EQ(Saved(name), ReadWholeFile(servers.root + path));
        EXPECT_EQ(LastState(), kDownloadComplete);
        EXPECT_EQ(items.back()->nTransferred.load(), size);
        EXPECT_EQ(items.back()->nPercent.load(), size ? 100 : 0);
        EXPECT_EQ(std::string(items.back()->szAddress), "http://127.0.0.1" + path);
        ASSERT_FALSE(ended.empty());
        EXPECT_EQ(ended.back().outcome, kFileSaved);
        EXPECT_EQ(ended.back().number, size);
        EXPECT_EQ(ended.back().detail, name);
        total += size;
        ++count;
    }
    EXPECT_EQ(job.nFiles.load(), count);
    EXPECT_EQ(job.nSize.load(), total);
    EXPECT_EQ(gCounters.nFilesDownloaded.load(), count);
    EXPECT_EQ(gCounters.dwTotalBytes.load(), total);
    EXPECT_EQ(FolderFiles().size(), static_cast<size_t>(count));  // no temporary left
}

TEST_F(FileDownload, LargeFileAndPlainServer)
{
    ASSERT_EQ(Download(servers.nginx, "/files/large.bin"), 1);
    EXPECT_EQ(items.back()->nPercent.load(), 100);  // 50 MB: transferred * 100 does not wrap
    EXPECT_EQ(Saved("127.0.0.1+files+large.bin"), ReadWholeFile(servers.root + "/files/large.bin"));

    ASSERT_EQ(Download(servers.plain, "/files/size-65536.bin"), 1);
    EXPECT_EQ(Saved("127.0.0.1+files+size-65536.bin"), ReadWholeFile(servers.root + "/files/size-65536.bin"));
}

TEST_F(FileDownload, ExistingFileIsNeverFetchedAgain)
{
    WriteWholeFile(folder.File("127.0.0.1+sized+300"), "old");
    EXPECT_EQ(Download(servers.scripted, "/sized/300"), 0);
    EXPECT_EQ(Saved("127.0.0.1+sized+300"), "old");
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(ScriptedText("/_count/sized/300"), "0");  // nothing was sent

    // The query and the port take no part in the name.
    ASSERT_EQ(Download(servers.scripted, "/sized/400?a=1"), 1);
    EXPECT_EQ(Download(servers.scripted, "/sized/400?a=2"), 0);
    EXPECT_EQ(ScriptedText("/_count/sized/400?a=2"), "0");
}

TEST_F(FileDownload, MinimumSizeTakesWholeKilobytes)
{
    gSettings.nDownSizeLimit = 5;  // 5,120 bytes
    EXPECT_EQ(Download(servers.scripted, "/sized/5000"), 0);
    EXPECT_TRUE(items.empty());
    ExpectEnded(0, kBelowMinimumSize);
    EXPECT_EQ(ended.back().number, 5000);
    gSettings.nDownSizeLimit = 4;
    EXPECT_EQ(Download(servers.scripted, "/sized/5000"), 1);
    EXPECT_EQ(Saved("127.0.0.1+sized+5000"), ScriptedBody(5000));
}

TEST_F(FileDownload, RefusedBeforeTransferLeaveNoTrace)
{
    struct Case {
        const char* path;
        int outcome;
    } cases[] = {{"/missing", kHttpStatus}, {"/no-length", kNoLength}, {"/bare-lf", kNoResponse}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        size_t before = ended.size();
        EXPECT_EQ(Download(servers.scripted, c.path), 0);
        ExpectEnded(before, c.outcome);
    }
    EXPECT_EQ(Download(servers.nginx, "/files/none.bin"), 0);
    EXPECT_EQ(ended.back().detail, "404 Not Found");
    EXPECT_TRUE(items.empty());
    EXPECT_TRUE(FolderFiles().empty());
    EXPECT_EQ(job.nSize.load(), 0);
    EXPECT_EQ(gCounters.dwTotalBytes.load(), 0);
}

TEST_F(FileDownload, BrokenTransferResumesWithTheMissingTail)
{
    ASSERT_EQ(Download(servers.scripted, "/break-206"), 1);
    EXPECT_EQ(LastState(), kDownloadComplete);
    EXPECT_EQ(Saved("127.0.0.1+break-206"), ScriptedBody(1000));
    EXPECT_EQ(job.nSize.load(), 1000);
    EXPECT_EQ(job.nFiles.load(), 1);
    EXPECT_EQ(ScriptedText("/_requests/break-206"),
              "GET /break-206 HTTP/1.1\r\n"
              "Connection: close\r\n"
              "Accept: */*\r\n"
              "Accept-Encoding: \r\n"
              "Accept-Language: ko, en, en-us\r\n"
              "HOST: 127.0.0.1\r\n"
              "Range: bytes=-400\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0)\r\n"
              "\r\n");
}

TEST_F(FileDownload, ResumeThatCannotCompleteFails)
{
    struct Case {
        const char* path;
        int64_t counted;  // bytes added to the job's size
        int outcome;
    } cases[] = {
        {"/break-200", 600, kTransferBroken},       // the range was ignored
        {"/break-badrange", 600, kTransferBroken},  // a range other than the missing tail
        {"/break-206-long", 600, kTransferFailed},  // the tail came with more than was missing: none of it is taken
        {"/break-again", 700, kTransferBroken},     // the tail broke off too: there is no second resume
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        job.nSize = 0;
        size_t before = ended.size();
        EXPECT_EQ(Download(servers.scripted, c.path), 0);
        EXPECT_EQ(LastState(), kDownloadFailed);
        ExpectEnded(before, c.outcome);
        EXPECT_EQ(job.nSize.load(), c.counted);
    }
    EXPECT_TRUE(FolderFiles().empty());
    EXPECT_EQ(job.nFiles.load(), 0);
}

TEST_F(FileDownload, ServerSendingMoreThanAnnouncedFails)
{
    for (const char* path : {"/longer", "/endless"}) {
        SCOPED_TRACE(path);
        auto start = std::chrono::steady_clock::now();
        size_t before = ended.size();
        EXPECT_EQ(Download(servers.scripted, path), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(LastState(), kDownloadFailed);
        ExpectEnded(before, kTransferFailed);
    }
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(FileDownload, ImmediateStopMidTransferDeletesThePart)
{
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        job.nStopMode = 2;
    });
    EXPECT_EQ(Download(servers.scripted, "/slow"), 0);
    stopper.join();
    EXPECT_EQ(LastState(), kDownloadStopped);
    EXPECT_GT(items.back()->nTransferred.load(), 0);
    EXPECT_GT(job.nSize.load(), 0);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(FileDownload, SilentServerTimesOut)
{
    SetReceiveTimeoutForTest(500);
    EXPECT_EQ(Download(servers.scripted, "/silence"), 0);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(FileDownload, TwoThreadsSaveOneNameOnce)
{
    int results[2] = {};
    std::thread a([&] { results[0] = DownloadFile(&job, Address(servers.nginx, "/files/large.bin")); });
    std::thread b([&] { results[1] = DownloadFile(&job, Address(servers.nginx, "/files/large.bin?again")); });
    a.join();
    b.join();
    EXPECT_EQ(results[0] + results[1], 1);
    EXPECT_EQ(job.nFiles.load(), 1);
    EXPECT_EQ(FolderFiles(), std::vector<std::string>{"127.0.0.1+files+large.bin"});
    EXPECT_EQ(Saved("127.0.0.1+files+large.bin"), ReadWholeFile(servers.root + "/files/large.bin"));
}

TEST_F(FileDownload, LongFolderTakesEveryFinalPathThatFits)
{
    // "127.0.0.1+z" has 11 characters: beside a folder of 240 the final path has 252, while a
    // temporary name would make it longer than 255.
    std::string deep = FolderOfLength(240);
    ASSERT_EQ(Download(servers.nginx, "/z"), 1);
    EXPECT_EQ(ReadWholeFile(deep + kPathSeparator + "127.0.0.1+z"), ReadWholeFile(servers.root + "/z"));
    EXPECT_TRUE(logLines.empty());

    // 244 + 1 + 11 = 256: refused before any request, with one log line.
    FolderOfLength(244);
    EXPECT_EQ(Download(servers.scripted, "/z"), 0);
    EXPECT_EQ(ScriptedText("/_count/z"), "0");
    EXPECT_EQ(logLines, std::vector<std::string>{"Can't save 127.0.0.1+z: its path would pass 255 characters"});
    EXPECT_EQ(items.size(), 1u);
}

TEST_F(FileDownload, LeftoverTemporaryFilesOfEndedRunsAreSwept)
{
    const std::string own = std::to_string(CurrentProcessId());
    const std::vector<std::string> leftovers = {".zorvel-2000000000-3.part"};  // no process has that id
    std::vector<std::string> kept = {
        ".zorvel-" + own + "-7.part",  // this process's: in flight, as far as a job knows
        ".zorvel-2000000000-3.part.jpg", "zorvel-2000000000-3.part", ".zorvel--3.part", ".zorvel-2000000000-.part",
        ".zorvel-x-3.part", "a.part",
    };
    for (const std::string& name : leftovers) WriteWholeFile(folder.File(name), "left");
    for (const std::string& name : kept) WriteWholeFile(folder.File(name), "kept");

    // The job's first download into the folder sweeps it.
    ASSERT_EQ(Download(servers.scripted, "/sized/10"), 1);
    kept.push_back("127.0.0.1+sized+10");
    std::vector<std::string> names = FolderFiles();
    std::sort(names.begin(), names.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(names, kept);

    // At start-up this process has no download yet: its own id marks a leftover of an
    // earlier process that had the same id.
    SweepLeftoverParts(folder.path.c_str(), true);
    EXPECT_FALSE(PathExists(folder.File(".zorvel-" + own + "-7.part").c_str()));
    EXPECT_EQ(FolderFiles().size(), kept.size() - 1);
}

TEST_F(FileDownload, PathTooLongIsRefused)
{
    std::string path = "/" + std::string(140, 'n');
    std::string deep = folder.path;
    while (deep.size() < 150) deep += std::string(1, kPathSeparator) + "d";
    std::filesystem::create_directories(deep);
    std::snprintf(gSettings.szDownloadFolder, sizeof gSettings.szDownloadFolder, "%s", deep.c_str());
    EXPECT_EQ(Download(servers.scripted, "/sized/10" + path.substr(0, 100)), 0);
    EXPECT_TRUE(items.empty());
    ExpectEnded(0, kDiskError);
}

}  // namespace
