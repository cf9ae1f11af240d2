// Text handling: byte text in code page 936, code-page conversion, percent-encoding and the
// decoding of \uXXXX escapes. Plain C++ over the standard library and iconv.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovik {

// Bytes in code page 936; never holds a zero byte by contract.
using Text = std::string;
// Counted bytes that may hold zeros; UTF-16 lives here as little-endian units.
using Bytes = std::vector<std::uint8_t>;
// Counted from 1 in the routines' own numbers, indexed from 0 in C++.
using TextArray = std::vector<Text>;

// --- Text primitives -------------------------------------------------------------------------
// Positions are 1-based byte positions; finds return -1 when nothing is found.

int TextLength(const Text& text);
int BytesLength(const Bytes& bytes);
Text TextLeft(const Text& text, int n);
Text TextRight(const Text& text, int n);
Text TextMid(const Text& text, int start, int n);
Text CharFromCode(int code);

int FindText(const Text& text, const Text& sought, int start, bool ignoreCase);
// start left out: the whole text counts.
int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start,
                    bool ignoreCase);

Text LowerCase(const Text& text);
std::int32_t TextToInt(const Text& text);
Text TrimText(const Text& text);
Text RemoveSpaces(const Text& text);
// count -1: every occurrence.
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, int start,
                 int count, bool matchCase);
TextArray SplitText(const Text& text, const Text& delimiter = ",",
                    std::optional<int> maxPieces = std::nullopt);

Bytes TextToBytes(const Text& text);
Text BytesToText(const Bytes& bytes);

Text NumberToText(int value);
Text NumberToText(double value);
Text NumberToText(const Text& value);
Text HexText(int value);
Text BlankText(int n);
Bytes BlankBytes(int n);
Bytes BytesLeft(const Bytes& bytes, int n);
// replacement left out: each occurrence is deleted.
Bytes ReplaceBytes(const Bytes& bytes, const Bytes& sought,
                   const std::optional<Bytes>& replacement = std::nullopt, int start = 1,
                   int count = -1);

template <typename... Ints>
constexpr int BitOr(int first, int second, Ints... rest) {
    return ((first | second) | ... | static_cast<int>(rest));
}

// --- Code-page conversion --------------------------------------------------------------------
// Code page 0 is the system's ANSI code page (936 here), 65001 is UTF-8.

Bytes AnsiToWide(const Text& text, int codePage = 65001);
Text WideToAnsi(const Bytes& wide, int codePage = 0);
Text AnsiToUtf8(const Text& text);

// --- Percent-encoding ------------------------------------------------------------------------

Text UrlEncode(const Text& text, bool keepUnreserved = false, bool toUtf8 = false);

// --- Escape decoding -------------------------------------------------------------------------

Text UnescapeUnicode(const Text& text);

}  // namespace tovik
