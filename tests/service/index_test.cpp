// Search semantics over a small catalog, and paging over a generated one.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "service/index.h"
#include "service/utf8.h"

namespace tovik::service {
namespace {

// Titles chosen so that each row of the table below tells one rule apart from its neighbours.
constexpr const char* kCatalog =
    "# fixture\n"
    "红楼梦 曹雪芹 全本 EPUB\t1000\t2020-01-01\t1\t0000000000000000000000000000000000000001\n"
    "红色警戒 原声集\t1000\t2021-01-01\t1\t0000000000000000000000000000000000000002\n"
    "梦的解析 弗洛伊德\t1000\t2019-01-01\t1\t0000000000000000000000000000000000000003\n"
    "Ubuntu 22.04.3 LTS Desktop "
    "amd64.iso\t1000\t2023-08-10\t1\t0000000000000000000000000000000000000004\n"
    "Agent 327: Operation Barbershop "
    "1080p\t1000\t2018-01-01\t1\t0000000000000000000000000000000000000005\n"
    "Alice's Adventures in "
    "Wonderland\t1000\t2017-01-01\t1\t0000000000000000000000000000000000000006\n"
    "Startup Stories\t1000\t2016-01-01\t1\t0000000000000000000000000000000000000007\n"
    "ＦＵＬＬ Ｗｉｄｔｈ Title\t1000\t2015-01-01\t1\t0000000000000000000000000000000000000008\n"
    "Rock AND Roll NOT Dead (live)\t1000\t2014-01-01\t1\t0000000000000000000000000000000000000009\n"
    "100% Free Software - Linux\t1000\t2013-01-01\t1\t000000000000000000000000000000000000000a\n"
    "Les Misérables - VICTOR HUGO\t1000\t2012-01-01\t1\t000000000000000000000000000000000000000b\n";

class IndexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto report = index_.Import(std::string_view(kCatalog));
        ASSERT_EQ(report.added, 11);
        ASSERT_EQ(report.rejected, 0);
    }
    std::vector<std::string> Titles(std::string_view keyword) {
        std::vector<std::string> titles;
        for (const auto& e : index_.Search(keyword, 1).hits) {
            titles.push_back(e.title);
        }
        std::sort(titles.begin(), titles.end());
        return titles;
    }
    Index index_;
};

const std::string kHongLou = "红楼梦 曹雪芹 全本 EPUB";
const std::string kHongSe = "红色警戒 原声集";
const std::string kMeng = "梦的解析 弗洛伊德";
const std::string kUbuntu = "Ubuntu 22.04.3 LTS Desktop amd64.iso";
const std::string kAgent = "Agent 327: Operation Barbershop 1080p";
const std::string kAlice = "Alice's Adventures in Wonderland";
const std::string kFull = "ＦＵＬＬ Ｗｉｄｔｈ Title";
const std::string kRock = "Rock AND Roll NOT Dead (live)";
const std::string kFree = "100% Free Software - Linux";
const std::string kLes = "Les Misérables - VICTOR HUGO";

struct Case {
    const char* keyword;
    std::vector<std::string> titles;
};

TEST_F(IndexTest, MatchesByTheRulesOfEachScript) {
    const Case cases[] = {
        // Text without spaces: any substring, whatever its length.
        {"红", {kHongLou, kHongSe}},
        {"梦", {kHongLou, kMeng}},
        {"红楼", {kHongLou}},
        {"楼梦", {kHongLou}},
        {"曹雪芹", {kHongLou}},
        {"红色警戒原声", {kHongSe}},
        {"红梦", {}},
        {"的解析 弗洛", {kMeng}},
        // Latin: whole words, any case, full-width folded.
        {"ubuntu", {kUbuntu}},
        {"UBUNTU desktop", {kUbuntu}},
        {"ｕｂｕｎｔｕ", {kUbuntu}},
        {"ubunt", {}},
        {"art", {}},  // not inside "Startup"
        {"startup", {"Startup Stories"}},
        {"full width", {kFull}},
        {"ＦＵＬＬ", {kFull}},
        {"misérables", {kLes}},
        {"MISÉRABLES victor", {kLes}},
        // Punctuation in a name is part of how it is written, never syntax.
        {"22.04", {kUbuntu}},
        {"ubuntu-22.04.3", {kUbuntu}},
        {"agent 327:", {kAgent}},
        {"327: Operation", {kAgent}},
        {"\"agent\"", {kAgent}},
        {"\"agent", {kAgent}},
        {"alice's", {kAlice}},
        {"alice\xE2\x80\x99s", {kAlice}},  // U+2019
        {"agent -barbershop", {kAgent}},
        {"AND", {kRock}},
        {"NOT", {kRock}},
        {"rock OR nothing", {}},
        {"NEAR(rock dead)", {}},
        {"dead*", {kRock}},
        {"title:rock", {}},
        {"(live)", {kRock}},
        {"100%", {kFree}},
        {"software - linux", {kFree}},
        // Only punctuation: a literal substring of the titles.
        {"-", {kFree, kLes}},
        {"%", {kFree}},
        {":", {kAgent}},
        {"\"", {}},
        {"*", {}},
        {"nothing-like-this", {}},
    };
    for (const auto& c : cases) {
        auto expected = c.titles;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Titles(c.keyword), expected) << "keyword: " << c.keyword;
    }
}

TEST_F(IndexTest, BlankKeywordListsNewestFirst) {
    for (const char* blank : {"", " ", "  \t", "\xE3\x80\x80"}) {
        const auto page = index_.Search(blank, 1);
        ASSERT_EQ(page.hits.size(), 11u) << '"' << blank << '"';
        EXPECT_EQ(page.hits.front().title, kUbuntu);
        EXPECT_EQ(page.hits.back().title, kLes);
        EXPECT_FALSE(page.more);
    }
}

TEST_F(IndexTest, BestMatchFirstThenNewest) {
    // "梦" alone in a short title outranks it in a longer one; equal ranks go newest first.
    const auto hits = index_.Search("梦", 1).hits;
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].title, kMeng);
    const auto reds = index_.Search("红", 1).hits;
    ASSERT_EQ(reds.size(), 2u);
    EXPECT_EQ(reds[0].title, kHongSe);
}

TEST_F(IndexTest, ReimportUpdatesByInfoHash) {
    const auto report = index_.Import(std::string_view(
        "Ubuntu 24.04 LTS\t5\t2024-04-25\t2\t0000000000000000000000000000000000000004\n"
        "broken line\n"));
    EXPECT_EQ(report.added, 0);
    EXPECT_EQ(report.updated, 1);
    EXPECT_EQ(report.rejected, 1);
    EXPECT_EQ(report.firstError.rfind("line 2:", 0), 0u);
    EXPECT_EQ(Titles("ubuntu"), std::vector<std::string>{"Ubuntu 24.04 LTS"});
    EXPECT_TRUE(Titles("desktop").empty());
    EXPECT_EQ(index_.Stats().entries, 11);
    EXPECT_EQ(index_.Stats().newestDate, "2024-04-25");
}

TEST_F(IndexTest, PagesPastTheEndAreEmpty) {
    for (const std::int64_t page : {std::int64_t{2}, std::int64_t{1000}, std::int64_t{1} << 40,
                                    (std::int64_t{1} << 40) + 1, std::int64_t{INT64_MAX}}) {
        EXPECT_TRUE(index_.Search("", page).hits.empty()) << page;
    }
    EXPECT_TRUE(index_.Search("", 0).hits.empty());
    EXPECT_TRUE(index_.Search("", -5).hits.empty());
}

// Whether every blank-separated part of keyword occurs as a run of consecutive title tokens.
bool Matches(const std::string& title, const std::string& keyword) {
    const auto words = Tokenize(title);
    std::istringstream parts(keyword);
    std::string part;
    while (parts >> part) {
        const auto needle = Tokenize(part);
        if (std::search(words.begin(), words.end(), needle.begin(), needle.end()) == words.end()) {
            return false;
        }
    }
    return true;
}

TEST(IndexPaging, EveryRowExactlyOnceAcrossAllPages) {
    std::ostringstream catalog;
    GenerateCatalog(catalog, 1500, 99);
    Index index;
    ASSERT_EQ(index.Import(std::string_view(catalog.str())).added, 1500);

    std::vector<std::string> titles;
    {
        std::istringstream in(catalog.str());
        std::string line;
        while (std::getline(in, line)) {
            if (!line.starts_with('#')) {
                titles.push_back(line.substr(0, line.find('\t')));
            }
        }
    }
    for (const char* keyword : {"", "1080p", "版", "mp3", "pdf", "linux iso", "字幕 1080p"}) {
        const auto expected = std::count_if(titles.begin(), titles.end(),
                                            [&](const auto& t) { return Matches(t, keyword); });
        std::set<std::string> seen;
        std::int64_t rows = 0;
        std::string lastDate = "9999";
        for (std::int64_t page = 1;; ++page) {
            const auto result = index.Search(keyword, page);
            for (const auto& e : result.hits) {
                EXPECT_TRUE(seen.insert(e.hash).second) << keyword << " repeats " << e.title;
                if (*keyword == '\0') {
                    EXPECT_LE(e.date, lastDate);
                    lastDate = e.date;
                }
            }
            rows += static_cast<std::int64_t>(result.hits.size());
            if (!result.more) {
                EXPECT_LT(result.hits.size(), 21u);
                EXPECT_TRUE(index.Search(keyword, page + 1).hits.empty());
                break;
            }
            ASSERT_EQ(result.hits.size(), static_cast<std::size_t>(Index::kPageSize)) << keyword;
        }
        EXPECT_EQ(rows, expected) << keyword;
        EXPECT_GT(rows, 20) << keyword << " should span several pages";
    }
}

}  // namespace
}  // namespace tovik::service
