#include "cli/options.h"

#include "links/classify.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

const char* const kUsage =
    "Usage: zorvel-cli [options] ADDRESS...\n"
    "\n"
    "Crawls each http:// or https:// ADDRESS to the chosen depth and downloads every linked file of the\n"
    "chosen format into the download folder, then prints a summary. Addresses are added the\n"
    "way the window's address box adds them; a bad one is logged as \"Type correct url\".\n"
    "\n"
    "Output:\n"
    "  -q, --quiet           print only failures and the summary\n"
    "  -v, --verbose         also print a line for each page fetched and each file saved\n"
    "\n"
    "Scan:\n"
    "  -f, --format NAME     Image, Audio, Video, Document or Any (default Image)\n"
    "  -d, --depth N         link depth 0 to 3, also written R-0 to R-3 (default 1)\n"
    "  -o, --output DIR      download folder for this run (made if missing)\n"
    "\n"
    "Settings for this run only (Zorvel.ini is never written):\n"
    "      --ini-dir DIR     read Zorvel.ini from DIR (default: the current directory)\n"
    "      --threads N       pool workers (default 50; jobs start only while more than 10 are idle)\n"
    "      --links N         page links queued per job at most (default 5000)\n"
    "      --min-size KB     smallest file saved, in KB (default 0)\n"
    "      --time-limit MIN  stop all jobs this many minutes after the last job started (default 60)\n"
    "      --size-limit MB   stop all jobs past this many MB downloaded (default 1000)\n"
    "      --free-space MB   stop all jobs when the download folder's disk has less free (default 100)\n"
    "      --image-src on|off  take image sources as links in Image jobs (default off)\n"
    "      --keep-alive      plain http reuses connections too (https always does)\n"
    "      --ca-file FILE    also trust the CA certificates in FILE (PEM) for https; the system's\n"
    "                        store (SSL_CERT_FILE, SSL_CERT_DIR) is always trusted\n"
    "\n"
    "Web search (the results are listed with their ranks; nothing is scanned unless --scan):\n"
    "      --search KEYWORD  send KEYWORD (4 to 62 ASCII characters) to the web search\n"
    "      --engine NAME     google or yahoo (default google)\n"
    "      --pages N         result pages to fetch, 1 to 10 (default 1)\n"
    "      --scan            scan every result as a job, with the format and depth above\n"
    "      --google-host H, --yahoo-host H   the search hosts (host or host:port)\n"
    "  -h, --help            show this text\n"
    "      --version         show the program's name and version\n"
    "\n"
    "Ctrl-C once stops all jobs gracefully (running transfers finish); twice stops them at once.\n"
    "Every failure is one line on standard error: zorvel-cli: ADDRESS: REASON.\n"
    "\n"
    "Exit status:\n"
    "  0  every job completed and every start page was fetched\n"
    "  1  a job was stopped (Ctrl-C or a limit), or the web search gave nothing\n"
    "  2  usage error, or no valid address\n"
    "  3  a start page could not be fetched (name, connection, TLS or HTTP status)\n";

const char* const kVersion = "zorvel-cli (Zorvel 2.0)\n";

namespace {

bool ParseNumber(const char* text, int low, int high, int* out)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) return false;
    *out = static_cast<int>(value);
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, CLIOPTIONS* o, std::string* error)
{
    struct Numeric {
        const char* name;
        int* field;
        int high;
    } numerics[] = {
        {"--threads", &o->threads, 100},       {"--links", &o->links, 10000},
        {"--min-size", &o->minSize, 99999},    {"--time-limit", &o->timeLimit, 1000},
        {"--size-limit", &o->sizeLimit, 10000}, {"--free-space", &o->freeSpace, 10000},
    };
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-' || arg[1] == '\0') {
            o->addresses.emplace_back(arg);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            for (++i; i < argc; ++i) o->addresses.emplace_back(argv[i]);
            break;
        }
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            o->help = true;
            continue;
        }
        if (std::strcmp(arg, "--version") == 0) {
            o->version = true;
            continue;
        }
        if (std::strcmp(arg, "-q") == 0 || std::strcmp(arg, "--quiet") == 0) {
            o->verbosity = -1;
            continue;
        }
        if (std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "--verbose") == 0) {
            o->verbosity = 1;
            continue;
        }
        if (std::strcmp(arg, "--scan") == 0) {
            o->scanResults = true;
            continue;
        }
        if (std::strcmp(arg, "--keep-alive") == 0) {
            o->keepAlive = true;
            continue;
        }
        if (i + 1 >= argc) {
            *error = std::string(arg) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (std::strcmp(arg, "-f") == 0 || std::strcmp(arg, "--format") == 0) {
            o->format = -1;
            for (int f = 0; f < kFormatCount; ++f)
                if (strcasecmp(value, FormatName(f)) == 0) o->format = f;
            if (o->format < 0) {
                *error = std::string("unknown format ") + value + " (Image, Audio, Video, Document or Any)";
                return false;
            }
        } else if (std::strcmp(arg, "-d") == 0 || std::strcmp(arg, "--depth") == 0) {
            const char* digits = (value[0] == 'R' || value[0] == 'r') && value[1] == '-' ? value + 2 : value;
            if (!ParseNumber(digits, 0, 3, &o->depth)) {
                *error = std::string("depth must be 0 to 3, not ") + value;
                return false;
            }
        } else if (std::strcmp(arg, "-o") == 0 || std::strcmp(arg, "--output") == 0) {
            o->output = value;
        } else if (std::strcmp(arg, "--search") == 0) {
            o->search = value;
        } else if (std::strcmp(arg, "--engine") == 0) {
            if (strcasecmp(value, "google") == 0)
                o->engine = 0;
            else if (strcasecmp(value, "yahoo") == 0)
                o->engine = 1;
            else {
                *error = "--engine takes google or yahoo";
                return false;
            }
        } else if (std::strcmp(arg, "--pages") == 0) {
            if (!ParseNumber(value, 1, 10, &o->pages)) {
                *error = "--pages takes a number from 1 to 10";
                return false;
            }
        } else if (std::strcmp(arg, "--google-host") == 0) {
            o->googleHost = value;
        } else if (std::strcmp(arg, "--yahoo-host") == 0) {
            o->yahooHost = value;
        } else if (std::strcmp(arg, "--ca-file") == 0) {
            o->caFile = value;
        } else if (std::strcmp(arg, "--ini-dir") == 0) {
            o->iniDir = value;
        } else if (std::strcmp(arg, "--image-src") == 0) {
            if (std::strcmp(value, "on") != 0 && std::strcmp(value, "off") != 0) {
                *error = "--image-src takes on or off";
                return false;
            }
            o->imageSrc = std::strcmp(value, "on") == 0;
        } else {
            Numeric* match = nullptr;
            for (Numeric& n : numerics)
                if (std::strcmp(arg, n.name) == 0) match = &n;
            if (match == nullptr) {
                *error = std::string("unknown option ") + arg;
                return false;
            }
            if (!ParseNumber(value, 0, match->high, match->field)) {
                *error = std::string(arg) + " takes a number from 0 to " + std::to_string(match->high);
                return false;
            }
        }
    }
    return true;
}
