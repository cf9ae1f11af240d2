// The service's replies read back exactly as the tool reads them: the request built with the
// tool's UrlEncode, sent with its HttpRequest, decoded with BytesToText and UnescapeUnicode, and
// split with its RegexObject and the hit pattern. Every field must arrive as the service meant.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "http/http.h"
#include "regex/regex_object.h"
#include "service/catalog.h"
#include "service/index.h"
#include "service/server.h"
#include "text/text.h"

namespace tovik::service {
namespace {

// The tool's hit pattern, 89 bytes.
constexpr const char* kHitPattern =
    R"re({"date": "(.*?)", "files": "(\d+)", "magnet": "(.*?)", "size": "(.*?)", "title": "(.*?)"})re";

// UTF-8 literal to the tool's code page 936 text.
Text Ansi(const std::string& utf8) {
    return WideToAnsi(AnsiToWide(utf8, 65001), 0);
}

struct Row {
    Text title, size, date, files, magnet;
};

class RoundTripTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto port = server_.Start("127.0.0.1", 0);
        ASSERT_TRUE(port);
        url_ = "http://127.0.0.1:" + std::to_string(*port) + "/search";
    }
    void TearDown() override { server_.Stop(); }

    // One page as the search worker fetches and parses it.
    std::vector<Row> Page(const std::string& keywordUtf8, int page) {
        const Text body = "target=" + UrlEncode(Ansi(keywordUtf8), true, true) +
                          "&currentPage=" + NumberToText(page);
        const Text decoded =
            UnescapeUnicode(BytesToText(HttpRequest(url_, {.method = 1, .bodyText = body})));
        RegexObject regex;
        regex.Create(kHitPattern, decoded);
        std::vector<Row> rows;
        for (int j = 1; j <= regex.MatchCount(); ++j) {
            rows.push_back({regex.SubmatchText(j, 5), regex.SubmatchText(j, 4),
                            regex.SubmatchText(j, 1), regex.SubmatchText(j, 2),
                            regex.SubmatchText(j, 3)});
        }
        return rows;
    }

    Index index_;
    Server server_{index_};
    std::string url_;
};

struct Named {
    std::string title;    // as catalogued, UTF-8
    std::string arrives;  // the title the tool shows, UTF-8
};

TEST_F(RoundTripTest, EveryFieldSurvivesByteForByte) {
    const Named names[] = {
        {"A&B #1 +2 = 100% it's 红楼梦", "A&B #1 +2 = 100% it's 红楼梦"},
        {"%41%u0041 \\u4e2d \\\\u0041 \\ end\\", "%41%u0041 \\u4e2d \\\\u0041 \\ end\\"},
        {"《西游记》 全角～ＡＢＣ 第3集 /slash\\/", "《西游记》 全角～ＡＢＣ 第3集 /slash\\/"},
        {"say \"hi\" {x} $5 'q' \"", "say \"hi\" {x} $5 'q' \""},
        // The tool's decoder folds U+2019 into an apostrophe and "{$}" into a line break, and its
        // pattern ends a title at '"' before '}': those arrive as the nearest it can carry.
        {"Tom\xE2\x80\x99s Diner", "Tom's Diner"},
        {"Price {$} sign", "Price {\xEF\xBC\x84} sign"},
        {"odd \"} brace", "odd \xEF\xBC\x82} brace"},
    };
    // Newest first, so the rows come back in the order of the table.
    auto entry = [&](std::size_t i) {
        return Entry{names[i].title, 1234567890123, "2024-01-" + std::to_string(20 - i), 7,
                     std::string(39, 'a') + std::to_string(i)};
    };
    std::string catalog;
    for (std::size_t i = 0; i < std::size(names); ++i) {
        catalog += FormatCatalogLine(entry(i)) + "\n";
    }
    ASSERT_EQ(index_.Import(catalog).added, static_cast<std::int64_t>(std::size(names)));

    const auto rows = Page("", 1);
    ASSERT_EQ(rows.size(), std::size(names));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Entry e = entry(i);
        SCOPED_TRACE(names[i].title);
        EXPECT_EQ(rows[i].title, Ansi(names[i].arrives));
        EXPECT_EQ(rows[i].size, "1.1 TB");
        EXPECT_EQ(rows[i].date, e.date);
        EXPECT_EQ(rows[i].files, "7");
        EXPECT_EQ(rows[i].magnet, MagnetLink(e));  // ASCII: the link copies intact
    }
}

TEST_F(RoundTripTest, SearchesAndPagesAsTheWorkerDoes) {
    std::string catalog;
    for (int i = 0; i < 45; ++i) {
        char hash[41];
        std::snprintf(hash, sizeof hash, "%040d", i);
        const std::string title = (i % 3 == 0 ? "红楼梦 第" : "Sintel part ") + std::to_string(i);
        catalog += title + "\t" + std::to_string(1000 + i) + "\t2023-05-" +
                   std::to_string(10 + i % 18) + "\t1\t" + hash + "\n";
    }
    ASSERT_EQ(index_.Import(catalog).added, 45);

    std::size_t total = 0;
    std::set<Text> links;
    for (int page = 1; page <= 4; ++page) {
        const auto rows = Page("", page);
        EXPECT_EQ(rows.size(), page < 3 ? 20u : page == 3 ? 5u : 0u) << page;
        total += rows.size();
        for (const auto& r : rows) {
            links.insert(r.magnet);
        }
    }
    EXPECT_EQ(total, 45u);
    EXPECT_EQ(links.size(), 45u);

    const auto red = Page("红楼", 1);
    EXPECT_EQ(red.size(), 15u);
    for (const auto& r : red) {
        EXPECT_EQ(r.title.rfind(Ansi("红楼梦 第"), 0), 0u);
    }
    EXPECT_EQ(Page("SINTEL", 1).size(), 20u);
    EXPECT_EQ(Page("sintel part 7", 1).size(), 1u);
}

}  // namespace
}  // namespace tovik::service

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
