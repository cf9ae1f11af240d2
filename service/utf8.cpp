// UTF-8 decoding, folding, tokenizing and percent-encoding for the index service.
#include "service/utf8.h"

namespace tovik::service {

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return std::nullopt;
    }
    if (pos + static_cast<std::size_t>(extra) >= text.size()) {
        ++pos;
        return std::nullopt;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char b = byte(pos + static_cast<std::size_t>(i));
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return std::nullopt;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return std::nullopt;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (!NextCodePoint(text, pos)) {
            return false;
        }
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    auto put = [&](unsigned v) { out.push_back(static_cast<char>(v)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

char32_t FoldCodePoint(char32_t cp) {
    if (cp >= 0xFF01 && cp <= 0xFF5E) {
        cp = cp - 0xFF01 + 0x21;
    } else if (cp == 0x3000) {
        return U' ';
    }
    if (cp >= U'A' && cp <= U'Z') {
        return cp + 0x20;
    }
    if (cp < 0xC0) {
        return cp;
    }
    if (cp <= 0xDE && cp != 0xD7) {  // Latin-1 capitals
        return cp + 0x20;
    }
    if (cp >= 0x100 && cp <= 0x17F) {  // Latin Extended-A pairs, capital first
        if (cp == 0x130 || cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F) {
            return cp == 0x130 ? U'i' : cp;
        }
        if (cp == 0x178) {
            return 0xFF;
        }
        const bool oddCapitals = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
        return ((cp & 1) == (oddCapitals ? 1u : 0u)) ? cp + 1 : cp;
    }
    if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) {  // Greek
        return cp + 0x20;
    }
    if (cp >= 0x410 && cp <= 0x42F) {  // Cyrillic
        return cp + 0x20;
    }
    if (cp >= 0x400 && cp <= 0x40F) {
        return cp + 0x50;
    }
    return cp;
}

std::string FoldText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (auto cp = NextCodePoint(text, pos)) {
            AppendUtf8(out, FoldCodePoint(*cp));
        }
    }
    return out;
}

namespace {

enum class Kind { Separator, Word, Single };

Kind Classify(char32_t cp) {
    if (cp < 0x80) {
        const bool alnum =
            (cp >= U'0' && cp <= U'9') || (cp >= U'a' && cp <= U'z') || (cp >= U'A' && cp <= U'Z');
        return alnum ? Kind::Word : Kind::Separator;
    }
    // Scripts written without spaces between words.
    if ((cp >= 0x0E00 && cp <= 0x0EFF) || (cp >= 0x1000 && cp <= 0x109F) ||
        (cp >= 0x1780 && cp <= 0x17FF) || (cp >= 0x2E80 && cp <= 0x2FDF) ||
        (cp >= 0x3040 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
        (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
        (cp >= 0xFF66 && cp <= 0xFF9F) || cp >= 0x1F000) {
        return Kind::Single;
    }
    // Latin-1 punctuation, general punctuation, symbols, CJK punctuation, full-width forms.
    if (cp <= 0xBF || cp == 0xD7 || cp == 0xF7 || (cp >= 0x2000 && cp <= 0x2BFF) ||
        (cp >= 0x3000 && cp <= 0x303F) || (cp >= 0xFE10 && cp <= 0xFE6F) ||
        (cp >= 0xFF00 && cp <= 0xFF65) || cp >= 0xFFF0) {
        return Kind::Separator;
    }
    return Kind::Word;
}

}  // namespace

std::vector<std::string> Tokenize(std::string_view text) {
    std::vector<std::string> tokens;
    std::string word;
    auto flush = [&] {
        if (!word.empty()) {
            tokens.push_back(std::move(word));
            word.clear();
        }
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto cp = NextCodePoint(text, pos);
        if (!cp) {
            flush();
            continue;
        }
        const char32_t folded = FoldCodePoint(*cp);
        switch (Classify(folded)) {
            case Kind::Word:
                AppendUtf8(word, folded);
                break;
            case Kind::Single:
                flush();
                AppendUtf8(word, folded);
                flush();
                break;
            case Kind::Separator:
                flush();
                break;
        }
    }
    flush();
    return tokens;
}

namespace {

int HexValue(char c) {
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

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%') {
            if (i + 2 >= text.size()) {
                return std::nullopt;
            }
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0) {
                return std::nullopt;
            }
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool keep = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                          (c >= 'A' && c <= 'Z') || c == '-' || c == '.' || c == '_' || c == '~';
        if (keep) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

}  // namespace tovik::service
