// RegexObject: settings, indices, failures, the position search, empty-match steps and
// replacement, on small subjects.
#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/regex/replies.h"

namespace tovik {
namespace {

using testing::kZhongWen;

std::vector<Text> AllMatches(const RegexObject& re) {
    std::vector<Text> out;
    for (int i = 1; i <= re.MatchCount(); ++i) {
        out.push_back(re.MatchText(i));
    }
    return out;
}

TEST(RegexObjectTest, FreshObjectIsEmpty) {
    RegexObject re;
    int position = 7;
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.SubmatchCount(), 0);
    EXPECT_EQ(re.GetPattern(), "");
    EXPECT_EQ(re.ReplaceMatches("x"), "");
    EXPECT_EQ(re.MatchText(1, &position), "");
    EXPECT_EQ(position, -2);  // an empty search over an empty subject
}

struct SettingsCase {
    const char* name;
    Text pattern, subject;
    bool caseSensitive, multiline, global;
    int expectedCount;
};

class SettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsTest, OptionsReachTheEngine) {
    const SettingsCase& c = GetParam();
    RegexObject re;
    ASSERT_TRUE(re.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global));
    EXPECT_EQ(re.MatchCount(), c.expectedCount);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SettingsTest,
    ::testing::Values(SettingsCase{"CaseIgnoredByDefault", "abc", "ABC abc", false, true, true, 2},
                      SettingsCase{"CaseSensitive", "abc", "ABC abc", true, true, true, 1},
                      SettingsCase{"MultilineCaret", "^b", "a\nb\nb", false, true, true, 2},
                      SettingsCase{"SingleLineCaret", "^b", "a\nb\nb", false, false, true, 0},
                      SettingsCase{"SingleLineDollarOnlyAtEnd", "a$", "a\n", false, false, true, 0},
                      SettingsCase{"MultilineDollarBeforeLineFeed", "a$", "a\n", false, true, true,
                                   1},
                      SettingsCase{"GlobalAll", "a", "aa", false, true, true, 2},
                      SettingsCase{"NotGlobalFirstOnly", "a", "aa", false, true, false, 1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RegexObjectTest, DefaultsAreIgnoreCaseMultilineGlobal) {
    RegexObject re;
    ASSERT_TRUE(re.Create("^x", "X\nx\nX"));
    EXPECT_EQ(re.MatchCount(), 3);
}

TEST(RegexObjectTest, QuoteMarkerExpandsOnlyWhenAsked) {
    const Text marker = "#\xD2\xFD\xBA\xC5";  // #引号
    RegexObject re;
    ASSERT_TRUE(re.Create("a" + marker + "b", "xa\"b a" + marker + "b", false, true, true, true));
    EXPECT_EQ(re.GetPattern(), "a\"b");
    EXPECT_EQ(AllMatches(re), std::vector<Text>{"a\"b"});

    ASSERT_TRUE(re.Create("a" + marker + "b", "xa\"b a" + marker + "b"));
    EXPECT_EQ(re.GetPattern(), "a" + marker + "b");
    EXPECT_EQ(AllMatches(re), std::vector<Text>{"a" + marker + "b"});
}

TEST(RegexObjectTest, RejectedPatternFailsQuietlyAndKeepsThePattern) {
    RegexObject re;
    ASSERT_TRUE(re.Create("a", "aaa"));
    EXPECT_FALSE(re.Create("(a", "aaa"));
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.SubmatchCount(), 0);
    EXPECT_EQ(re.MatchText(1), "");
    EXPECT_EQ(re.SubmatchText(1, 1), "");
    EXPECT_EQ(re.ReplaceMatches("b"), "");
    EXPECT_EQ(re.GetPattern(), "(a");
    // The subject is stored all the same: the position search runs over it.
    int position = 0;
    re.MatchText(1, &position);
    EXPECT_EQ(position, 0);
}

TEST(RegexObjectTest, NoMatchIsStillASuccessfulRun) {
    RegexObject re;
    EXPECT_TRUE(re.Create("z(y)", "abc"));
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.SubmatchCount(), 0);
    EXPECT_EQ(re.ReplaceMatches("q"), "abc");
}

TEST(RegexObjectTest, SecondCreateReplacesEverything) {
    RegexObject re;
    ASSERT_TRUE(re.Create("(x)(y)", "xy xy xy", true, true, true));
    ASSERT_EQ(re.MatchCount(), 3);
    ASSERT_TRUE(re.Create("b", "aBcb", true, false, true));
    EXPECT_EQ(re.MatchCount(), 1);
    EXPECT_EQ(re.SubmatchCount(), 0);
    EXPECT_EQ(re.GetPattern(), "b");
    int position = 0;
    EXPECT_EQ(re.MatchText(1, &position), "b");
    EXPECT_EQ(position, 3);  // case-sensitive now, over the new subject
    EXPECT_EQ(re.ReplaceMatches("-"), "aBc-");
}

TEST(RegexObjectTest, IndicesOutsideTheRangeGiveEmptyText) {
    RegexObject re;
    ASSERT_TRUE(re.Create("(a)(b)", "xab ab"));
    ASSERT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.MatchText(0), "");
    EXPECT_EQ(re.MatchText(3), "");
    EXPECT_EQ(re.MatchText(-1), "");
    EXPECT_EQ(re.SubmatchText(1, 0), "");
    EXPECT_EQ(re.SubmatchText(1, 3), "");
    EXPECT_EQ(re.SubmatchText(3, 1), "");
    EXPECT_EQ(re.SubmatchText(2, 2), "b");

    // An empty search: from 0 when the match itself was not found, else from its FirstIndex.
    int position = 9;
    re.MatchText(3, &position);
    EXPECT_EQ(position, 0);
    re.SubmatchText(2, 7, &position);
    EXPECT_EQ(position, 0);
}

TEST(RegexObjectTest, GroupsNumberByOpeningParenthesis) {
    RegexObject re;
    ASSERT_TRUE(re.Create("((a)(b))(c)?", "ab"));
    ASSERT_EQ(re.MatchCount(), 1);
    EXPECT_EQ(re.SubmatchCount(), 4);
    EXPECT_EQ(re.SubmatchText(1, 1), "ab");
    EXPECT_EQ(re.SubmatchText(1, 2), "a");
    EXPECT_EQ(re.SubmatchText(1, 3), "b");
    EXPECT_EQ(re.SubmatchText(1, 4), "");  // took no part
}

TEST(RegexObjectTest, SubmatchCountReadsTheFirstMatch) {
    RegexObject re;
    ASSERT_TRUE(re.Create("(a)|(b)(c)", "bc a"));
    EXPECT_EQ(re.SubmatchCount(), 3);
    EXPECT_EQ(re.SubmatchText(1, 1), "");
    EXPECT_EQ(re.SubmatchText(1, 3), "c");
    EXPECT_EQ(re.SubmatchText(2, 1), "a");
    EXPECT_EQ(re.SubmatchText(2, 2), "");
}

struct PositionCase {
    const char* name;
    Text pattern, subject;
    bool caseSensitive;
    int match, group;  // group 0: MatchText
    Text text;
    int position;
};

class PositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PositionTest, SearchesTheBytesFromFirstIndex) {
    const PositionCase& c = GetParam();
    RegexObject re;
    ASSERT_TRUE(re.Create(c.pattern, c.subject, c.caseSensitive));
    int position = 99;
    const Text text = c.group == 0 ? re.MatchText(c.match, &position)
                                   : re.SubmatchText(c.match, c.group, &position);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(position, c.position);
    // Leaving position out changes nothing else.
    EXPECT_EQ(c.group == 0 ? re.MatchText(c.match) : re.SubmatchText(c.match, c.group), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, PositionTest,
    ::testing::Values(
        PositionCase{"SingleByte", "abc", "xxabcxx", false, 1, 0, "abc", 2},
        PositionCase{"MatchAtStart", "abc", "abcx", false, 1, 0, "abc", 0},
        // FirstIndex 2 counts two characters, four bytes: the search starts at byte position 2.
        PositionCase{"AfterDoubleByteText", "abc", kZhongWen + "abc", false, 1, 0, "abc", 4},
        PositionCase{"EarlierOccurrenceOfMatch", "aa", "aaaa", false, 2, 0, "aa", 1},
        PositionCase{"EarlierOccurrenceOfGroup", "a(a)", "aaa", false, 1, 1, "a", 0},
        // The search folds case exactly when the engine ignores case.
        PositionCase{"IgnoreCaseFindsOtherCase", "b", "aBb", false, 2, 0, "b", 1},
        PositionCase{"CaseSensitiveSkipsOtherCase", "b", "aBb", true, 1, 0, "b", 2},
        // Double-byte text before the match: the search starts earlier and meets an earlier "a".
        PositionCase{"DoubleByteStartsTooEarly", "x(a)", kZhongWen + kZhongWen + "axa", false, 1, 1,
                     "a", 8},
        PositionCase{"GroupWithoutPartSearchesEmpty", "x(y)?", "ax", false, 1, 1, "", 0},
        PositionCase{"EmptyMatchInEmptySubject", "(x)?", "", false, 1, 0, "", -2}),
    [](const auto& row) { return std::string(row.param.name); });

struct EngineCase {
    const char* name;
    Text pattern, subject;
    std::vector<Text> matches;
};

class EngineTest : public ::testing::TestWithParam<EngineCase> {};

TEST_P(EngineTest, PatternMeaning) {
    const EngineCase& c = GetParam();
    RegexObject re;
    ASSERT_TRUE(re.Create(c.pattern, c.subject));
    EXPECT_EQ(AllMatches(re), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Meaning, EngineTest,
    ::testing::Values(
        EngineCase{"BracesWithoutCountAreLiteral", "{a}", "x{a}y", {"{a}"}},
        EngineCase{"BraceCount", "a{2}", "aaaa", {"aa", "aa"}},
        EngineCase{"DotStopsAtLineFeedOnly", ".+", "ab\r\ncd", {"ab\r", "cd"}},
        EngineCase{"LazyStopsAtFirstFollower", "<(.*?)>", "<a><b>", {"<a>", "<b>"}},
        EngineCase{"DigitIsAsciiOnly", "\\d+", "\xA3\xB1\xA3\xB2 12", {"12"}},  // full-width 12
        EngineCase{"DotTakesADoubleByteCharacter",
                   "a.b",
                   "a" + kZhongWen.substr(0, 2) + "b",
                   {"a" + kZhongWen.substr(0, 2) + "b"}},
        EngineCase{"UnicodeEscape", "\\u0041", "xa", {"a"}},
        EngineCase{"UnsetBackReferenceMatchesEmpty", "(x)?\\1y", "y", {"y"}},
        // Global steps: an empty match moves the next search one character on.
        EngineCase{"EmptyMatchesBetweenCharacters", "x*", "a" + kZhongWen, {"", "", "", ""}},
        EngineCase{"EmptyThenNonEmpty", "a*", "baaa", {"", "aaa", ""}},
        EngineCase{"LazyEmptyNeverRetriedNonEmpty", "a*?", "aa", {"", "", ""}},
        EngineCase{"EmptySubject", "x*", "", {""}},
        // Bytes that start no character count as one character each, coming back as "?".
        EngineCase{"UndecodableByte",
                   "(.)b",
                   "\xFF"
                   "b\x81",
                   {"?b"}}),
    [](const auto& row) { return std::string(row.param.name); });

struct ReplaceCase {
    const char* name;
    Text pattern, subject, replacement;
    bool global;
    Text expected;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, ReplacesWithTheSettingsOfCreate) {
    const ReplaceCase& c = GetParam();
    RegexObject re;
    ASSERT_TRUE(re.Create(c.pattern, c.subject, false, true, c.global));
    EXPECT_EQ(re.ReplaceMatches(c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replacement, ReplaceTest,
    ::testing::Values(
        ReplaceCase{"Groups", "(a)(b)", "xaby ab", "[$2$1]", true, "x[ba]y [ba]"},
        ReplaceCase{"FirstOnlyWithoutGlobal", "(a)(b)", "xaby ab", "[$2$1]", false, "x[ba]y ab"},
        ReplaceCase{"WholeMatchAndDollar", "b+", "abbc", "$&$$&", true, "abb$&c"},
        ReplaceCase{"BeforeAndAfter", "b", "abc", "[$`|$']", true, "a[a|c]c"},
        ReplaceCase{"MissingGroupStaysLiteral", "(a)", "a", "$2$0$", true, "$2$0$"},
        ReplaceCase{"TwoDigitsOnlyWhenTheGroupExists", "(a)", "a", "$10|$01", true, "a0|a"},
        ReplaceCase{"TwoDigitGroup", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "abcdefghijk", "$11$10$1",
                    true, "kja"},
        ReplaceCase{"UnsetGroupIsEmpty", "(x)?b", "ab", "[$1]", true, "a[]"},
        ReplaceCase{"EmptyMatches", "a*", "baaa", "-", true, "-b--"},
        ReplaceCase{"IgnoresCase", "A", "aA", "-", true, "--"},
        ReplaceCase{"EmptyReplacementDeletes", "b", "abcb", "", true, "ac"},
        ReplaceCase{"DoubleByteText", "\xD6\xD0", kZhongWen + "x" + kZhongWen, "\xD3\xA2", true,
                    "\xD3\xA2\xCE\xC4x\xD3\xA2\xCE\xC4"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tovik
