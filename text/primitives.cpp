// Byte-text primitives over code page 936 text: 1-based positions, -1 for not found, and
// character stepping where a byte of 0x80 or above carries the byte after it.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

#include "text/text.h"

namespace tovik {
namespace {

bool IsLead(unsigned char byte) {
    return byte >= 0x80;
}

// Width of the character starting at byte i (i < size). A lead byte that is the last byte of
// the text has no partner: it counts as a one-byte character of its own, so it can be found,
// replaced, kept or dropped like any other character, and no step ever runs past the end.
std::size_t CharWidth(std::string_view text, std::size_t i) {
    return IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

unsigned char FoldAscii(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool MatchesAt(std::string_view text, std::size_t i, std::string_view sought, bool foldCase) {
    if (!foldCase) {
        return std::memcmp(text.data() + i, sought.data(), sought.size()) == 0;
    }
    for (std::size_t k = 0; k < sought.size(); ++k) {
        if (FoldAscii(static_cast<unsigned char>(text[i + k])) !=
            FoldAscii(static_cast<unsigned char>(sought[k]))) {
            return false;
        }
    }
    return true;
}

// Next occurrence of a non-empty `sought` at a character boundary at or after i, where i is
// itself a boundary; npos when none.
std::size_t FindFrom(std::string_view text, std::string_view sought, std::size_t i, bool foldCase) {
    const std::size_t m = sought.size();
    const auto lead = static_cast<unsigned char>(sought[0]);
    const unsigned char first = foldCase ? FoldAscii(lead) : lead;
    while (i + m <= text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        if ((foldCase ? FoldAscii(byte) : byte) == first && MatchesAt(text, i, sought, foldCase)) {
            return i;
        }
        i += CharWidth(text, i);
    }
    return std::string_view::npos;
}

// A blank character at i (a boundary): its width, or 0 when the character is not blank.
std::size_t BlankWidth(std::string_view text, std::size_t i) {
    if (text[i] == ' ') {
        return 1;
    }
    if (text[i] == '\xA1' && i + 1 < text.size() && text[i + 1] == '\xA1') {
        return 2;
    }
    return 0;
}

// Allocation of a caller-chosen size: a size the machine cannot hold gives the empty value.
template <typename T>
T Filled(int n, typename T::value_type value) {
    if (n < 1) {
        return {};
    }
    try {
        return T(static_cast<std::size_t>(n), value);
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
}

// Shared by ReplaceText and ReplaceBytes: `charStep` selects character stepping.
template <typename Seq>
Seq ReplaceImpl(const Seq& text, const Seq& sought, const Seq& replacement, int start, int count,
                bool foldCase, bool charStep) {
    const std::size_t len = text.size();
    const std::size_t m = sought.size();
    const std::int64_t first = std::max<std::int64_t>(start, 1) - 1;
    if (len == 0 || m == 0 || count == 0 || first >= static_cast<std::int64_t>(len)) {
        return text;
    }
    const std::string_view view(reinterpret_cast<const char*>(text.data()), len);
    const std::string_view what(reinterpret_cast<const char*>(sought.data()), m);

    Seq out;
    out.reserve(len);
    auto i = static_cast<std::size_t>(first);
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(i));
    // A negative count, not just -1, replaces every occurrence.
    std::int64_t left = count < 0 ? INT64_MAX : count;
    while (left > 0) {
        std::size_t at;
        if (charStep) {
            at = FindFrom(view, what, i, foldCase);
        } else {
            at = view.find(what, i);
        }
        if (at == std::string_view::npos) {
            break;
        }
        out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(i),
                   text.begin() + static_cast<std::ptrdiff_t>(at));
        out.insert(out.end(), replacement.begin(), replacement.end());
        i = at + m;
        --left;
    }
    out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(i), text.end());
    return out;
}

}  // namespace

int TextLength(const Text& text) {
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

int BytesLength(const Bytes& bytes) {
    return static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
}

Text TextLeft(const Text& text, int n) {
    if (n <= 0) {
        return {};
    }
    return text.substr(0, static_cast<std::size_t>(n));
}

Text TextRight(const Text& text, int n) {
    if (n <= 0) {
        return {};
    }
    const std::size_t take = std::min(text.size(), static_cast<std::size_t>(n));
    return text.substr(text.size() - take);
}

Text TextMid(const Text& text, int start, int n) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) {
        return {};
    }
    return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n));
}

Text CharFromCode(int code) {
    const auto byte = static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
    return byte == 0 ? Text() : Text(1, byte);
}

int FindText(const Text& text, const Text& sought, int start, bool ignoreCase) {
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    const std::size_t at = FindFrom(text, sought, from, ignoreCase);
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start,
                    bool ignoreCase) {
    std::size_t limit = text.size();
    if (start) {
        if (*start <= 1) {
            return -1;
        }
        limit = std::min(limit, static_cast<std::size_t>(*start) - 1);
    }
    // An empty sought has no last occurrence.
    if (sought.empty()) {
        return -1;
    }
    // Occurrences may overlap: the scan moves one character on after a hit, not past it.
    const std::string_view view(text.data(), limit);
    int last = -1;
    std::size_t i = 0;
    for (;;) {
        const std::size_t at = FindFrom(view, sought, i, ignoreCase);
        if (at == std::string_view::npos) {
            return last;
        }
        last = static_cast<int>(at) + 1;
        i = at + CharWidth(text, at);
    }
}

Text LowerCase(const Text& text) {
    Text out = text;
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t width = CharWidth(out, i);
        if (width == 1) {
            out[i] = static_cast<char>(FoldAscii(static_cast<unsigned char>(out[i])));
        }
        i += width;
    }
    return out;
}

std::int32_t TextToInt(const Text& text) {
    // Reads one character as the ASCII byte it stands for: full-width forms A3 A1..A3 FE as
    // 0x21..0x7E, the full-width space as a space, any other two-byte character as 0x80 (a
    // byte that is neither white space, sign nor digit). -1 past the end.
    std::size_t i = 0;
    auto next = [&]() -> int {
        if (i >= text.size()) {
            return -1;
        }
        const std::size_t width = CharWidth(text, i);
        const auto byte = static_cast<unsigned char>(text[i]);
        i += width;
        if (width == 1) {
            return byte;
        }
        const auto second = static_cast<unsigned char>(text[i - 1]);
        if (byte == 0xA3 && second >= 0xA1 && second <= 0xFE) {
            return second - 0x80;
        }
        if (byte == 0xA1 && second == 0xA1) {
            return ' ';
        }
        return 0x80;
    };
    auto isSpace = [](int c) { return c == ' ' || (c >= '\t' && c <= '\r'); };

    int c = next();
    while (isSpace(c)) {
        c = next();
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = next();
    }
    // Two's-complement wrap-around without an overflow check, in unsigned arithmetic.
    std::uint32_t value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
        c = next();
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

Text TrimText(const Text& text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t width = BlankWidth(text, begin);
        if (width == 0) {
            break;
        }
        begin += width;
    }
    // Trailing blanks are found walking forward, so that the second byte of a two-byte
    // character is never taken for a space.
    std::size_t end = begin;
    for (std::size_t i = begin; i < text.size();) {
        const std::size_t blank = BlankWidth(text, i);
        const std::size_t width = blank != 0 ? blank : CharWidth(text, i);
        i += width;
        if (blank == 0) {
            end = i;
        }
    }
    return text.substr(begin, end - begin);
}

Text RemoveSpaces(const Text& text) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t blank = BlankWidth(text, i);
        if (blank != 0) {
            i += blank;
            continue;
        }
        const std::size_t width = CharWidth(text, i);
        out.append(text, i, width);
        i += width;
    }
    return out;
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, int start,
                 int count, bool matchCase) {
    return ReplaceImpl(text, sought, replacement, start, count, !matchCase, true);
}

TextArray SplitText(const Text& text, const Text& delimiter, std::optional<int> maxPieces) {
    if (text.empty() || (maxPieces && *maxPieces <= 0)) {
        return {};
    }
    if (delimiter.empty()) {
        return {text};
    }
    const std::size_t limit = maxPieces ? static_cast<std::size_t>(*maxPieces) : SIZE_MAX;
    TextArray pieces;
    std::size_t i = 0;
    while (pieces.size() < limit) {
        const std::size_t at = FindFrom(text, delimiter, i, false);
        if (at == std::string_view::npos) {
            break;
        }
        pieces.push_back(text.substr(i, at - i));
        i = at + delimiter.size();
    }
    // The rest counts only when it holds bytes and there is room for it; once the limit is
    // reached it is dropped.
    if (i < text.size() && pieces.size() < limit) {
        pieces.push_back(text.substr(i));
    }
    return pieces;
}

Bytes TextToBytes(const Text& text) {
    return Bytes(text.begin(), text.end());
}

Text BytesToText(const Bytes& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return Text(bytes.begin(), end);
}

Text NumberToText(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return buffer;
}

Text NumberToText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return buffer;
}

Text NumberToText(const Text& value) {
    return value;
}

Text HexText(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
    return buffer;
}

Text BlankText(int n) {
    return Filled<Text>(n, ' ');
}

Bytes BlankBytes(int n) {
    return Filled<Bytes>(n, 0);
}

Bytes BytesLeft(const Bytes& bytes, int n) {
    if (n <= 0) {
        return {};
    }
    const std::size_t take = std::min(bytes.size(), static_cast<std::size_t>(n));
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
}

Bytes ReplaceBytes(const Bytes& bytes, const Bytes& sought, const std::optional<Bytes>& replacement,
                   int start, int count) {
    return ReplaceImpl(bytes, sought, replacement.value_or(Bytes{}), start, count, false, false);
}

}  // namespace tovik
