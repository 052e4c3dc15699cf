// Visited-table keys of page links: the spellings of one page share a key.
#include "engine/crawler.h"
#include "support/parsed_address.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(LinkKey, KeysOfLinksOnHttpAndHttpsPages)
{
    auto crawler = std::make_unique<CRAWLER>();
    AddressRecord plain = ParsedAddress("h/dir/index.html");
    AddressRecord plainOnPort = ParsedAddress("h:8443/dir/index.html");
    AddressRecord secure;
    ParseWholeAddress("https://h/dir/index.html", &secure);
    AddressRecord secureOnPort;
    ParseWholeAddress("https://h:8443/dir/index.html", &secureOnPort);
    struct Case {
        const AddressRecord* page;
        const char* link;
        const char* key;
    } cases[] = {
        {&plain, "a.html", "h/dir/a.html"},
        {&plain, "./x/../a.html#top", "h/dir/a.html"},
        {&plain, "http://h/dir/a.html#top", "h/dir/a.html"},
        {&plain, "https://h/dir/a.html", "h/dir/a.html"},  // one page for both schemes
        {&plain, "b.php?id=1", "h/dir/b.phpid=1"},
        {&plainOnPort, "a.html", "h8443/dir/a.html"},
        // https's own port is left out like http's, so relative and absolute links meet.
        {&secure, "a.html", "h/dir/a.html"},
        {&secure, "https://h/dir/./a.html", "h/dir/a.html"},
        {&secureOnPort, "a.html", "h8443/dir/a.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        std::snprintf(crawler->link, sizeof crawler->link, "%s", c.link);
        int absolute = ResolveLink(crawler->link, *c.page, &crawler->resolved);
        ASSERT_GE(absolute, 0);
        EXPECT_STREQ(LinkKey(*crawler, absolute), c.key);
    }
}

}  // namespace
