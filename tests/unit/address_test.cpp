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
        // The fragment goes, and the path loses its dot segments.
        {"h/a/./b/../c.html?x=../y#top", {"h", "80", "/a/c.html", "x=../y"}, "h/a/c.html"},
        {"h/p?q#frag?not-query", {"h", "80", "/p", "q"}, "h/p"},
        {"h:81#x/y", {"h", "81", "/", ""}, "h:81"},
        {"h/../../x", {"h", "80", "/x", ""}, "h/x"},
        {"h/a/..", {"h", "80", "/", ""}, "h/"},
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
        {"page.html#top", &base, 0, {"h", "80", "/dir/page.html", ""}},
        {"HTTP://other/p", &base, 0, {"h", "80", "/dir/HTTP://other/p", ""}},  // capitals are not the scheme
        {"https://other/p", &base, 1, {"other", "443", "/p", ""}},
        {"https://other:8443/p?q", &base, 1, {"other", "8443", "/p", "q"}},
        {"HTTPS://other/p", &base, 0, {"h", "80", "/dir/HTTPS://other/p", ""}},
        {"ftp://other/p", &base, 0, {"h", "80", "/dir/ftp://other/p", ""}},
        {"//other/x", &base, 0, {"h", "80", "//other/x", ""}},
        {"../up/./a.gif", &base, 0, {"h", "80", "/up/a.gif", ""}},
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

// RFC 3986's examples (section 5.4) on the base http://a/b/c/d;p?q, as far as they are
// plain http; a link that is only a fragment, or nothing, names the page itself (-1).
TEST(ResolveLink, ReferenceExamples)
{
    AddressRecord base;
    char baseText[] = "a/b/c/d;p?q";
    ParseAddress(baseText, &base);
    struct Case {
        const char* link;
        int result;
        const char* path;
        const char* query;
    } cases[] = {
        {"g", 0, "/b/c/g", ""},          {"./g", 0, "/b/c/g", ""},       {"g/", 0, "/b/c/g/", ""},
        {"/g", 0, "/g", ""},             {"g?y", 0, "/b/c/g", "y"},      {"#s", -1, "/b/c/d;p", "q"},
        {"g#s", 0, "/b/c/g", ""},        {"g?y#s", 0, "/b/c/g", "y"},    {";x", 0, "/b/c/;x", ""},
        {"g;x", 0, "/b/c/g;x", ""},      {"g;x?y#s", 0, "/b/c/g;x", "y"}, {"", -1, "/b/c/d;p", "q"},
        {".", 0, "/b/c/", ""},           {"./", 0, "/b/c/", ""},         {"..", 0, "/b/", ""},
        {"../", 0, "/b/", ""},           {"../g", 0, "/b/g", ""},        {"../..", 0, "/", ""},
        {"../../", 0, "/", ""},          {"../../g", 0, "/g", ""},
        // abnormal ones
        {"../../../g", 0, "/g", ""},     {"../../../../g", 0, "/g", ""}, {"/./g", 0, "/g", ""},
        {"/../g", 0, "/g", ""},          {"g.", 0, "/b/c/g.", ""},       {".g", 0, "/b/c/.g", ""},
        {"g..", 0, "/b/c/g..", ""},      {"..g", 0, "/b/c/..g", ""},     {"./../g", 0, "/b/g", ""},
        {"./g/.", 0, "/b/c/g/", ""},     {"g/./h", 0, "/b/c/g/h", ""},   {"g/../h", 0, "/b/c/h", ""},
        {"g;x=1/./y", 0, "/b/c/g;x=1/y", ""}, {"g;x=1/../y", 0, "/b/c/y", ""},
        {"g?y/./x", 0, "/b/c/g", "y/./x"},    {"g?y/../x", 0, "/b/c/g", "y/../x"},  // the query is untouched
        {"g#s/./x", 0, "/b/c/g", ""},         {"g#s/../x", 0, "/b/c/g", ""},
        // absolute links get the same treatment
        {"http://a/b/c/./../g", 1, "/b/g", ""}, {"http://a/../g?x#y?z", 1, "/g", "x"},
        {"http://a#only", 1, "/", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        AddressRecord r;
        EXPECT_EQ(ResolveLink(c.link, base, &r), c.result);
        ExpectRecord(r, {"a", "80", c.path, c.query});
    }
}

TEST(ResolveLink, ThePathIsCutAfterItsDotSegmentsAreRemoved)
{
    AddressRecord base;
    char baseText[] = "h/dir/index.html";
    ParseAddress(baseText, &base);
    std::string tail(99, 'p');
    AddressRecord r;
    // "/dir/../x/../" would eat 13 of the 99 characters if the path were cut first.
    EXPECT_EQ(ResolveLink(("../x/../" + tail + "/more").c_str(), base, &r), 0);
    EXPECT_EQ(std::string(r.path), "/" + tail);
    EXPECT_EQ(ResolveLink(("http://h/a/b/../../" + tail + "/more").c_str(), base, &r), 1);
    EXPECT_EQ(std::string(r.path), "/" + tail);
}

TEST(AbsoluteLinkKey, EverySpellingOfOneAddressHasOneKey)
{
    struct Case {
        const char* link;
        const char* key;
    } cases[] = {
        {"http://h/a/b.html", "h/a/b.html"},
        {"http://h/a/./b.html#top", "h/a/b.html"},
        {"http://h/a/x/../b.html#x", "h/a/b.html"},
        {"http://h/../a/b.html", "h/a/b.html"},
        {"http://h/./x?y=../z#f?g", "h/x?y=../z"},
        {"http://H:81/A/./B", "H:81/A/B"},
        {"http://h", "h"},
        {"http://h#f", "h"},
        {"http://h/..", "h/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        char key[500];
        AbsoluteLinkKey(c.link, key, sizeof key);
        EXPECT_STREQ(key, c.key);
    }
}

TEST(ResolveLink, PagesOfBothSchemes)
{
    AddressRecord secure;
    char secureText[] = "h/dir/index.html";
    ParseAddress(secureText, &secure, true);
    EXPECT_STREQ(secure.scheme, "https");
    EXPECT_STREQ(secure.port, "443");
    AddressRecord plain;
    char plainText[] = "h:8080/dir/index.html";
    ParseAddress(plainText, &plain);
    EXPECT_STREQ(plain.scheme, "http");

    struct Case {
        const char* link;
        const AddressRecord* base;
        int result;
        const char* scheme;
        Expect record;
    } cases[] = {
        // A relative link takes the scheme, host and port of its page.
        {"a.jpg", &secure, 0, "https", {"h", "443", "/dir/a.jpg", ""}},
        {"/b/../c.html", &secure, 0, "https", {"h", "443", "/c.html", ""}},
        {"http://h/x", &secure, 1, "http", {"h", "80", "/x", ""}},
        {"https://h:9/x", &plain, 1, "https", {"h", "9", "/x", ""}},
        {"a.jpg", &plain, 0, "http", {"h", "8080", "/dir/a.jpg", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        AddressRecord r;
        EXPECT_EQ(ResolveLink(c.link, *c.base, &r), c.result);
        EXPECT_STREQ(r.scheme, c.scheme);
        ExpectRecord(r, c.record);
    }

    // Keys skip the scheme, so the two forms of one address are one page.
    char a[500], b[500];
    AbsoluteLinkKey("http://h/p/./q.html#x", a, sizeof a);
    AbsoluteLinkKey("https://h/p/q.html", b, sizeof b);
    EXPECT_STREQ(a, "h/p/q.html");
    EXPECT_STREQ(b, "h/p/q.html");
}

TEST(FormatAddress, ShowsTheSchemeAndOnlyAPortThatIsNotItsDefault)
{
    struct Case {
        const char* address;
        const char* shown;
    } cases[] = {
        {"http://h/a?b", "http://h/a?b"},       {"https://h/a", "https://h/a"},
        {"https://h:443/a", "https://h/a"},     {"https://h:80/a", "https://h:80/a"},
        {"http://h:8080/", "http://h:8080/"},   {"http://h:443", "http://h:443/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        AddressRecord r;
        ParseWholeAddress(c.address, &r);
        char shown[600];
        EXPECT_TRUE(FormatAddress(r, shown, sizeof shown));
        EXPECT_STREQ(shown, c.shown);
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
