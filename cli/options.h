// The headless program's command line.
#pragma once

#include <string>
#include <vector>

struct CLIOPTIONS {
    int format = 0;  // Image, as the window's list starts
    int depth = 1;
    std::string iniDir;
    std::string output;  // the download folder for this run; empty keeps the settings file's
    // Settings for this run only; -1 keeps the settings file's value.
    int threads = -1, links = -1, minSize = -1, timeLimit = -1, sizeLimit = -1, freeSpace = -1, imageSrc = -1;
    std::string search;     // a keyword: list the web search's results
    int engine = 0;         // 0 Google, 1 Yahoo
    int pages = 1;          // result pages: the first, then More Result
    bool scanResults = false;
    bool keepAlive = false;  // plain http reuses connections for this run (https always does)
    std::string googleHost, yahooHost;
    std::string caFile;     // a private CA trusted for this run's https, beside the system's
    bool help = false;
    bool version = false;
    int verbosity = 0;  // -1 quiet, 0 normal, 1 verbose
    std::vector<std::string> addresses;
};

// Fills `options` from argv; false with a message in `error` for a usage error.
bool ParseOptions(int argc, const char* const* argv, CLIOPTIONS* options, std::string* error);

extern const char* const kUsage;
extern const char* const kVersion;
