// Text primitives: clamping of positions and counts, character stepping over two-byte
// characters, ASCII-only case folding, blanks, numbers, and totality over hostile input.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "text/text.h"

namespace tovik {
namespace {

constexpr int kMin = INT_MIN;
constexpr int kMax = INT_MAX;

TEST(TextSlices, ClampAndCountPlainBytes) {
    const Text t =
        "ab\xD6\xD0"
        "cd";
    EXPECT_EQ(TextLength(t), 6);
    EXPECT_EQ(TextLeft(t, 3), "ab\xD6");  // cuts a two-byte character in half
    EXPECT_EQ(TextLeft(t, 0), "");
    EXPECT_EQ(TextLeft(t, kMin), "");
    EXPECT_EQ(TextLeft(t, kMax), t);
    EXPECT_EQ(TextRight(t, 3),
              "\xD0"
              "cd");
    EXPECT_EQ(TextRight(t, -1), "");
    EXPECT_EQ(TextRight(t, kMax), t);
    EXPECT_EQ(TextMid(t, 2, 2), "b\xD6");
    EXPECT_EQ(TextMid(t, 5, kMax), "cd");
    EXPECT_EQ(TextMid(t, 6, 1), "d");
    EXPECT_EQ(TextMid(t, 7, 1), "");
    EXPECT_EQ(TextMid(t, 0, 2), "");
    EXPECT_EQ(TextMid(t, kMin, kMax), "");
    EXPECT_EQ(TextMid(t, kMax, kMax), "");
    EXPECT_EQ(TextMid(t, 1, 0), "");
    EXPECT_EQ(TextMid("", 1, 1), "");
}

TEST(CharFromCode, LowEightBits) {
    EXPECT_EQ(CharFromCode(65), "A");
    EXPECT_EQ(CharFromCode(0x141), "A");
    EXPECT_EQ(CharFromCode(-1), "\xFF");
    EXPECT_EQ(CharFromCode(0), "");
    EXPECT_EQ(CharFromCode(256), "");
    EXPECT_EQ(CharFromCode(kMin), "");
}

TEST(FindText, Table) {
    struct Case {
        Text text, sought;
        int start;
        bool ignoreCase;
        int want;
    } cases[] = {
        {"abc", "", 1, false, 1},
        {"", "", 1, false, -1},
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", kMin, false, 2},
        {"abcabc", "bc", 7, false, -1},
        {"abcabc", "bc", kMax, false, -1},
        {"abc", "abcd", 1, false, -1},
        {"ABC", "bc", 1, false, -1},
        {"ABC", "bc", 1, true, 2},
        {"a[b", "{", 1, true, -1},  // only letters fold
        // 81 41 is one character: the "A" inside it is not a match.
        {"\x81"
         "AA",
         "A", 1, false, 3},
        {"\x81"
         "Ab",
         "Ab", 1, false, -1},
        {"\xD6\xD0\xD6\xD0", "\xD0\xD6", 1, false, -1},
        // Stepping starts at start, even when that is a second byte.
        {"\x81"
         "AA",
         "A", 2, false, 2},
        // Second bytes fold too when case is ignored.
        {"\x81"
         "a",
         "\x81"
         "A",
         1, true, 1},
        // A lead byte that ends the text is a character of its own.
        {"a\x81", "\x81", 1, false, 2},
        {"\x81", "\x81", 1, false, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.want)
            << c.text << " / " << c.sought << " @" << c.start;
    }
}

TEST(FindTextReverse, Table) {
    struct Case {
        Text text, sought;
        std::optional<int> start;
        bool ignoreCase;
        int want;
    } cases[] = {
        {"a:b:c", ":", std::nullopt, false, 4},
        {"a:b:c", ":", 4, false, 2},
        {"a:b:c", ":", 1, false, -1},
        {"a:b:c", ":", kMin, false, -1},
        {"a:b:c", ":", kMax, false, 4},
        {"a:b:c", ":", 5, false, 4},
        {"a:bb:c", "bb", 4, false, -1},  // must lie wholly within the first start - 1 bytes
        {"a:bb:c", "bb", 5, false, 3},
        {"aaa", "aa", std::nullopt, false, 2},
        {"xAx", "a", std::nullopt, true, 2},
        {"xAx", "a", std::nullopt, false, -1},
        {"A\x81"
         "A",
         "A", std::nullopt, false, 1},
        {"abc", "", std::nullopt, false, -1},
        {"", ":", std::nullopt, false, -1},
        {"a\x81", "\x81", std::nullopt, false, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindTextReverse(c.text, c.sought, c.start, c.ignoreCase), c.want)
            << c.text << " / " << c.sought << " @" << c.start.value_or(0);
    }
}

TEST(LowerCase, AsciiOnlyAndNeverASecondByte) {
    EXPECT_EQ(LowerCase("AbC-Z@[\xD6\xD0"), "abc-z@[\xD6\xD0");
    EXPECT_EQ(LowerCase("\x81\x41"), "\x81\x41");
    EXPECT_EQ(LowerCase("\x81\x41\x41"), "\x81\x41\x61");
    EXPECT_EQ(LowerCase("A\x81"), "a\x81");
    EXPECT_EQ(LowerCase(""), "");
}

TEST(TextToInt, Table) {
    struct Case {
        Text text;
        std::int32_t want;
    } cases[] = {
        {"  -12ab", -12},
        {"", 0},
        {"\xA3\xB1\xA3\xB2", 12},  // full-width one and two
        {"\xA3\xAD\xA3\xB7", -7},  // full-width minus
        {"\xA1\xA1\xA1\xA1"
         "5",
         5},  // full-width spaces
        {"\t\n\v\f\r +8", 8},
        {"+", 0},
        {"-", 0},
        {"--1", 0},
        {"x1", 0},
        {"12 3", 12},
        {"1\xA3\xB2"
         "3",
         123},
        {"2147483647", kMax},
        {"2147483648", kMin},  // wraps around, no overflow check
        {"-2147483648", kMin},
        {"4294967297", 1},
        {"99999999999999999999", 1661992959},
        {"\xB0\xA3\xB1", 0},  // B0 A3 is a character; B1 alone is no digit
        {"7\x81", 7},         // a trailing lone lead byte ends the digits
        {"\xA3", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToInt(c.text), c.want) << c.text;
    }
}

TEST(Blanks, TrimAndRemove) {
    EXPECT_EQ(TrimText("  a b  "), "a b");
    EXPECT_EQ(TrimText("\t a \r\n"), "\t a \r\n");
    EXPECT_EQ(TrimText("\xA1\xA1 a\xA1\xA1 "), "a");
    EXPECT_EQ(TrimText("   "), "");
    EXPECT_EQ(TrimText(""), "");
    // B0 20 is one character: its second byte is no space.
    EXPECT_EQ(TrimText("x\xB0 "), "x\xB0 ");
    EXPECT_EQ(TrimText("\xA1\xA1\xA1"), "\xA1");
    EXPECT_EQ(TrimText("x\xA1\xA1\xA1"), "x\xA1\xA1\xA1");

    EXPECT_EQ(RemoveSpaces(" a b\xA1\xA1"
                           "c "),
              "abc");
    EXPECT_EQ(RemoveSpaces("\t\xB0 x"), "\t\xB0 x");
    EXPECT_EQ(RemoveSpaces("a\xA1"), "a\xA1");
    EXPECT_EQ(RemoveSpaces("    "), "");
}

TEST(ReplaceText, Table) {
    struct Case {
        Text text, sought, replacement;
        int start, count;
        bool matchCase;
        Text want;
    } cases[] = {
        {"a,b,c", ",", ";", 1, -1, true, "a;b;c"},
        {"a,b,c", ",", "", 1, -1, true, "abc"},
        {"a,b,c", ",", ";", 1, 1, true, "a;b,c"},
        {"a,b,c", ",", ";", 3, -1, true, "a,b;c"},
        {"a,b,c", ",", ";", 1, 0, true, "a,b,c"},
        {"a,b,c", ",", ";", 1, -7, true, "a;b;c"},
        {"a,b,c", ",", ";", kMin, kMax, true, "a;b;c"},
        {"a,b,c", ",", ";", 5, -1, true, "a,b,c"},
        {"a,b,c", ",", ";", 6, -1, true, "a,b,c"},
        {"a,b,c", ",", ";", kMax, -1, true, "a,b,c"},
        {"a,b,c", "", ";", 1, -1, true, "a,b,c"},
        {"", ",", ";", 1, -1, true, ""},
        {"aaa", "a", "aa", 1, -1, true, "aaaaaa"},  // inserted text is not searched again
        {"aaa", "aa", "x", 1, -1, true, "xa"},
        {"AbAB", "ab", "-", 1, -1, false, "--"},
        {"AbAB", "ab", "-", 1, -1, true, "AbAB"},
        {"\x81"
         "AA",
         "A", "x", 1, -1, true,
         "\x81"
         "Ax"},
        {"a\x81", "\x81", "x", 1, -1, true, "ax"},
        {"\r\n\r\n", "\r\n", "{$}", 1, -1, true, "{$}{$}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, c.matchCase),
                  c.want)
            << c.text << " / " << c.sought;
    }
}

TEST(SplitText, Table) {
    struct Case {
        Text text, delimiter;
        std::optional<int> maxPieces;
        TextArray want;
    } cases[] = {
        {"a;;b", ";", std::nullopt, {"a", "", "b"}},
        {";a", ";", std::nullopt, {"", "a"}},
        {"a;", ";", std::nullopt, {"a"}},
        {";", ";", std::nullopt, {""}},
        {"a", ";", std::nullopt, {"a"}},
        {"", ";", std::nullopt, {}},
        {"a;b", "", std::nullopt, {"a;b"}},
        {"a;b;c", ";", 2, {"a", "b"}},
        {"a;b;c", ";", 3, {"a", "b", "c"}},
        {"a;b;c", ";", 0, {}},
        {"a;b;c", ";", kMin, {}},
        {"a;b;c", ";", kMax, {"a", "b", "c"}},
        {"k: v\r\nx: y\r\n\r\n", "\r\n", std::nullopt, {"k: v", "x: y", ""}},
        {"\x81;a;b", ";", std::nullopt, {"\x81;a", "b"}},
        {"aXbxc", "x", std::nullopt, {"aXb", "c"}},  // exact case only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitText(c.text, c.delimiter, c.maxPieces), c.want) << c.text;
    }
    EXPECT_EQ(SplitText("a,b"), (TextArray{"a", "b"}));
}

TEST(Conversions, BytesAndNumbers) {
    EXPECT_EQ(BytesToText(Bytes{0x41, 0x00, 0x42}), "A");
    EXPECT_EQ(BytesToText(Bytes{}), "");
    EXPECT_EQ(TextToBytes("A\xD6"), (Bytes{0x41, 0xD6}));
    EXPECT_EQ(BytesLength(Bytes{0, 0, 0}), 3);

    EXPECT_EQ(NumberToText(3.0), "3");
    EXPECT_EQ(NumberToText(0.1), "0.1");
    EXPECT_EQ(NumberToText(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(NumberToText(1e20), "1e+20");
    EXPECT_EQ(NumberToText(-2.5), "-2.5");
    EXPECT_EQ(NumberToText(kMin), "-2147483648");
    EXPECT_EQ(NumberToText(0), "0");
    EXPECT_EQ(NumberToText(Text("x1")), "x1");

    EXPECT_EQ(HexText(7), "7");
    EXPECT_EQ(HexText(10), "A");
    EXPECT_EQ(HexText(255), "FF");
    EXPECT_EQ(HexText(0), "0");
    EXPECT_EQ(HexText(-1), "FFFFFFFF");
    EXPECT_EQ(HexText(kMin), "80000000");

    static_assert(BitOr(1, 2) == 3);
    static_assert(BitOr(1, 2, 4, 8) == 15);
}

TEST(Blanks, FilledValuesAndByteSlices) {
    EXPECT_EQ(BlankText(3), "   ");
    EXPECT_EQ(BlankText(0), "");
    EXPECT_EQ(BlankText(kMin), "");
    EXPECT_EQ(BlankBytes(2), (Bytes{0, 0}));
    EXPECT_EQ(BlankBytes(-1), Bytes{});
    const Bytes b{1, 0, 2};
    EXPECT_EQ(BytesLeft(b, 2), (Bytes{1, 0}));
    EXPECT_EQ(BytesLeft(b, kMax), b);
    EXPECT_EQ(BytesLeft(b, kMin), Bytes{});
}

TEST(ReplaceBytes, ExactAtEveryOffset) {
    const Bytes b{0x81, 0x41, 0x00, 0x41};
    // No character stepping: the 41 after 81 matches.
    EXPECT_EQ(ReplaceBytes(b, {0x41}, Bytes{0x42}), (Bytes{0x81, 0x42, 0x00, 0x42}));
    EXPECT_EQ(ReplaceBytes(b, {0x41}), (Bytes{0x81, 0x00}));
    EXPECT_EQ(ReplaceBytes(b, {0x00, 0x41}, Bytes{}), (Bytes{0x81, 0x41}));
    EXPECT_EQ(ReplaceBytes(b, {0x41}, Bytes{9, 9}, 3, 1), (Bytes{0x81, 0x41, 0x00, 9, 9}));
    EXPECT_EQ(ReplaceBytes(b, {0x61}, Bytes{1}), b);  // no case folding
    EXPECT_EQ(ReplaceBytes(b, {}, Bytes{1}), b);
    EXPECT_EQ(ReplaceBytes(b, {0x41}, Bytes{1}, kMax, kMax), b);
    EXPECT_EQ(ReplaceBytes({}, {0x41}, Bytes{1}), Bytes{});
}

// Random bytes weighted towards lead bytes, blanks and separators, with extreme numbers: every
// operation returns, and finds land on real occurrences.
TEST(Primitives, TotalOverHostileInput) {
    std::mt19937 rng(20240521);
    const unsigned char alphabet[] = {0x81, 0xA1, 0xA3, 0xB1, 0xFF, 0x80, ' ',  ',',  ';', 'a',
                                      'A',  '-',  '1',  '\r', '\n', '\\', 0xAF, 0xD6, 0xD0};
    const int numbers[] = {kMin, kMin + 1, -1, 0, 1, 2, 3, 7, kMax - 1, kMax};
    auto randomText = [&](std::size_t maxLen) {
        Text t(rng() % (maxLen + 1), ' ');
        for (char& c : t) {
            c = static_cast<char>(alphabet[rng() % sizeof alphabet]);
        }
        return t;
    };
    auto number = [&] { return numbers[rng() % std::size(numbers)]; };
    for (int round = 0; round < 3000; ++round) {
        const Text t = randomText(12);
        const Text s = randomText(2);
        const int a = number();
        const int n = number();
        const bool fold = rng() % 2 == 0;

        const int at = FindText(t, s, a, fold);
        if (at != -1 && !s.empty()) {
            ASSERT_GE(at, 1);
            ASSERT_LE(at + TextLength(s) - 1, TextLength(t));
        }
        const int last =
            FindTextReverse(t, s, rng() % 2 ? std::optional<int>(a) : std::nullopt, fold);
        ASSERT_TRUE(last == -1 || (last >= 1 && last + TextLength(s) - 1 <= TextLength(t)));
        ASSERT_LE(TextLeft(t, n).size(), t.size());
        ASSERT_LE(TextRight(t, n).size(), t.size());
        ASSERT_LE(TextMid(t, a, n).size(), t.size());
        ASSERT_EQ(LowerCase(t).size(), t.size());
        TextToInt(t);
        ASSERT_LE(TrimText(t).size(), t.size());
        ASSERT_LE(RemoveSpaces(t).size(), t.size());
        ReplaceText(t, s, randomText(3), a, n, !fold);
        ASSERT_LE(SplitText(t, s, rng() % 2 ? std::optional<int>(n) : std::nullopt).size(),
                  t.size() + 1);
        ReplaceBytes(TextToBytes(t), TextToBytes(s), TextToBytes(randomText(2)), a, n);
    }
}

}  // namespace
}  // namespace tovik
