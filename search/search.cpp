#include "search/search.h"

#include "engine/log_entry.h"
#include "engine/views.h"
#include "http/page_fetch.h"
#include "links/classify.h"
#include "links/link_scanner.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>

char gSearchHosts[2][100] = {"www.google.com", "search.yahoo.com"};
SEARCHSTATE gSearch;

namespace {

const char* const kPrefixes[2] = {"/search?hl=en&q=", "/search?fr=FP-tab-web-t&toggle=1&ei=UTF-8"};
const char* const kNames[2] = {"Google", "Yahoo"};

// Google's links that are never results: an outside reference site, the service itself,
// further searches and its page cache.
const char* const kGoogleFilters[] = {"www.answers.com", "google", "/search?", "216.239.51.104"};
const char kYahooMarker[] = "*-http%3A//";

int32_t gResultCount[2];
char gLastYahooAddress[kLinkValueSize];

void EnableButtons(bool search, bool more)
{
    Views().enableSearchButtons(search ? 1 : 0, more ? 1 : 0);
}

bool IsUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::strchr("!'()*-._~", c) != nullptr;
}

bool Encode(const char* keyword, char (&encoded)[256])
{
    switch (EncodeKeyword(keyword, encoded, sizeof encoded)) {
    case Encoded::Ok: return true;
    case Encoded::NotAscii: Views().showMessage("It accepts only ASCII for keyword", "Sorry"); return false;
    case Encoded::Failed: return false;
    }
    return false;
}

}  // namespace

Encoded EncodeKeyword(const char* keyword, char* out, int size)
{
    int length = 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(keyword); *c != '\0'; ++c) {
        if (*c > 127) return Encoded::NotAscii;
        char piece[4];
        if (IsUnreserved(static_cast<char>(*c)))
            std::snprintf(piece, sizeof piece, "%c", *c);
        else if (*c == ' ')
            std::snprintf(piece, sizeof piece, "+");
        else
            std::snprintf(piece, sizeof piece, "%%%02x", *c);
        int n = static_cast<int>(std::strlen(piece));
        if (length + n >= size) return Encoded::Failed;
        std::memcpy(out + length, piece, static_cast<size_t>(n));
        length += n;
    }
    out[length] = '\0';
    return Encoded::Ok;
}

void ComposeSearchQuery(int engine, bool more, const char* encoded, int pageCount, char* out, int size)
{
    std::string base = std::string(gSearchHosts[engine]) + kPrefixes[engine];
    if (engine == kEngineGoogle) {
        if (more)
            std::snprintf(out, static_cast<size_t>(size), "%s%s&lr=&sa=N&start=%d", base.c_str(), encoded, pageCount * 10);
        else
            std::snprintf(out, static_cast<size_t>(size), "%s%s&btnG=Google+Search", base.c_str(), encoded);
    } else {
        if (more)
            std::snprintf(out, static_cast<size_t>(size), "%s&p=%s&b=%d", base.c_str(), encoded, pageCount * 10 + 1);
        else
            std::snprintf(out, static_cast<size_t>(size), "%s&p=%s", base.c_str(), encoded);
    }
}

bool FetchResultPage(int engine, const char* query)
{
    static const std::atomic<int32_t> kNeverStopped{0};
    std::unique_ptr<char[]> page(new (std::nothrow) char[kPageBufferSize]);
    if (!page) return false;
    char text[kLinkValueSize * 2];
    std::snprintf(text, sizeof text, "%s", query);
    AddressRecord address;
    ParseAddress(text, &address);
    if (FetchPage(kNeverStopped, &address, page.get()) <= 0) return false;
    if (engine == kEngineGoogle)
        ExtractGoogleResults(page.get(), address);
    else
        ExtractYahooResults(page.get(), address);
    return true;
}

void RunSearch(const char* keyword, int engine)
{
    std::memset(gSearch.szKeyword, 0, sizeof gSearch.szKeyword);
    std::strncpy(gSearch.szKeyword, keyword, sizeof gSearch.szKeyword - 1);
    gSearch.nEngine = engine;
    ClearSearchResults();
    EnableButtons(false, false);
    char encoded[256];
    if (!Encode(gSearch.szKeyword, encoded)) {
        EnableButtons(true, false);
        AppendLog("Faild to url encode...");
        return;
    }
    char query[1024];
    ComposeSearchQuery(engine, false, encoded, 0, query, sizeof query);
    LogFormat("Waiting for Search Result from %s.....", kNames[engine]);
    if (!FetchResultPage(engine, query)) {
        EnableButtons(true, false);
        LogFormat("No Response from %s", kNames[engine]);
        return;
    }
    gSearch.nPageCount[engine] = 1;
    AppendLog("Received Search Result");
    EnableButtons(true, true);
}

void RunMoreResults(int engine)
{
    gSearch.nEngine = engine;
    EnableButtons(false, false);
    char encoded[256];
    if (!Encode(gSearch.szKeyword, encoded)) {
        EnableButtons(true, false);
        return;
    }
    char query[1024];
    ComposeSearchQuery(engine, true, encoded, gSearch.nPageCount[engine], query, sizeof query);
    LogFormat("Waiting for More Search Result from %s.....", kNames[engine]);
    if (!FetchResultPage(engine, query)) {
        EnableButtons(true, false);
        LogFormat("No Response from %s", kNames[engine]);
        return;
    }
    ++gSearch.nPageCount[engine];
    AppendLog("Received Search Result");
    EnableButtons(true, true);
}

bool StartSearchWith(const char* keyword, int engine)
{
    if (std::strlen(keyword) < 4) {
        AppendLog("Type at least 4 characters");
        return false;
    }
    std::string copy = keyword;
    try {
        std::thread([copy, engine] { RunSearch(copy.c_str(), engine); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void StartMoreResultsWith(int engine)
{
    try {
        std::thread(RunMoreResults, engine).detach();
    } catch (const std::system_error&) {
    }
}

void ExtractGoogleResults(const char* page, const AddressRecord& base)
{
    char value[kLinkValueSize];
    int step;
    AddressRecord resolved;
    char extension[kExtensionSize];
    for (int advance; (advance = NextLink(0, page, value, &step)) > 0; page += advance) {
        bool filtered = false;
        for (const char* filter : kGoogleFilters) filtered = filtered || std::strstr(value, filter) != nullptr;
        if (filtered) continue;
        if (ResolveLink(value, base, &resolved) != 1 || !IsPageAddress(resolved, extension)) continue;
        AddSearchResult(resolved);
    }
}

void ExtractYahooResults(const char* page, const AddressRecord& base)
{
    char value[kLinkValueSize];
    int step;
    AddressRecord resolved;
    char extension[kExtensionSize];
    for (int advance; (advance = NextLink(0, page, value, &step)) > 0; page += advance) {
        const char* marker = std::strstr(value, kYahooMarker);
        if (marker == nullptr || std::strstr(marker, "yahoo") != nullptr || std::strstr(marker, "search") != nullptr)
            continue;
        char candidate[kLinkValueSize];
        std::snprintf(candidate, sizeof candidate, "http://%s", marker + sizeof kYahooMarker - 1);
        if (std::strcmp(candidate, gLastYahooAddress) == 0) continue;
        std::strcpy(gLastYahooAddress, candidate);
        ResolveLink(candidate, base, &resolved);
        if (!IsPageAddress(resolved, extension)) continue;
        AddSearchResult(resolved);
    }
}

void AddSearchResult(const AddressRecord& address)
{
    SEARCHRESULT* result = new (std::nothrow) SEARCHRESULT{};
    if (result == nullptr) return;
    int engine = gSearch.nEngine == kEngineYahoo ? kEngineYahoo : kEngineGoogle;
    result->nRank = gResultCount[engine] + 1;
    result->nStatus = 0;
    result->nEngine = engine;
    // The address keeps its scheme, and a port other than the scheme's own, so the result can
    // be reached; it is cut to 255 characters when the parts are longer.
    FormatAddress(address, result->szAddress, sizeof result->szAddress);
    ++gResultCount[engine];
    Views().searchResultAdded(result);
}

void ClearSearchResults()
{
    Views().searchResultsCleared();
    gResultCount[0] = gResultCount[1] = 0;
}

int32_t SearchResultCount(int engine)
{
    return gResultCount[engine];
}
