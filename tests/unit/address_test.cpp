#include "http/address.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Expect {
    std::string host, port, path, query;
};

void ExpectRecord(const AddressRecord& r, const Expect& e)
{
    EXPECT_EQ(r.host, e.host);
    EXPECT_EQ(r.port, e.port);
    EXPECT_EQ(r.path, e.path);
    EXPECT_EQ(r.query, e.query);
}

TEST(ParseAddress, Cases)
{
    struct Case {
        std::string text;
        Expect record;
        std::string textAfter;
    } cases[] = {
        {"h", {"h", "80", "/", ""}, "h"},
        {"h:8080", {"h", "8080", "/", ""}, "h:8080"},
        {"h:8080/a/b.php?x=1&y=2", {"h", "8080", "/a/b.php", "x=1&y=2"}, "h:8080/a/b.php"},
        {"h/", {"h", "80", "/", ""}, "h/"},
        {"h/?q", {"h", "80", "/", "q"}, "h/"},
        {"h/a?b?c", {"h", "80", "/a", "b?c"}, "h/a"},  // only the first "?" splits
        {"/only/path", {"", "80", "/only/path", ""}, "/only/path"},
        {"h:1234567/x", {"h", "12345", "/x", ""}, "h:1234567/x"},
        {"h:/x", {"h", "80", "/x", ""}, "h:/x"},  // an empty port text still gives "80"
        {"h/a:b/c", {"h", "80", "/a:b/c", ""}, "h/a:b/c"},  // a colon after the host is path
        {"Mixed.Case/Path", {"Mixed.Case", "80", "/Path", ""}, "Mixed.Case/Path"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[500];
        std::snprintf(text, sizeof text, "%s", c.text.c_str());
        AddressRecord r;
        std::memset(&r, 0x55, sizeof r);  // the parse clears whatever was there
        ParseAddress(text, &r);
        ExpectRecord(r, c.record);
        EXPECT_EQ(std::string(text), c.textAfter);
    }
}

TEST(ParseAddress, FieldsAreCutAtTheirLimits)
{
    std::string longHost(60, 'h');
    std::string path99(99, 'p');
    std::string query(350, 'q');
    std::string text = longHost + ":80/" + path99 + "EXTRA?" + query;
    char buffer[1000];
    std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
    AddressRecord r;
    ParseAddress(buffer, &r);
    EXPECT_EQ(std::string(r.host), longHost.substr(0, 49));
    EXPECT_EQ(std::string(r.port), "80");
    // The slash and 99 characters, terminated in its own field: the query is not run into.
    EXPECT_EQ(std::string(r.path), "/" + path99);
    EXPECT_EQ(std::string(r.query), query.substr(0, 299));
}

TEST(ResolveLink, Cases)
{
    AddressRecord base;
    char baseText[] = "h/dir/index.html";
    ParseAddress(baseText, &base);
    AddressRecord root;
    char rootText[] = "h";
    ParseAddress(rootText, &root);
    AddressRecord onPort;
    char portText[] = "h:8080/dir/index.html?page=2";
    ParseAddress(portText, &onPort);

    struct Case {
        const char* link;
        const AddressRecord* base;
        int result;
        Expect record;
    } cases[] = {
        {"img/a.jpg", &base, 0, {"h", "80", "/dir/img/a.jpg", ""}},
        {"/x.htm", &base, 0, {"h", "80", "/x.htm", ""}},
        {"http://other:81/p", &base, 1, {"other", "81", "/p", ""}},
        {"http://other", &base, 1, {"other", "80", "/", ""}},
        {"a.jpg", &root, 0, {"h", "80", "/a.jpg", ""}},
        {"page.html#top", &base, 0, {"h", "80", "/dir/page.html#top", ""}},
        {"HTTP://other/p", &base, 0, {"h", "80", "/dir/HTTP://other/p", ""}},  // capitals are not the scheme
        {"https://other/p", &base, 0, {"h", "80", "/dir/https://other/p", ""}},
        {"//other/x", &base, 0, {"h", "80", "//other/x", ""}},
        {"../up/./a.gif", &base, 0, {"h", "80", "/dir/../up/./a.gif", ""}},
        {"b.php?id=7", &base, 0, {"h", "80", "/dir/b.php", "id=7"}},
        // A relative link keeps the page's port; the page's query plays no part.
        {"b.jpg", &onPort, 0, {"h", "8080", "/dir/b.jpg", ""}},
        {"/c.jpg?z", &onPort, 0, {"h", "8080", "/c.jpg", "z"}},
        {"http://h/d.jpg", &onPort, 1, {"h", "80", "/d.jpg", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        std::string before = c.link;
        AddressRecord r;
        EXPECT_EQ(ResolveLink(c.link, *c.base, &r), c.result);
        ExpectRecord(r, c.record);
        EXPECT_EQ(before, c.link);
    }
}

TEST(ResolveLink, LongLinksStayWithin499Characters)
{
    AddressRecord base;
    char baseText[] = "h/dir/index.html";
    ParseAddress(baseText, &base);
    std::string link = std::string(600, 'a') + "?q";
    AddressRecord r;
    EXPECT_EQ(ResolveLink(link.c_str(), base, &r), 0);
    EXPECT_EQ(std::string(r.path), "/dir/" + std::string(95, 'a'));
    EXPECT_EQ(std::string(r.query), "");  // the "?" lay beyond the 499th character
}

}  // namespace
