// The search worker's hit pattern over realistic and hostile replies, and the work bound under
// both the JIT and the interpreter.
#include <gtest/gtest.h>

#include <string_view>

#include "regex/engine.h"
#include "regex/regex_object.h"
#include "regex/wide_subject.h"
#include "tests/regex/replies.h"

namespace tovik {
namespace {

using namespace tovik::testing;

// What the search worker reads for one match, in its order: title, size, date, files, magnet.
Hit ReadHit(const RegexObject& re, int match) {
    Hit h;
    h.title = re.SubmatchText(match, 5);
    h.size = re.SubmatchText(match, 4);
    h.date = re.SubmatchText(match, 1);
    h.files = re.SubmatchText(match, 2);
    h.magnet = re.SubmatchText(match, 3);
    return h;
}

void ExpectHits(const RegexObject& re, const std::vector<Hit>& expected) {
    ASSERT_EQ(re.MatchCount(), static_cast<int>(expected.size()));
    ASSERT_EQ(re.SubmatchCount(), 5);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Hit got = ReadHit(re, static_cast<int>(i) + 1);
        SCOPED_TRACE(i);
        EXPECT_EQ(got.date, expected[i].date);
        EXPECT_EQ(got.files, expected[i].files);
        EXPECT_EQ(got.magnet, expected[i].magnet);
        EXPECT_EQ(got.size, expected[i].size);
        EXPECT_EQ(got.title, expected[i].title);
    }
}

TEST(HitPatternTest, PatternIsTheWorkersEightyNineBytes) {
    EXPECT_EQ(kHitPattern.size(), 89u);
}

TEST(HitPatternTest, OneHitPerLine) {
    const std::vector<Hit> hits = {SampleHit(0), SampleHit(1), SampleHit(2)};
    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, LinePerHitReply(hits)));
    ExpectHits(re, hits);
}

TEST(HitPatternTest, ManyHitsOnOneLine) {
    const std::vector<Hit> hits = SampleHits(10 * 1024);
    ASSERT_GE(hits.size(), 20u);
    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, OneLineReply(hits)));
    ExpectHits(re, hits);
}

TEST(HitPatternTest, NonDigitFilesRunsIntoTheNextHitOnItsLine) {
    Hit broken = SampleHit(3);
    broken.files = "3a";
    const Hit next = SampleHit(4);
    const std::string brokenObject = HitObject(broken);

    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, OneLineReply({broken, next})));
    Hit merged = next;
    merged.date = brokenObject.substr(std::string_view(R"({"date": ")").size()) +
                  ", {\"date\": \"" + next.date;
    ExpectHits(re, {merged});

    // A line feed ends the run-on: the broken hit is simply skipped.
    ASSERT_TRUE(re.Create(kHitPattern, LinePerHitReply({broken, next})));
    ExpectHits(re, {next});
}

TEST(HitPatternTest, MemberNamesMatchInAnyCase) {
    const Hit h = SampleHit(5);
    const std::string upper = "{\"DATE\": \"" + h.date + "\", \"Files\": \"" + h.files +
                              "\", \"MAGNET\": \"" + h.magnet + "\", \"Size\": \"" + h.size +
                              "\", \"TITLE\": \"" + h.title + "\"}";
    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, "[" + upper + "]"));
    ExpectHits(re, {h});
}

TEST(HitPatternTest, HitSplitOverLinesIsNotFound) {
    Hit split = SampleHit(6);
    split.title = "first line\nsecond line";
    const Hit whole = SampleHit(7);
    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, LinePerHitReply({split, whole})));
    ExpectHits(re, {whole});
}

TEST(HitPatternTest, OffsetsCountUnitsAfterDoubleByteText) {
    const Hit h{"2024-05-06", "0", "magnet:?xt=urn:btih:abc", "1 GB", kGaoQing + " x"};
    const std::string prefix = kZhongWen + kDianYing + kHeJi + "\n";  // 12 bytes, 7 units
    const std::string subject = prefix + HitObject(h);
    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, subject));
    ExpectHits(re, {h});

    int position = 0;
    EXPECT_EQ(re.MatchText(1, &position), HitObject(h));
    EXPECT_EQ(position, static_cast<int>(prefix.size()));
    EXPECT_EQ(re.SubmatchText(1, 1, &position), h.date);
    EXPECT_EQ(position, static_cast<int>(subject.find(h.date)));
    // The search starts 7 bytes in, so it meets the "0" of the date before the files value.
    EXPECT_EQ(re.SubmatchText(1, 2, &position), "0");
    EXPECT_EQ(position, static_cast<int>(subject.find("0")));
    EXPECT_LT(position, static_cast<int>(subject.find("\"0\"")));
}

TEST(HitPatternTest, ReadingEveryGroupOfALargeReply) {
    const std::vector<Hit> hits = SampleHits(512 * 1024);
    RegexObject re;
    ASSERT_TRUE(re.Create(kHitPattern, OneLineReply(hits)));
    ExpectHits(re, hits);
}

// The bound is exercised directly on the engine so that both matchers are covered.
class BoundTest : public ::testing::TestWithParam<regex_detail::Pattern::Mode> {
  protected:
    std::unique_ptr<regex_detail::Pattern> Compile(const std::string& pattern) {
        auto compiled = regex_detail::Pattern::Compile(regex_detail::ToWide(pattern, false).units,
                                                       regex_detail::Settings{}, GetParam());
        EXPECT_TRUE(compiled);
        if (compiled) {
            EXPECT_EQ(compiled->UsesJit(), GetParam() == regex_detail::Pattern::Mode::Auto);
        }
        return compiled;
    }
};

TEST_P(BoundTest, RealisticRepliesNeverReachTheBound) {
    auto pattern = Compile(kHitPattern);
    ASSERT_TRUE(pattern);
    const std::vector<Hit> hits = SampleHits(2600 * 1024);
    for (const std::string& reply : {OneLineReply(hits), LinePerHitReply(hits)}) {
        const auto list = pattern->Run(regex_detail::ToWide(reply, false).units);
        ASSERT_TRUE(list);
        EXPECT_FALSE(list->stoppedAtBound);
        EXPECT_EQ(list->Count(), hits.size());
    }
}

TEST_P(BoundTest, HostileLineEndsAndKeepsTheHitsBeforeIt) {
    auto pattern = Compile(kHitPattern);
    ASSERT_TRUE(pattern);
    const std::vector<Hit> before = {SampleHit(10), SampleHit(11)};
    const std::vector<Hit> after = {SampleHit(12), SampleHit(13)};
    for (const HostileLine& hostile : HostileLines()) {
        SCOPED_TRACE(hostile.name);
        const std::string head = LinePerHitReply(before);
        const std::string subject = head + hostile.line + "\n" + LinePerHitReply(after);
        // Offsets count units; the titles hold double-byte characters.
        const std::size_t headUnits = regex_detail::ToWide(head, false).units.size();
        const std::size_t hostileEnd =
            headUnits + regex_detail::ToWide(hostile.line, false).units.size();
        const auto list = pattern->Run(regex_detail::ToWide(subject, false).units);
        ASSERT_TRUE(list);
        std::size_t inHead = 0, inTail = 0;
        for (std::size_t m = 0; m < list->Count(); ++m) {
            inHead += list->Start(m, 0) < headUnits;
            inTail += list->Start(m, 0) > hostileEnd;
        }
        EXPECT_EQ(inHead, before.size());
        // Past the bound every later hit is lost; short of it, all are found.
        EXPECT_EQ(inTail, list->stoppedAtBound ? 0 : after.size());
    }
}

TEST_P(BoundTest, ExplodingPatternStopsWithTheMatchesSoFar) {
    auto pattern = Compile("^(a|a)+$");
    ASSERT_TRUE(pattern);
    const std::string subject = "aa\naaa\n" + std::string(40, 'a') + "!\naaaa";
    const auto list = pattern->Run(regex_detail::ToWide(subject, false).units);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->stoppedAtBound);
    ASSERT_EQ(list->Count(), 2u);
    EXPECT_EQ(list->Start(1, 0), 3u);
}

INSTANTIATE_TEST_SUITE_P(Matchers, BoundTest,
                         ::testing::Values(regex_detail::Pattern::Mode::Auto,
                                           regex_detail::Pattern::Mode::Interpreter),
                         [](const auto& row) {
                             return row.param == regex_detail::Pattern::Mode::Auto
                                        ? std::string("Jit")
                                        : std::string("Interpreter");
                         });

TEST(HitPatternTest, BoundKeepsEarlierHitsThroughTheObject) {
    const Hit h = SampleHit(20);
    RegexObject re;
    ASSERT_TRUE(re.Create("^(a|a)+$", "aa\n" + std::string(40, 'a') + "!\naa"));
    EXPECT_EQ(re.MatchCount(), 1);
    EXPECT_EQ(re.MatchText(1), "aa");
    // The object stays usable.
    ASSERT_TRUE(re.Create(kHitPattern, OneLineReply({h})));
    ExpectHits(re, {h});
}

}  // namespace
}  // namespace tovik
