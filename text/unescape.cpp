// Decoding of service replies: \uXXXX escapes (and %XX, %uXXXX) to code page 936 text. The
// reply is read as the body of a single-quoted script string literal and passed through the
// script `unescape` function, done here directly: mask, decode to UTF-16, literal escapes,
// unescape, encode to code page 936, unmask.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "text/iconv_convert.h"
#include "text/text.h"

namespace tovik {
namespace {

// Code page 936 <-> UTF-16 as lookup tables, filled once from the same iconv conversion that
// AnsiToWide and WideToAnsi use, so both paths treat every byte and unit alike. A reply of
// several MB then costs a table lookup per non-ASCII character instead of iconv calls.
class Cp936Tables {
  public:
    static const Cp936Tables& Get() {
        static const Cp936Tables tables;
        return tables;
    }

    // The unit a byte stands for on its own; 0 when it needs a partner or is not valid.
    std::uint16_t Single(unsigned char byte) const { return single_[byte]; }
    // The unit of a two-byte character; 0 when the pair is not valid.
    std::uint16_t Pair(unsigned char lead, unsigned char trail) const {
        return lead < 0x81 || lead > 0xFE ? 0 : pair_[(lead - 0x81) * 256 + trail];
    }
    // Code page 936 form of a BMP unit: below 0x100 one byte, else lead << 8 | trail; 0 when
    // the code page cannot hold it.
    std::uint16_t Encode(std::uint16_t unit) const { return encode_[unit]; }

  private:
    Cp936Tables() : single_{}, pair_(126 * 256, 0), encode_(65536, 0) {
        const std::string ansi = detail::CodePageName(936);
        const std::string wide = "UTF-16LE";
        // One character at a time: iconv finds the failing position of a long input by
        // converting again, which made bulk runs with many misses far slower.
        auto decode = [&](const char* in, std::size_t size) -> std::uint16_t {
            char out[8];
            if (detail::IconvExact(ansi, wide, std::string_view(in, size), out, sizeof out) != 2) {
                return 0;
            }
            return static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) |
                                              static_cast<unsigned char>(out[1]) << 8);
        };
        for (int b = 1; b < 256; ++b) {
            const char c = static_cast<char>(b);
            single_[static_cast<std::size_t>(b)] = decode(&c, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                pair_[static_cast<std::size_t>((lead - 0x81) * 256 + trail)] = decode(in, 2);
            }
        }
        // Surrogates stay 0: alone or paired, the code page holds none.
        for (unsigned u = 1; u < 65536; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF) {
                continue;
            }
            const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
            char out[8];
            const long size =
                detail::IconvExact(wide, ansi, std::string_view(in, 2), out, sizeof out);
            if (size == 1) {
                encode_[u] = static_cast<unsigned char>(out[0]);
            } else if (size == 2) {
                encode_[u] = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                                        static_cast<unsigned char>(out[1]));
            }
        }
    }

    std::array<std::uint16_t, 256> single_;
    std::vector<std::uint16_t> pair_;
    std::vector<std::uint16_t> encode_;
};

// Scratch buffers reused from call to call on the same thread: a reply of several MB would
// otherwise cost fresh pages, and their faults, on every page of a search.
struct Scratch {
    std::vector<char> masked;
    std::vector<std::uint16_t> units;
    std::vector<char> encoded;

    template <typename T>
    static T* Room(std::vector<T>& buffer, std::size_t size) {
        if (buffer.size() < size) {
            buffer.resize(size);
        }
        return buffer.data();
    }
    // A thread that once decoded a huge text does not keep that much memory for good.
    void Trim() {
        constexpr std::size_t kKeep = 16u << 20;
        if (masked.size() > kKeep || units.size() > kKeep / 2 || encoded.size() > kKeep) {
            *this = Scratch();
        }
    }
};

// Bytes the masking step has a rule for, or that start a two-byte character.
struct MaskClass {
    bool special[256] = {};
    constexpr MaskClass() {
        special[static_cast<unsigned char>('\r')] = true;
        special[static_cast<unsigned char>('\\')] = true;
        special[static_cast<unsigned char>('\'')] = true;
        for (int b = 0x80; b < 256; ++b) {
            special[b] = true;
        }
    }
};
constexpr MaskClass kMaskClass;

// Line breaks and apostrophes cannot stand inside the single-quoted literal: CR LF becomes
// "{$}", "'" becomes A1 AF, a leading lone CR is dropped, and "\u" becomes "%u" so that
// `unescape` rather than the literal decodes it. Steps by characters: a byte of 0x80 or above
// takes the next byte with it, and a lead byte that ends the text is a one-byte character of
// its own. Writes at most 2n bytes; returns the count.
std::size_t Mask(const char* text, std::size_t n, char* out) {
    char* w = out;
    std::size_t i = 0;
    if (n > 0 && text[0] == '\r' && !(n > 1 && text[1] == '\n')) {
        i = 1;
    }
    while (i < n) {
        const char c = text[i];
        if (!kMaskClass.special[static_cast<unsigned char>(c)]) {
            *w++ = c;
            ++i;
            continue;
        }
        const char next = i + 1 < n ? text[i + 1] : '\0';
        if (c == '\r' && next == '\n') {
            *w++ = '{';
            *w++ = '$';
            *w++ = '}';
            i += 2;
        } else if (c == '\\' && next == 'u') {
            *w++ = '%';
            *w++ = 'u';
            i += 2;
        } else if (c == '\'') {
            *w++ = '\xA1';
            *w++ = '\xAF';
            i += 1;
        } else if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < n) {
            *w++ = c;
            *w++ = next;
            i += 2;
        } else {
            *w++ = c;
            ++i;
        }
    }
    return static_cast<std::size_t>(w - out);
}

// Code page 936 to UTF-16 as the conversion calls do it: a byte that starts no valid
// character becomes "?" and decoding goes on at the next byte. Writes at most n units; -1
// when a line feed or carriage return appears, as the literal would then be broken.
long Decode(const char* r, std::size_t n, std::uint16_t* out) {
    const Cp936Tables& tables = Cp936Tables::Get();
    std::uint16_t* w = out;
    for (std::size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(r[i]);
        if (b < 0x80) {
            if (b == '\n' || b == '\r') {
                return -1;
            }
            *w++ = b;
            ++i;
            continue;
        }
        std::uint16_t u = tables.Single(b);
        if (u != 0) {
            ++i;
        } else if (i + 1 < n && (u = tables.Pair(b, static_cast<unsigned char>(r[i + 1]))) != 0) {
            i += 2;
        } else {
            u = '?';
            ++i;
        }
        *w++ = u;
    }
    return w - out;
}

int HexValue(std::uint16_t c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The value of `count` hexadecimal digits at u[i], or -1 when they are not all there.
long HexAt(const std::uint16_t* u, std::size_t i, std::size_t end, int count) {
    if (i > end || end - i < static_cast<std::size_t>(count)) {
        return -1;
    }
    long value = 0;
    for (int k = 0; k < count; ++k) {
        const int digit = HexValue(u[i + static_cast<std::size_t>(k)]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

bool IsOctal(std::uint16_t c) {
    return c >= '0' && c <= '7';
}

// The units as the body of a single-quoted string literal, decoded in place; the new count,
// or -1 when the literal is not valid: an unescaped "'" ends it early, a trailing backslash
// escapes the closing quote. \x and \u without their full hexadecimal digits stand for the
// letter, and \8 and \9 for the digit, as script engines accept them.
long EvaluateLiteral(std::uint16_t* u, std::size_t n) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < n;) {
        const std::uint16_t c = u[i];
        if (c != '\\' && c != '\'') {
            u[w++] = c;
            ++i;
            continue;
        }
        if (c == '\'' || i + 1 >= n) {
            return -1;
        }
        const std::uint16_t e = u[i + 1];
        i += 2;
        std::uint16_t out = e;
        switch (e) {
            case 'b':
                out = 0x08;
                break;
            case 't':
                out = 0x09;
                break;
            case 'n':
                out = 0x0A;
                break;
            case 'v':
                out = 0x0B;
                break;
            case 'f':
                out = 0x0C;
                break;
            case 'r':
                out = 0x0D;
                break;
            case 'x':
            case 'u': {
                const int digits = e == 'x' ? 2 : 4;
                const long value = HexAt(u, i, n, digits);
                if (value >= 0) {
                    out = static_cast<std::uint16_t>(value);
                    i += static_cast<std::size_t>(digits);
                }
                break;
            }
            default:
                if (IsOctal(e)) {
                    // Up to three digits from 0-3, up to two from 4-7.
                    unsigned value = e - '0';
                    const std::size_t maxMore = e <= '3' ? 2 : 1;
                    for (std::size_t k = 0; k < maxMore && i < n && IsOctal(u[i]); ++k) {
                        value = value * 8 + (u[i] - '0');
                        ++i;
                    }
                    out = static_cast<std::uint16_t>(value);
                }
                break;
        }
        u[w++] = out;
    }
    return static_cast<long>(w);
}

// The script `unescape`, in place: "%uXXXX" and "%XX" become the unit they name. Returns
// the new count.
std::size_t Unescape(std::uint16_t* u, std::size_t n) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < n;) {
        const std::uint16_t c = u[i];
        if (c == '%') {
            long value = -1;
            if (i + 1 < n && u[i + 1] == 'u' && (value = HexAt(u, i + 2, n, 4)) >= 0) {
                u[w++] = static_cast<std::uint16_t>(value);
                i += 6;
                continue;
            }
            if ((value = HexAt(u, i + 1, n, 2)) >= 0) {
                u[w++] = static_cast<std::uint16_t>(value);
                i += 3;
                continue;
            }
        }
        u[w++] = c;
        ++i;
    }
    return w;
}

bool IsHigh(std::uint16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(std::uint16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// UTF-16 to code page 936, ending before the first U+0000. What the code page cannot hold
// becomes "?", a surrogate pair counting as one character. Writes at most 2n bytes.
std::size_t Encode(const std::uint16_t* u, std::size_t n, char* out) {
    const Cp936Tables& tables = Cp936Tables::Get();
    char* w = out;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t c = u[i];
        if (c < 0x80) {
            if (c == 0) {
                break;
            }
            *w++ = static_cast<char>(c);
            continue;
        }
        if (IsHigh(c) && i + 1 < n && IsLow(u[i + 1])) {
            ++i;
        }
        const std::uint16_t code = tables.Encode(c);
        if (code == 0) {
            *w++ = '?';
        } else if (code < 0x100) {
            *w++ = static_cast<char>(code);
        } else {
            *w++ = static_cast<char>(code >> 8);
            *w++ = static_cast<char>(code & 0xFF);
        }
    }
    return static_cast<std::size_t>(w - out);
}

// The masks undone in place, stepping by characters: A1 AF back to "'", "{$}" back to CR LF.
// Both shrink, so writing never overtakes reading. Returns the new count.
std::size_t Unmask(char* d, std::size_t n) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < n;) {
        const char c = d[i];
        if (c == '\xA1' && i + 1 < n && d[i + 1] == '\xAF') {
            d[w++] = '\'';
            i += 2;
        } else if (c == '{' && i + 2 < n && d[i + 1] == '$' && d[i + 2] == '}') {
            d[w++] = '\r';
            d[w++] = '\n';
            i += 3;
        } else if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < n) {
            d[w++] = c;
            d[w++] = d[i + 1];
            i += 2;
        } else {
            d[w++] = c;
            ++i;
        }
    }
    return w;
}

}  // namespace

Text UnescapeUnicode(const Text& text) {
    thread_local Scratch scratch;
    // A Text ends at its first zero byte.
    const std::size_t n = std::strlen(text.c_str());

    char* masked = Scratch::Room(scratch.masked, 2 * n);
    const std::size_t maskedSize = Mask(text.c_str(), n, masked);
    std::uint16_t* units = Scratch::Room(scratch.units, maskedSize);
    long count = Decode(masked, maskedSize, units);
    if (count >= 0) {
        count = EvaluateLiteral(units, static_cast<std::size_t>(count));
    }
    Text result;
    if (count >= 0) {
        const std::size_t unescaped = Unescape(units, static_cast<std::size_t>(count));
        char* encoded = Scratch::Room(scratch.encoded, 2 * unescaped);
        const std::size_t size = Unmask(encoded, Encode(units, unescaped, encoded));
        if (size > 0) {
            result.assign(encoded, size);
        }
    }
    scratch.Trim();
    return result;
}

}  // namespace tovik
