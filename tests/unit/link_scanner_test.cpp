#include "links/link_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Found {
    std::string value;
    int step;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f)
{
    return out << "{" << f.value << ", " << f.step << "}";
}

// Every link of a page, scanned the way the crawl does: moving on by each advance.
std::vector<Found> AllLinks(const std::string& page, int imageSrc)
{
    std::vector<Found> links;
    const char* text = page.c_str();
    char value[kLinkValueSize];
    int step = -1;
    for (int advance; (advance = NextLink(imageSrc, text, value, &step)) > 0;) {
        links.push_back({value, step});
        text += advance;
        if (links.size() > 100) break;
    }
    return links;
}

TEST(LinkScanner, TagTexts)
{
    struct Case {
        std::string page;
        std::vector<Found> links;
        int imageSrc = 0;
    } cases[] = {
        {"<a href=\"page.html\">x</a>", {{"page.html", 1}}},
        {"<A HREF = 'x.htm'>", {{"x.htm", 1}}},
        {"<a href=x.htm>", {{"x.htm", 1}}},
        {"<a href=>next</a><a href=b.htm>", {{"b.htm", 1}}},  // an empty value is skipped
        {"<a href=\"my file.htm\">", {{"my", 1}}},            // the blank ends the word
        {"<a href=\"javascript:go()\"><a href='mailto:a@b'><a href=ok.htm>", {{"ok.htm", 1}}},
        {"<img src=\"pic.JPG\">", {{"pic.JPG", 1}}, 1},
        {"<img src=\"pic.JPG\"><a href=n.htm>", {{"n.htm", 1}}, 0},  // unwanted image sources are skipped
        {"<img src=a.jpeg>", {{"a.jpeg", 1}}, 1},                    // "jpe" counts as an image
        {"<script src=\"a.js\"></script><frame src=menu.html>", {{"a.js", 0}, {"menu.html", 0}}},
        {"<img src=noext>", {{"noext", 0}}, 1},
        {"<a href\r=x.htm>", {}},                               // CR resets the name
        {"href=x.htm <p>text</p>", {}},                         // outside any tag
        {"no links at all", {}},
        {"", {}},
        {"<img lowsrc=low.gif dynsrc=clip.avi>", {{"low.gif", 1}}, 1},  // names that end in src
        {"<a title=\"href=in.htm\">", {{"in.htm", 1}}},  // inside a quoted value too
        {"<a href='/go?u=http://h/x'>", {{"http://h/x", 1}}},   // a redirector's inner address
        {"<a href=\"a.htm\" src=\"b.htm\"><a href=c.htm>", {{"a.htm", 1}, {"c.htm", 1}}},
        {"<a\thref\n=\n\"t.htm\">", {{"t.htm", 1}}},
        {"<a hhref=z.htm><a xhref=y.htm>", {{"y.htm", 1}}},    // "h" twice resets the name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(AllLinks(c.page, c.imageSrc), c.links);
    }
}

TEST(LinkScanner, ValueIsCutAt499Characters)
{
    std::string page = "<a href=" + std::string(600, 'v') + ">";
    std::vector<Found> links = AllLinks(page, 0);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].value.size(), 499u);
}

// Links with the offset of their last character, as the crawl's loop meets them.
std::vector<std::pair<Found, size_t>> LinksWithEnds(const std::string& page)
{
    std::vector<std::pair<Found, size_t>> links;
    const char* text = page.c_str();
    char value[kLinkValueSize];
    int step;
    size_t at = 0;
    for (int advance; (advance = NextLink(1, text, value, &step)) > 0;) {
        at += static_cast<size_t>(advance);
        text += advance;
        links.push_back({{value, step}, at});
    }
    return links;
}

// A page cut at any offset (as a page cut short by the size cap or a closed connection is)
// gives the whole page's links up to the cut: every link whose tag closed before the cut is
// found unchanged, and only a value that ran into the cut may differ.
TEST(LinkScanner, PageCutAtEveryOffset)
{
    const std::string page =
        "<html><body><a href=\"a.html\">a</a> <img src='b.jpg'> <frame src=c.htm>"
        "<a HREF = d.pdf>d</a><a href=\"javascript:x\">j</a><a href=\"http://h/e.htm\">e</a></body></html>";
    const auto whole = LinksWithEnds(page);
    ASSERT_EQ(whole.size(), 5u);
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        SCOPED_TRACE(cut);
        const auto links = LinksWithEnds(page.substr(0, cut));
        size_t closed = 0;
        while (closed < whole.size() && whole[closed].second + 1 < cut) ++closed;
        ASSERT_GE(links.size(), closed);
        ASSERT_LE(links.size(), closed + 1);
        for (size_t i = 0; i < closed; ++i) EXPECT_EQ(links[i].first, whole[i].first);
        if (links.size() > closed) {
            EXPECT_EQ(links.back().second, cut - 1);  // its value ran into the cut
        }
    }
}

}  // namespace
