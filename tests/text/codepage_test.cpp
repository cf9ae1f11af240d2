// Code-page conversion: the known byte forms, sizing of the UTF-16 buffer, bad input, and
// callers on several threads at once (per-thread iconv handles, shared lookup tables).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "text/text.h"

namespace tovik {
namespace {

Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

TEST(AnsiToUtf8, KnownForms) {
    struct Case {
        Text in, out;
    } cases[] = {
        {"", ""},
        {"abc 123 ~!", "abc 123 ~!"},
        {"\xD6\xD0", "\xE4\xB8\xAD"},                      // one Chinese character
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // two
        {"\x80", "\xE2\x82\xAC"},                          // the euro sign of code page 936
        {"\xA1\xAF", "\xE2\x80\x99"},                      // right single quotation mark
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToUtf8(c.in), c.out) << c.in;
    }
}

TEST(AnsiToUtf8, LongChineseTextFitsTheRoom) {
    Text in;
    Text expected;
    for (int i = 0; i < 5000; ++i) {
        in += "\xD6\xD0";
        expected += "\xE4\xB8\xAD";
    }
    EXPECT_EQ(AnsiToUtf8(in), expected);
}

TEST(AnsiToWide, SizedInTheAnsiCodePageWithZeroTerminator) {
    EXPECT_EQ(AnsiToWide(""), B({0, 0}));
    EXPECT_EQ(AnsiToWide("A"), B({0x41, 0, 0, 0}));
    EXPECT_EQ(AnsiToWide("\xD6\xD0", 936), B({0x2D, 0x4E, 0, 0}));
    // UTF-8 source sized as code page 936: E4 B8 is one character there, AD a lone byte, so
    // three units of room for one converted unit; the rest stays zero.
    EXPECT_EQ(AnsiToWide("\xE4\xB8\xAD"), B({0x2D, 0x4E, 0, 0, 0, 0}));
    EXPECT_EQ(AnsiToWide("\xE4\xB8\xAD", 65001), AnsiToWide("\xE4\xB8\xAD"));
}

TEST(AnsiToWide, OtherCodePagesThroughIconv) {
    EXPECT_EQ(AnsiToWide("\xE9", 1252), B({0xE9, 0, 0, 0}));        // e acute
    EXPECT_EQ(AnsiToWide("\x82\xA0", 932), B({0x42, 0x30, 0, 0}));  // hiragana a
    EXPECT_EQ(AnsiToWide("\xD6\xD0", 0), AnsiToWide("\xD6\xD0", 936));
}

TEST(AnsiToWide, UnknownCodePageConvertsNothing) {
    EXPECT_EQ(AnsiToWide("AB", 12345), B({0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(AnsiToWide("AB", -1), B({0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(WideToAnsi(AnsiToWide("AB", 936), 12345), "");
}

TEST(AnsiToWide, StopsAtAZeroByte) {
    EXPECT_EQ(AnsiToWide(Text("A\0B", 3), 936), B({0x41, 0, 0, 0}));
}

TEST(AnsiToWide, ConvertedFormLongerThanTheRoomIsKeptWhole) {
    // Sized in 936: C3 A9 C3 A9 is two characters, three units with the terminator. Read as
    // code page 1252 it is four characters, which would overflow that room.
    EXPECT_EQ(AnsiToWide("\xC3\xA9\xC3\xA9", 1252), B({0xC3, 0, 0xA9, 0, 0xC3, 0, 0xA9, 0, 0, 0}));
}

TEST(WideToAnsi, KnownForms) {
    EXPECT_EQ(WideToAnsi(B({0x41, 0, 0, 0})), "A");
    EXPECT_EQ(WideToAnsi({}), "");
    EXPECT_EQ(WideToAnsi(B({0, 0})), "");
    EXPECT_EQ(WideToAnsi(B({0x2D, 0x4E, 0x87, 0x65, 0, 0})), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(WideToAnsi(B({0x2D, 0x4E, 0, 0}), 65001), "\xE4\xB8\xAD");
    // Read up to the zero unit only.
    EXPECT_EQ(WideToAnsi(B({0x41, 0, 0, 0, 0x42, 0})), "A");
    // No terminator: every whole unit; an odd last byte is not a unit.
    EXPECT_EQ(WideToAnsi(B({0x41, 0, 0x42, 0, 0x43})), "AB");
}

TEST(WideToAnsi, UnrepresentableAndBrokenUnitsBecomeDefaults) {
    // Hangul is not in code page 936; an emoji pair counts as one character.
    EXPECT_EQ(WideToAnsi(B({0x00, 0xAC, 0x41, 0, 0x3D, 0xD8, 0x00, 0xDE, 0x42, 0})), "?A?B");
    // Unpaired surrogates.
    EXPECT_EQ(WideToAnsi(B({0x00, 0xD8, 0x41, 0, 0x00, 0xDC})), "?A?");
    EXPECT_EQ(WideToAnsi(B({0x00, 0xD8, 0x41, 0}), 65001),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(WideToAnsi(B({0x3D, 0xD8, 0x00, 0xDE}), 65001), "\xF0\x9F\x98\x80");
}

TEST(WideToAnsi, FormLongerThanTheRoomIsKeptWhole) {
    // Two Hangul syllables: three bytes of room in code page 936 ("??" and the terminator),
    // doubled to six, while UTF-8 needs seven.
    EXPECT_EQ(WideToAnsi(B({0x00, 0xAC, 0x00, 0xAC, 0, 0}), 65001), "\xEA\xB0\x80\xEA\xB0\x80");
}

TEST(AnsiToUtf8, InvalidBytesBecomeDefaultsAndTheRestSurvives) {
    struct Case {
        Text in, out;
    } cases[] = {
        {"\xFF", "?"},
        {"\xFF\xFF\xFF", "???"},
        {"a\x81", "a?"},      // lone lead byte at the end
        {"\x81\"b", "?\"b"},  // a lead byte never swallows the ASCII after it
        {"\xD6\xD0\xFF\xD6\xD0", "\xE4\xB8\xAD?\xE4\xB8\xAD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToUtf8(c.in), c.out) << c.in;
    }
    EXPECT_EQ(AnsiToWide("\xFF\x41"), B({0xFD, 0xFF, 0x41, 0, 0, 0}));
}

TEST(Concurrent, CodePageCallersGetTheirOwnResults) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                Text in = (t % 2 == 0) ? "\xD6\xD0" : "\xCE\xC4\xFF";
                Text want = (t % 2 == 0) ? "\xE4\xB8\xAD" : "\xE6\x96\x87?";
                if (AnsiToUtf8(in) != want || UnescapeUnicode("\\u4e2d'") != "\xD6\xD0'") {
                    ++failures[t];
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace tovik
