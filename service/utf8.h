// UTF-8 helpers of the index service: strict decoding, the folding and word splitting that
// search uses on both titles and keywords, and percent-encoding in both directions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovik::service {

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Decodes the code point at text[pos] and advances pos; nullopt (pos moved one byte) when the
// bytes there are not well-formed.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t cp);

// Full-width ASCII to half-width, the ideographic space to a space, and simple lower-casing.
char32_t FoldCodePoint(char32_t cp);
std::string FoldText(std::string_view text);

// Search tokens: runs of letters and digits form words; every character of a script written
// without spaces (CJK, kana, Thai and the like) is a token of its own, so a phrase of such
// tokens matches any substring of a title. Punctuation and symbols separate tokens.
std::vector<std::string> Tokenize(std::string_view text);

// Form-value decoding: "+" is a space, "%" must be followed by two hex digits.
std::optional<std::string> PercentDecode(std::string_view text);

// Everything but ASCII letters, digits and "-._~" as %XX with upper-case digits.
std::string PercentEncode(std::string_view bytes);

}  // namespace tovik::service
