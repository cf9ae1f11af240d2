// Code-page conversion between narrow text (code page 936 and others), UTF-16LE and UTF-8,
// over glibc iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "text/iconv_convert.h"
#include "text/text.h"

namespace tovik {
namespace detail {
namespace {

template <auto Fn>
struct Free {
    void operator()(auto* p) const { Fn(p); }
};
using IconvPtr = std::unique_ptr<void, Free<iconv_close>>;

const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);

// One handle per encoding pair and thread: iconv_t carries shift state, so it is never shared
// across threads, and reusing it keeps the per-page cost down to a state reset.
iconv_t CachedHandle(const std::string& from, const std::string& to) {
    struct Entry {
        std::string from, to;
        IconvPtr handle;  // null: iconv does not know the pair
    };
    thread_local std::vector<Entry> cache;
    for (const Entry& entry : cache) {
        if (entry.from == from && entry.to == to) {
            return entry.handle ? entry.handle.get() : kNoHandle;
        }
    }
    // Callers may name arbitrary code pages; keep the cache from growing without bound.
    if (cache.size() >= 32) {
        cache.clear();
    }
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    IconvPtr handle(cd == kNoHandle ? nullptr : cd);
    cache.push_back({from, to, std::move(handle)});
    return cd;
}

bool IsHighSurrogate(const char* p) {
    auto hi = static_cast<unsigned char>(p[1]);
    return hi >= 0xD8 && hi <= 0xDB;
}
bool IsLowSurrogate(const char* p) {
    auto hi = static_cast<unsigned char>(p[1]);
    return hi >= 0xDC && hi <= 0xDF;
}

}  // namespace

std::string CodePageName(int codePage) {
    if (codePage == 0 || codePage == 936) {
        return "CP936";
    }
    if (codePage == 65001) {
        return "UTF-8";
    }
    return "CP" + std::to_string(codePage);
}

bool IconvAppend(const std::string& from, const std::string& to, std::string_view in,
                 const BadInput& bad, std::string& out) {
    iconv_t cd = CachedHandle(from, to);
    if (cd == kNoHandle) {
        return false;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);

    const std::size_t unit = bad.unit == 0 ? 1 : bad.unit;
    const std::size_t base = out.size();
    // Room for the common cases (ASCII to UTF-16, two-byte characters to UTF-8) in one pass.
    std::size_t used = base;
    out.resize(base + in.size() * 2 + 16);

    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    bool flushing = false;
    for (;;) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        std::size_t rc = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                  : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
        used = static_cast<std::size_t>(outPtr - out.data());
        if (error == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        if (flushing) {
            break;
        }
        if (error == EILSEQ || error == EINVAL) {
            // EINVAL is an incomplete sequence at the end of the input.
            std::size_t skip = unit;
            if (unit == 2 && inLeft >= 4 && IsHighSurrogate(inPtr) && IsLowSurrogate(inPtr + 2)) {
                skip = 4;
            }
            skip = std::min(skip, inLeft);
            inPtr += skip;
            inLeft -= skip;
            if (out.size() - used < bad.replacement.size()) {
                out.resize(out.size() * 2 + bad.replacement.size());
            }
            std::memcpy(out.data() + used, bad.replacement.data(), bad.replacement.size());
            used += bad.replacement.size();
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        if (error != 0) {
            // Not expected from glibc; keep what was converted and stop.
            break;
        }
        if (inLeft == 0) {
            flushing = true;  // write any closing shift sequence of a stateful target
        }
    }
    out.resize(used);
    return true;
}

long IconvExact(const std::string& from, const std::string& to, std::string_view in, char* out,
                std::size_t room) {
    iconv_t cd = CachedHandle(from, to);
    if (cd == kNoHandle) {
        return -1;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out;
    std::size_t outLeft = room;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 ||
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return -1;
    }
    return outPtr - out;
}

}  // namespace detail

namespace {

const std::string kWide = "UTF-16LE";

// Undecodable input: U+FFFD from UTF-8, as the platform does; the code page's default
// character "?" from the others. One per rejected byte, so following ASCII survives.
detail::BadInput DecodeBadInput(const std::string& from) {
    static constexpr char kReplacementChar[] = {'\xFD', '\xFF'};
    static constexpr char kQuestionMark[] = {'?', '\0'};
    return {from == "UTF-8" ? std::string_view(kReplacementChar, 2)
                            : std::string_view(kQuestionMark, 2),
            1};
}

// Characters the target cannot hold: U+FFFD in UTF-8 (only unpaired surrogates reach it), "?"
// elsewhere. One per character, a surrogate pair counting as one.
detail::BadInput EncodeBadInput(const std::string& to) {
    return {to == "UTF-8" ? std::string_view("\xEF\xBF\xBD") : std::string_view("?"), 2};
}

// The text as the conversion calls see it: up to its first zero byte.
std::string_view UpToNul(const Text& text) {
    return std::string_view(text.data(), std::strlen(text.c_str()));
}

}  // namespace

Bytes AnsiToWide(const Text& text, int codePage) {
    const std::string_view in = UpToNul(text);
    const std::string ansi = detail::CodePageName(0);

    // Sizing is always done in the system's ANSI code page, whatever code page converts.
    std::string sized;
    detail::IconvAppend(ansi, kWide, in, DecodeBadInput(ansi), sized);
    const std::size_t room = sized.size() + 2;  // terminator unit included

    const std::string from = detail::CodePageName(codePage);
    std::string converted;
    if (from == ansi) {
        converted = std::move(sized);
    } else if (!detail::IconvAppend(from, kWide, in, DecodeBadInput(from), converted)) {
        // An unknown code page converts nothing: the zero-filled room, an empty UTF-16 text.
        return Bytes(room, 0);
    }
    // When the converted form outgrows the ANSI-sized room the whole of it is kept rather than
    // failing or cutting it short; otherwise units past it stay zero, as sized.
    Bytes wide(std::max(room, converted.size() + 2), 0);
    std::memcpy(wide.data(), converted.data(), converted.size());
    return wide;
}

Text WideToAnsi(const Bytes& wide, int codePage) {
    // Read up to the zero unit, or every whole unit when there is none.
    std::size_t units = 0;
    const std::size_t total = wide.size() / 2;
    while (units < total && (wide[2 * units] != 0 || wide[2 * units + 1] != 0)) {
        ++units;
    }
    // The ANSI sizing step only bounds the room; the result is cut at its first zero byte
    // anyway, so it is skipped, and a form longer than that room is returned whole.
    const std::string to = detail::CodePageName(codePage);
    Text out;
    detail::IconvAppend(kWide, to,
                        std::string_view(reinterpret_cast<const char*>(wide.data()), units * 2),
                        EncodeBadInput(to), out);
    out.resize(std::strlen(out.c_str()));
    return out;
}

Text AnsiToUtf8(const Text& text) {
    return WideToAnsi(AnsiToWide(text, 936), 65001);
}

}  // namespace tovik
