// Private to text/: the one place iconv is driven. Handles are opened once per thread and
// encoding pair and reused, so a conversion per page costs no iconv_open.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovik::detail {

// The iconv name for a code page number: 0 and 936 are "CP936", 65001 is "UTF-8", others "CP<n>".
std::string CodePageName(int codePage);

// How a byte sequence the converter rejects is carried over instead of stopping: `replacement`
// (already in the target encoding) is written and the input moves on by `unit` bytes, or by a
// whole surrogate pair when the input is UTF-16 and the rejected character is one.
struct BadInput {
    std::string_view replacement;
    std::size_t unit = 1;
};

// Appends the conversion of `in` to `out`. False, with `out` untouched, when iconv knows neither
// name pair; it never stops part way for bad input.
bool IconvAppend(const std::string& from, const std::string& to, std::string_view in,
                 const BadInput& bad, std::string& out);

// Converts the whole of `in` into `out` (at most `room` bytes) with no replacement: the length
// written, or -1 when iconv rejects any of it or does not know the pair. For table building,
// where one character goes at a time.
long IconvExact(const std::string& from, const std::string& to, std::string_view in, char* out,
                std::size_t room);

}  // namespace tovik::detail
