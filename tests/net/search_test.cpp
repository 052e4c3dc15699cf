// The web search against our scripted server standing in for both services.
#include "engine/views.h"
#include "net_fixture.h"
#include "search/search.h"

#include <cstring>
#include <mutex>

namespace {

struct SEARCHLOG {
    std::vector<std::string> results;  // "G_1 http://..."
    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::string buttons;  // "SM" both enabled, "S-" search only, "--" none, one entry per change
    int clears = 0;
};
SEARCHLOG gSeen;
std::mutex gSeenLock;

class Search : public NetTest {
protected:
    VIEWS views{};
    char savedHosts[2][100];

    void SetUp() override
    {
        NetTest::SetUp();
        std::memcpy(savedHosts, gSearchHosts, sizeof savedHosts);
        PointAt(servers.scripted);
        gSeen = SEARCHLOG{};
        gSearch = SEARCHSTATE{};
        views.searchResultAdded = [](SEARCHRESULT* r) {
            std::lock_guard<std::mutex> lock(gSeenLock);
            gSeen.results.push_back(std::string(r->nEngine == 0 ? "G_" : "Y_") + std::to_string(r->nRank) + " " +
                                    r->szAddress);
            delete r;
        };
        views.searchResultsCleared = [] { ++gSeen.clears; };
        views.enableSearchButtons = [](int search, int more) {
            gSeen.buttons += std::string(search ? "S" : "-") + (more ? "M" : "-") + " ";
        };
        views.appendLog = [](const char* message) { gSeen.log.emplace_back(message); };
        views.showMessage = [](const char* text, const char* caption) {
            gSeen.messages.push_back(std::string(caption) + ": " + text);
        };
        InstallViews(&views);
    }
    void TearDown() override
    {
        ResetViews();
        std::memcpy(gSearchHosts, savedHosts, sizeof savedHosts);
        NetTest::TearDown();
    }

    static void PointAt(int port)
    {
        for (auto& host : gSearchHosts) std::snprintf(host, sizeof host, "127.0.0.1:%d", port);
    }

    // The query the scripted server last received for /search with this encoded keyword; each
    // test searches for its own keywords, so tests running side by side stay apart.
    std::string LastQuery(const std::string& keyword)
    {
        std::string request = ScriptedText("/_requests/search/" + keyword);
        return request.substr(4, request.find(" HTTP/1.1") - 4);
    }
};

TEST_F(Search, GoogleResultsAcrossMoreResult)
{
    RunSearch("red apple+pie", kEngineGoogle);
    EXPECT_EQ(LastQuery("red+apple%2bpie"), "/search?hl=en&q=red+apple%2bpie&btnG=Google+Search");
    // Links into the service, further searches, the cache, relative links and files are skipped;
    // the same site twice is listed twice.
    EXPECT_EQ(gSeen.results, (std::vector<std::string>{"G_1 http://site0.example/",
                                                       "G_2 http://site0.example/index.php?id=5",
                                                       "G_3 http://site0.example/"}));
    EXPECT_EQ(gSeen.log, (std::vector<std::string>{"Waiting for Search Result from Google.....",
                                                   "Received Search Result"}));
    EXPECT_EQ(gSeen.buttons, "-- SM ");
    EXPECT_EQ(gSeen.clears, 1);

    RunMoreResults(kEngineGoogle);
    EXPECT_EQ(LastQuery("red+apple%2bpie"), "/search?hl=en&q=red+apple%2bpie&lr=&sa=N&start=10");
    RunMoreResults(kEngineGoogle);
    EXPECT_EQ(LastQuery("red+apple%2bpie"), "/search?hl=en&q=red+apple%2bpie&lr=&sa=N&start=20");
    ASSERT_EQ(gSeen.results.size(), 9u);
    EXPECT_EQ(gSeen.results[3], "G_4 http://site10.example/");  // the numbering goes on
    EXPECT_EQ(gSeen.results[8], "G_9 http://site20.example/");
    EXPECT_EQ(gSeen.log.back(), "Received Search Result");
    EXPECT_EQ(gSeen.clears, 1);  // More Result keeps the list

    RunSearch("another", kEngineGoogle);  // a new Search starts again at G_1
    EXPECT_EQ(gSeen.results[9], "G_1 http://site0.example/");
}

TEST_F(Search, YahooResultsAndSwitchingEngines)
{
    RunSearch("rock & roll #1", kEngineYahoo);
    EXPECT_EQ(LastQuery("rock+%26+roll+%231"), "/search?fr=FP-tab-web-t&toggle=1&ei=UTF-8&p=rock+%26+roll+%231");
    EXPECT_EQ(gSeen.results, (std::vector<std::string>{"Y_1 http://site0.example/",
                                                       "Y_2 http://other.example/page.html",
                                                       "Y_3 http://site0.example/"}));
    RunMoreResults(kEngineYahoo);
    EXPECT_EQ(LastQuery("rock+%26+roll+%231"), "/search?fr=FP-tab-web-t&toggle=1&ei=UTF-8&p=rock+%26+roll+%231&b=11");
    EXPECT_EQ(gSeen.results[3], "Y_4 http://site11.example/");

    // More Result on the other engine fetches its first page for the stored keyword.
    RunMoreResults(kEngineGoogle);
    EXPECT_EQ(LastQuery("rock+%26+roll+%231"), "/search?hl=en&q=rock+%26+roll+%231&lr=&sa=N&start=0");
    EXPECT_EQ(gSeen.results.back(), "G_3 http://site0.example/");
}

TEST_F(Search, KeywordEncoding)
{
    struct Case {
        const char* keyword;
        const char* encoded;
    } cases[] = {
        {"red apple+pie", "red+apple%2bpie"},
        {"rock & roll #1", "rock+%26+roll+%231"},
        {"a/b:c", "a%2fb%3ac"},
        {"!'()*-._~", "!'()*-._~"},
        {"tab\there", "tab%09here"},
    };
    for (const Case& c : cases) {
        char out[256];
        EXPECT_EQ(EncodeKeyword(c.keyword, out, sizeof out), Encoded::Ok);
        EXPECT_STREQ(out, c.encoded);
    }
    char out[256];
    EXPECT_EQ(EncodeKeyword("caf\xe9", out, sizeof out), Encoded::NotAscii);
}

TEST_F(Search, FailuresAndButtonStates)
{
    // Outside ASCII: the message, then the log line; the list is already cleared.
    RunSearch("caf\xe9 au lait", kEngineGoogle);
    EXPECT_EQ(gSeen.messages, std::vector<std::string>{"Sorry: It accepts only ASCII for keyword"});
    EXPECT_EQ(gSeen.log.back(), "Faild to url encode...");
    EXPECT_EQ(gSeen.clears, 1);
    EXPECT_EQ(gSeen.buttons, "-- S- ");

    // No service answering: Search enabled, More Result left disabled, the counter unchanged.
    PointAt(1);
    gSeen.buttons.clear();
    RunSearch("holiday", kEngineYahoo);
    EXPECT_EQ(gSeen.log.back(), "No Response from Yahoo");
    EXPECT_EQ(gSeen.buttons, "-- S- ");
    EXPECT_EQ(gSearch.nPageCount[kEngineYahoo], 0);
    RunMoreResults(kEngineGoogle);
    EXPECT_EQ(gSeen.log.back(), "No Response from Google");

    // Too short: nothing starts.
    gSeen.log.clear();
    EXPECT_FALSE(StartSearchWith("abc", kEngineGoogle));
    EXPECT_EQ(gSeen.log, std::vector<std::string>{"Type at least 4 characters"});
}

}  // namespace
