// The web search: a keyword sent to the Google or the Yahoo web search, result pages fetched
// on a thread of their own, and the result addresses picked out of them.
#pragma once

#include "http/address.h"

#include <cstdint>

enum SearchEngine : int { kEngineGoogle = 0, kEngineYahoo = 1 };

// The search hosts, "host" or "host:port". Defaults: the services' public web-search hosts.
extern char gSearchHosts[2][100];

struct SEARCHSTATE {
    char szKeyword[64];
    int32_t nEngine;
    int32_t nPageCount[2];
};
extern SEARCHSTATE gSearch;

// One result row's record, handed to the view that shows it (which then owns it).
struct SEARCHRESULT {
    char szAddress[256];  // always begins with "http://" or "https://"
    int32_t nStatus;      // 0 Ready, 1 Scaned
    int32_t nEngine;
    int32_t nRank;        // 1-based among the results of its engine since the list was cleared
};

enum class Encoded { Ok, NotAscii, Failed };

// Encodes a keyword for a query: letters, digits and ! ' ( ) * - . _ ~ as they are, a blank as
// "+", other ASCII as "%xx" (lower-case hex). A character outside ASCII is refused.
Encoded EncodeKeyword(const char* keyword, char* out, int size);

// The query text (host and path, without "http://") for a first page (more = false) or the
// next page, whose number is taken from the engine's page count.
void ComposeSearchQuery(int engine, bool more, const char* encoded, int pageCount, char* out, int size);

// Keyword rules of the Search button: fewer than 4 characters logs "Type at least 4
// characters" and returns false; otherwise the keyword is kept and a search thread started.
bool StartSearchWith(const char* keyword, int engine);
// The More Result button: a thread fetching the next page for the stored keyword.
void StartMoreResultsWith(int engine);

// The thread bodies (also called directly by tests and the terminal program).
void RunSearch(const char* keyword, int engine);
void RunMoreResults(int engine);

// Fetches a query and runs the engine's extraction on the page. False when nothing came.
bool FetchResultPage(int engine, const char* query);

// Extraction: every accepted address of the page becomes a result (AddSearchResult).
void ExtractGoogleResults(const char* page, const AddressRecord& base);
void ExtractYahooResults(const char* page, const AddressRecord& base);
void AddSearchResult(const AddressRecord& address);
void ClearSearchResults();
int32_t SearchResultCount(int engine);
