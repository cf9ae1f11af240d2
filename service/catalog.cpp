// Catalog line parsing and formatting, size text and magnet links.
#include "service/catalog.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "service/utf8.h"

namespace tovik::service {

namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::optional<std::int64_t> ParseCount(std::string_view text) {
    std::int64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

bool ValidDate(std::string_view d) {
    if (d.size() != 10 || d[4] != '-' || d[7] != '-') {
        return false;
    }
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
        if (d[i] < '0' || d[i] > '9') {
            return false;
        }
    }
    const int year = std::stoi(std::string(d.substr(0, 4)));
    const int month = std::stoi(std::string(d.substr(5, 2)));
    const int day = std::stoi(std::string(d.substr(8, 2)));
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

// Control characters and line separators would break a reply line; they become spaces, and
// runs of spaces at the ends are dropped.
std::string CleanTitle(std::string_view raw) {
    std::string out;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const char32_t cp = *NextCodePoint(raw, pos);
        const bool control =
            cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
        AppendUtf8(out, control ? U' ' : cp);
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<Entry> ParseCatalogLine(std::string_view line, std::string* error) {
    auto fail = [&](const char* why) -> std::optional<Entry> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    const auto fields = SplitTabs(line);
    if (fields.size() != 5) {
        return fail("expected 5 tab-separated fields");
    }
    if (!IsValidUtf8(fields[0])) {
        return fail("title is not UTF-8");
    }
    Entry entry;
    entry.title = CleanTitle(fields[0]);
    if (entry.title.empty()) {
        return fail("empty title");
    }
    const auto size = ParseCount(fields[1]);
    if (!size) {
        return fail("size is not a byte count");
    }
    entry.size = *size;
    if (!ValidDate(fields[2])) {
        return fail("date is not YYYY-MM-DD");
    }
    entry.date = std::string(fields[2]);
    const auto files = ParseCount(fields[3]);
    if (!files || *files < 1) {
        return fail("file count is not a positive number");
    }
    entry.files = *files;
    if (fields[4].size() != 40) {
        return fail("info-hash is not 40 hex digits");
    }
    for (const char c : fields[4]) {
        const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c + 32) : c;
        if (!((lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f'))) {
            return fail("info-hash is not 40 hex digits");
        }
        entry.hash.push_back(lower);
    }
    return entry;
}

std::string FormatCatalogLine(const Entry& entry) {
    return entry.title + '\t' + std::to_string(entry.size) + '\t' + entry.date + '\t' +
           std::to_string(entry.files) + '\t' + entry.hash;
}

std::string FormatSize(std::int64_t bytes) {
    if (bytes < 1000) {
        return std::to_string(bytes) + " B";
    }
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    // Move up a unit before rounding could print four digits.
    while (value >= 999.5 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, value < 99.95 ? "%.1f %s" : "%.0f %s", value, kUnits[unit]);
    return buf;
}

std::string MagnetLink(const Entry& entry) {
    return "magnet:?xt=urn:btih:" + entry.hash + "&dn=" + PercentEncode(entry.title) +
           "&xl=" + std::to_string(entry.size);
}

}  // namespace tovik::service
