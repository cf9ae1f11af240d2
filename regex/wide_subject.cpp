// Code page 936 to UTF-16 by table. The table is filled once per process from the project's
// own conversion, so both agree on every character; decoding by table is what lets a run map
// unit offsets back to the original bytes cheaply.
#include "regex/wide_subject.h"

#include <array>

#include "text/text.h"

namespace tovik::regex_detail {
namespace {

constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailLast = 0xFE;
constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;
constexpr std::uint16_t kBadUnit = '?';

struct Table {
    // Units of the bytes 0x80..0xFF standing alone; 0 where such a byte is no character.
    std::array<std::uint16_t, 128> single{};
    // Units of the two-byte characters; 0 where the pair is no character.
    std::array<std::uint16_t, (kLeadLast - kLeadFirst + 1) * kTrailCount> pair{};
};

// The one unit `text` converts to, or 0 when it is not exactly one character.
std::uint16_t OneUnit(const Text& text) {
    const Bytes wide = AnsiToWide(text, 936);
    // One unit and the terminator; "?" is what the conversion writes for bytes it rejects.
    if (wide.size() != 4 || wide[2] != 0 || wide[3] != 0) {
        return 0;
    }
    const auto unit = static_cast<std::uint16_t>(wide[0] | (wide[1] << 8));
    if (unit == kBadUnit || (unit >= 0xD800 && unit <= 0xDFFF)) {
        return 0;
    }
    return unit;
}

const Table& DecodeTable() {
    static const Table table = [] {
        Table t;
        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            t.single[b - 0x80] = OneUnit(Text(1, static_cast<char>(b)));
        }
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                t.pair[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] =
                    OneUnit(Text(pair, 2));
            }
        }
        return t;
    }();
    return table;
}

struct Char {
    std::uint16_t unit;  // 0: undecodable byte
    std::size_t width;
};

// The character at `i`; a byte that starts none is one undecodable byte.
inline Char CharAt(const Table& table, std::string_view bytes, std::size_t i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
        return {b, 1};
    }
    if (b >= kLeadFirst && b <= kLeadLast && i + 1 < bytes.size()) {
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (trail >= kTrailFirst && trail <= kTrailLast) {
            const std::uint16_t unit =
                table.pair[(b - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
            if (unit != 0) {
                return {unit, 2};
            }
        }
    }
    return {table.single[b - 0x80], 1};
}

}  // namespace

WideText ToWide(std::string_view bytes, bool withCheckpoints) {
    const Table& table = DecodeTable();
    WideText out;
    out.units.resize(bytes.size());  // never more units than bytes
    if (withCheckpoints) {
        out.checkpoints.reserve(bytes.size() / kCheckpointStride + 1);
    }
    std::uint16_t* unit = out.units.data();
    std::size_t count = 0;
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        if (withCheckpoints && count % kCheckpointStride == 0) {
            out.checkpoints.push_back(static_cast<std::uint32_t>(i));
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            unit[count++] = b;
            ++i;
            continue;
        }
        const Char c = CharAt(table, bytes, i);
        unit[count++] = c.unit != 0 ? c.unit : kBadUnit;
        i += c.width;
    }
    out.units.resize(count);
    if (withCheckpoints && count % kCheckpointStride == 0) {
        out.checkpoints.push_back(static_cast<std::uint32_t>(n));  // the end, as unit `count`
    }
    return out;
}

namespace {

// Appends the character at bytes[i] as the subject holds it ("?" when it has no unit); its width.
std::size_t AppendChar(const Table& table, std::string_view bytes, std::size_t i,
                       std::string& out) {
    const Char c = CharAt(table, bytes, i);
    if (c.unit == 0) {
        out += static_cast<char>(kBadUnit);
    } else {
        out.append(bytes.data() + i, c.width);
    }
    return c.width;
}

}  // namespace

void AppendUnits(std::string_view bytes, const std::vector<std::uint32_t>& checkpoints,
                 std::size_t begin, std::size_t end, std::string& out) {
    if (begin >= end) {
        return;
    }
    const Table& table = DecodeTable();
    const std::size_t block = begin / kCheckpointStride;
    if (block >= checkpoints.size()) {
        return;
    }
    std::size_t i = checkpoints[block];
    for (std::size_t u = block * kCheckpointStride; u < begin && i < bytes.size(); ++u) {
        i += CharAt(table, bytes, i).width;
    }
    for (std::size_t u = begin; u < end && i < bytes.size(); ++u) {
        i += AppendChar(table, bytes, i, out);
    }
}

void AppendRoundTrip(std::string_view bytes, std::string& out) {
    const Table& table = DecodeTable();
    for (std::size_t i = 0; i < bytes.size();) {
        i += AppendChar(table, bytes, i, out);
    }
}

}  // namespace tovik::regex_detail
