// Percent-encoding of text for form bodies: every byte outside a narrow kept set becomes
// "%" and two upper-case hexadecimal digits.
#include "text/text.h"

namespace tovik {
namespace {

// "-", ".", the digits and the ASCII letters; "_" and "~" are encoded on purpose.
bool IsKept(unsigned char byte) {
    return (byte >= 0x2D && byte <= 0x39 && byte != 0x2F) || (byte >= 0x41 && byte <= 0x5A) ||
           (byte >= 0x61 && byte <= 0x7A);
}

}  // namespace

Text UrlEncode(const Text& text, bool keepUnreserved, bool toUtf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const Text source = toUtf8 ? AnsiToUtf8(text) : text;
    Text out;
    out.reserve(source.size() * 3);
    for (char c : source) {
        const auto byte = static_cast<unsigned char>(c);
        if (keepUnreserved && IsKept(byte)) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

}  // namespace tovik
