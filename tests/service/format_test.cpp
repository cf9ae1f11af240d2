// Catalog lines, size text, magnet links, the reply escaping and the search form parser.
#include <gtest/gtest.h>

#include <sstream>

#include "service/catalog.h"
#include "service/reply.h"
#include "service/server.h"
#include "service/utf8.h"

namespace tovik::service {
namespace {

constexpr const char* kHash = "0123456789abcdef0123456789abcdef01234567";

TEST(CatalogLine, ReadsValidLinesAndNormalises) {
    std::string error;
    const auto e = ParseCatalogLine(
        "  Debian\x01 12 \t123\t2024-02-29\t1\t0123456789ABCDEF0123456789abcdef01234567\r", &error);
    ASSERT_TRUE(e) << error;
    EXPECT_EQ(e->title, "Debian  12");
    EXPECT_EQ(e->size, 123);
    EXPECT_EQ(e->date, "2024-02-29");
    EXPECT_EQ(e->files, 1);
    EXPECT_EQ(e->hash, kHash);
    EXPECT_EQ(ParseCatalogLine(FormatCatalogLine(*e))->title, e->title);
}

TEST(CatalogLine, RejectsBadFields) {
    const std::string h = kHash;
    const std::vector<std::string> lines = {
        "title\t1\t2024-01-01\t1",                           // four fields
        "title\t1\t2024-01-01\t1\t" + h + "\textra",         // six
        "\t1\t2024-01-01\t1\t" + h,                          // empty title
        " \x02 \t1\t2024-01-01\t1\t" + h,                    // blank after cleaning
        "bad \xC3\x28\t1\t2024-01-01\t1\t" + h,              // invalid UTF-8
        "title\t-1\t2024-01-01\t1\t" + h,                    // negative size
        "title\t1.5\t2024-01-01\t1\t" + h,                   // not a count
        "title\t99999999999999999999\t2024-01-01\t1\t" + h,  // overflow
        "title\t1\t2023-02-29\t1\t" + h,                     // not a leap year
        "title\t1\t2024-13-01\t1\t" + h,                     // month
        "title\t1\t24-01-01\t1\t" + h,                       // short year
        "title\t1\t2024-01-01\t0\t" + h,                     // no files
        "title\t1\t2024-01-01\t1\t" + h.substr(1),           // 39 digits
        "title\t1\t2024-01-01\t1\t" + h.substr(1) + "g",     // not hex
    };
    for (const auto& line : lines) {
        std::string error;
        EXPECT_FALSE(ParseCatalogLine(line, &error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(CatalogGenerator, IsReproducibleAndReadable) {
    std::ostringstream a, b;
    GenerateCatalog(a, 500, 7);
    GenerateCatalog(b, 500, 7);
    EXPECT_EQ(a.str(), b.str());
    std::istringstream in(a.str());
    std::string line;
    int entries = 0;
    while (std::getline(in, line)) {
        if (line.starts_with('#')) {
            continue;
        }
        std::string error;
        EXPECT_TRUE(ParseCatalogLine(line, &error)) << line << ": " << error;
        ++entries;
    }
    EXPECT_EQ(entries, 500);
}

TEST(Size, ReadsLikeAFileManager) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 B"},
        {999, "999 B"},
        {1000, "1.0 KB"},
        {1536, "1.5 KB"},
        {1023 * 1024, "1.0 MB"},  // 1023 KB would print four digits
        {734LL * 1024 * 1024, "734 MB"},
        {1288490189LL, "1.2 GB"},
        {5LL << 40, "5.0 TB"},
        {INT64_MAX, "8.0 EB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
    }
}

TEST(Magnet, EncodesTheNameAsUtf8) {
    Entry e{"红楼梦 A&B #1 +50% it's", 42, "2024-01-01", 1, kHash};
    EXPECT_EQ(MagnetLink(e),
              std::string("magnet:?xt=urn:btih:") + kHash +
                  "&dn=%E7%BA%A2%E6%A5%BC%E6%A2%A6%20A%26B%20%231%20%2B50%25%20it%27s"
                  "&xl=42");
}

TEST(ToolEscape, LeavesOnlyHarmlessAscii) {
    EXPECT_EQ(EscapeForTool("Abc 1-2/3:{x}"), "Abc 1-2/3:{x}");
    EXPECT_EQ(EscapeForTool("\"\\%'"), "\\u0022\\u005c\\u0025\\u0027");
    EXPECT_EQ(EscapeForTool("\t\x7F"), "\\u0009\\u007f");
    EXPECT_EQ(EscapeForTool("中文"), "\\u4e2d\\u6587");
    EXPECT_EQ(EscapeForTool("\xF0\x9F\x8E\xAC"), "\\ud83c\\udfac");  // U+1F3AC
    EXPECT_EQ(EscapeForTool("\xFF"), "\\ufffd");
}

TEST(ToolEscape, TitleSequencesTheToolCannotCarry) {
    EXPECT_EQ(ToolSafeTitle("a{$}b"), "a{\xEF\xBC\x84}b");
    EXPECT_EQ(ToolSafeTitle("say \"hi\"} now"), "say \"hi\xEF\xBC\x82} now");
    EXPECT_EQ(ToolSafeTitle("say \"hi\""), "say \"hi\"");  // a closing quote is harmless
}

TEST(Reply, OneAsciiLineInTheHitLayout) {
    SearchPage page;
    page.hits.push_back({"中 %", 2048, "2024-05-06", 3, kHash});
    page.more = true;
    const std::string reply = SearchReply(page, 2);
    EXPECT_EQ(reply,
              std::string("{\"page\": 2, \"more\": true, \"hits\": [{\"date\": \"2024-05-06\", "
                          "\"files\": \"3\", \"magnet\": \"magnet:?xt=urn:btih:") +
                  kHash +
                  "&dn=\\u0025E4\\u0025B8\\u0025AD\\u002520\\u002525&xl=2048\", \"size\": "
                  "\"2.0 KB\", \"title\": \"\\u4e2d \\u0025\"}]}");
    EXPECT_EQ(SearchReply({}, 9), "{\"page\": 9, \"more\": false, \"hits\": []}");
}

struct FormCase {
    const char* body;
    bool ok;
    const char* keyword;
    std::int64_t page;
};

TEST(SearchForm, ParsesTheToolsBodyAndRefusesMalformedOnes) {
    const FormCase cases[] = {
        {"target=ab%20c&currentPage=2", true, "ab c", 2},
        {"target=%E4%B8%AD&currentPage=1", true, "中", 1},
        {"target=&currentPage=1", true, "", 1},
        {"currentPage=3&target=a+b&target=ignored&x=1", true, "a b", 3},
        {"target=a&currentPage=007", true, "a", 7},
        {"target=a&currentPage=99999999999999999999999", true, "a", std::int64_t{1} << 40},
        {"", false, "", 0},
        {"currentPage=1", false, "", 0},
        {"target=a", false, "", 0},
        {"target=a&currentPage=", false, "", 0},
        {"target=a&currentPage=0", false, "", 0},
        {"target=a&currentPage=-1", false, "", 0},
        {"target=a&currentPage=1x", false, "", 0},
        {"target=a&currentPage=%2B1", false, "", 0},
        {"target=%E4%B8&currentPage=1", false, "", 0},     // cut UTF-8
        {"target=%C0%AF&currentPage=1", false, "", 0},     // overlong
        {"target=%ED%A0%80&currentPage=1", false, "", 0},  // surrogate
        {"target=%G1&currentPage=1", false, "", 0},
        {"target=%4&currentPage=1", false, "", 0},
        {"target=abc%&currentPage=1", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto form = ParseSearchForm(c.body, &error);
        ASSERT_EQ(form.has_value(), c.ok) << c.body << " " << error;
        if (c.ok) {
            EXPECT_EQ(form->keyword, c.keyword) << c.body;
            EXPECT_EQ(form->page, c.page) << c.body;
        } else {
            EXPECT_FALSE(error.empty()) << c.body;
        }
    }
    EXPECT_FALSE(ParseSearchForm("target=" + std::string(2000, 'a') + "&currentPage=1"));
}

}  // namespace
}  // namespace tovik::service
