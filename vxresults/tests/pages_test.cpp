// SPDX-License-Identifier: MIT
// Escaping, the figures as shown, the chart and the pages' handling of hostile device strings.
#include <gtest/gtest.h>

#include "html.h"
#include "pages.h"

namespace vxresults {
namespace {

constexpr const char* kHostile = "<script>alert(1)</script>&\"'<img src=x onerror=alert(2)>";

// The hostile string reached the text escaped, never as markup.
void expectEscaped(const std::string& text, const std::string& escaped) {
    EXPECT_EQ(text.find("<script"), std::string::npos) << text;
    EXPECT_EQ(text.find("<img"), std::string::npos) << text;
    EXPECT_NE(text.find(escaped), std::string::npos) << text;
}

TEST(Html, EscapesTheFiveCharacters) {
    EXPECT_EQ(htmlEscape("<a href=\"x\">&'</a>"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(htmlEscape("plain \xC3\xA9"), "plain \xC3\xA9");
    EXPECT_EQ(percentEncode("a b&c=d/\xC3\xA9~"), "a%20b%26c%3Dd%2F%C3%A9~");
}

TEST(Html, Figures) {
    EXPECT_EQ(formatRate(int64_t{2345}), "23.45");
    EXPECT_EQ(formatRate(int64_t{5}), "0.05");
    EXPECT_EQ(formatRate(int64_t{0}), "0.00");
    EXPECT_EQ(formatRate(2344.5), "23.45");  // a median between two runs rounds half up
    EXPECT_EQ(formatBytes(512), "512 B");
    EXPECT_EQ(formatBytes(4000000000u), "3.7 GiB");
    EXPECT_EQ(formatBytes(UINT64_MAX), "16.0 EiB");
    EXPECT_EQ(formatTime(0), "1970-01-01 00:00 UTC");
    EXPECT_EQ(formatTime(1796516459), "2026-12-06 00:20 UTC");
}

TEST(Html, ChartEscapesAndScalesItsBars) {
    const std::string svg = barChart({{kHostile, 200, "2.00"}, {"slow", 100, "1.00"}}, "title & <more>");
    expectEscaped(svg, "&lt;script&gt;");
    EXPECT_NE(svg.find("title &amp; &lt;more&gt;"), std::string::npos);
    // The fastest bar takes the whole width, the half as fast one half of it.
    EXPECT_NE(svg.find("width=\"380\""), std::string::npos);
    EXPECT_NE(svg.find("width=\"190\""), std::string::npos);
    // A long label is cut between characters, never inside one.
    const std::string cut = barChart({{std::string(30, 'x') + "\xC3\xA9\xC3\xA9", 1, "0.01"}}, "t");
    EXPECT_NE(cut.find(std::string(28, 'x') + "\xE2\x80\xA6<"), std::string::npos);
}

TEST(Pages, EveryPageEscapesTheDeviceString) {
    Submission s;
    s.dev = kHostile;
    s.ver = "<b>1.0b";
    s.fps = 2345;
    StoredResult r{7, 1796516459, s};
    BoardPage board;
    board.rows = {{kHostile, 2345, 2345, 1, 4000000000u, 1796516459}};
    board.top = board.rows;
    board.deviceCount = 1;
    board.resultCount = 1;
    board.query.search = kHostile;
    DevicePage device{kHostile, {r}, 1, 2345, 1, 50};
    const std::string pages[] = {
        leaderboardPage(board), devicePage(device), acceptedPage(s, Ranks{7, 1, 1, 1, 1}),
        rejectedPage({{"dev", kHostile}}), messagePage(kHostile, kHostile),
    };
    for (const std::string& page : pages) {
        expectEscaped(page, "&lt;script&gt;alert(1)&lt;/script&gt;&amp;&quot;&#39;");
        EXPECT_EQ(page.find("<b>"), std::string::npos) << page;
    }
    // Links carry the device string percent-encoded.
    EXPECT_NE(pages[0].find("/device?dev=%3Cscript%3Ealert%281%29"), std::string::npos);
}

TEST(Pages, LeaderboardSortLinksAndPaging) {
    BoardPage board;
    board.query.sort = SortKey::Median;
    board.query.descending = true;
    board.query.search = "pi 4";
    board.query.offset = 25;
    board.deviceCount = 60;
    board.rows = {{"Pi", 100, 100, 1, 1, 0}};
    const std::string page = leaderboardPage(board);
    // The sorted column turns its order; the others start from their natural order.
    EXPECT_NE(page.find("/?sort=median&amp;order=asc&amp;q=pi%204\""), std::string::npos);
    EXPECT_NE(page.find("/?sort=device&amp;order=asc&amp;q=pi%204\""), std::string::npos);
    EXPECT_NE(page.find("/?sort=runs&amp;order=desc&amp;q=pi%204\""), std::string::npos);
    EXPECT_NE(page.find("Page 2 of 3"), std::string::npos);
    EXPECT_NE(page.find("/?sort=median&amp;order=desc&amp;q=pi%204\" rel=\"prev\""), std::string::npos);
    EXPECT_NE(page.find("/?sort=median&amp;order=desc&amp;q=pi%204&amp;page=3\" rel=\"next\""), std::string::npos);
    EXPECT_NE(page.find("<td class=\"num\">26</td>"), std::string::npos);  // rows numbered across pages
    for (const char* name : {"device", "best", "median", "runs", "memory", "last"}) {
        EXPECT_EQ(sortName(*sortFromName(name)), name);
    }
    EXPECT_FALSE(sortFromName("fps; DROP"));
}

}  // namespace
}  // namespace vxresults
