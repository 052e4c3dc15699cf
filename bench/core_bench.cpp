// Speed of the per-link work: scanning a page, hashing and parsing addresses.
#include "engine/url_hash.h"
#include "http/address.h"
#include "links/link_scanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

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
