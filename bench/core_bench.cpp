// Speed of the per-link work: scanning a page, hashing, the visited record and parsing addresses.
#include "engine/scan_job.h"
#include "engine/url_hash.h"
#include "engine/visited_table.h"
#include "http/address.h"
#include "links/link_scanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A page of about 100 KB in the shape of a gallery: text, tags without links, and links.
std::string GalleryPage()
{
    std::string page = "<html><head><title>Gallery</title><script src=\"/js/app.js\"></script></head><body>\n";
    for (int i = 0; page.size() < 100000; ++i) {
        char row[400];
        std::snprintf(row, sizeof row,
                      "<div class=\"item\"><a href=\"/photos/2024/%05d.html\"><img src=\"/thumbs/%05d.jpg\" "
                      "alt=\"photo %d\" width=\"120\" height=\"90\"></a><p>Some caption text for photo %d.</p>"
                      "<a href='http://cdn.example.com/full/%05d.jpg'>full size</a></div>\n",
                      i, i, i, i, i);
        page += row;
    }
    return page + "</body></html>\n";
}

void BM_ScanPage(benchmark::State& state)
{
    const std::string page = GalleryPage();
    char value[kLinkValueSize];
    int step;
    int links = 0;
    for (auto _ : state) {
        const char* text = page.c_str();
        for (int advance; (advance = NextLink(1, text, value, &step)) > 0;) {
            text += advance;
            ++links;
        }
        benchmark::DoNotOptimize(links);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ScanPage);

void BM_UrlHash(benchmark::State& state)
{
    const char* key = "www.example.com/photos/2024/gallery/summer-holiday/img_00421.html";
    for (auto _ : state) benchmark::DoNotOptimize(UrlHash(key));
}
BENCHMARK(BM_UrlHash);

// Test-and-mark of a key not seen before, on a table holding up to 1,000,000 keys, and of a
// key seen already. The figures report the table's bytes per key.
std::vector<std::string> SiteKeys(int count)
{
    std::vector<std::string> keys;
    keys.reserve(count);
    char key[200];
    for (int i = 0; i < count; ++i) {
        std::snprintf(key, sizeof key, "www.example.com/photos/2024/gallery/section-%d/img_%05d.html", i % 1000, i);
        keys.emplace_back(key);
    }
    return keys;
}

void BM_VisitedMarkNew(benchmark::State& state)
{
    const std::vector<std::string> keys = SiteKeys(1000000);
    SCANJOB job{};
    size_t i = 0;
    MakeVisitedTable(&job);
    for (auto _ : state) {
        if (i == keys.size()) {
            state.PauseTiming();
            MakeVisitedTable(&job);
            i = 0;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(MarkIfNew(&job, keys[i++].c_str()));
    }
    state.counters["bytes_per_key"] = static_cast<double>(VisitedBytes(&job)) / static_cast<double>(VisitedCount(&job));
    ReleaseVisitedTable(&job);
}
BENCHMARK(BM_VisitedMarkNew);

void BM_VisitedMarkSeen(benchmark::State& state)
{
    const std::vector<std::string> keys = SiteKeys(100000);
    SCANJOB job{};
    MakeVisitedTable(&job);
    for (const std::string& key : keys) MarkIfNew(&job, key.c_str());
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MarkIfNew(&job, keys[i].c_str()));
        if (++i == keys.size()) i = 0;
    }
    state.counters["bytes_per_key"] = static_cast<double>(VisitedBytes(&job)) / static_cast<double>(VisitedCount(&job));
    ReleaseVisitedTable(&job);
}
BENCHMARK(BM_VisitedMarkSeen);

void BM_ParseAddress(benchmark::State& state)
{
    const char* address = "www.example.com:8080/photos/2024/gallery/index.php?page=3&sort=date";
    char text[500];
    AddressRecord record;
    for (auto _ : state) {
        std::strcpy(text, address);
        ParseAddress(text, &record);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_ParseAddress);

void BM_ResolveLink(benchmark::State& state)
{
    char baseText[] = "www.example.com/photos/2024/gallery/index.html";
    AddressRecord base;
    ParseAddress(baseText, &base);
    AddressRecord record;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ResolveLink("thumbs/img_00421.jpg", base, &record));
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_ResolveLink);

}  // namespace

BENCHMARK_MAIN();
