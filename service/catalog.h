// Catalog entries: the tab-separated catalog file format, the generated catalogs (the shipped
// sample and the large ones for load tests), and how an entry is shown: size text and magnet link.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace tovik::service {

struct Entry {
    std::string title;      // UTF-8, no control characters
    std::int64_t size = 0;  // bytes
    std::string date;       // YYYY-MM-DD
    std::int64_t files = 1;
    std::string hash;  // 40 lower-case hex digits
};

// One catalog line: title, size in bytes, date, file count, info-hash, separated by tabs.
// nullopt with a reason in *error when the line is not a valid entry.
std::optional<Entry> ParseCatalogLine(std::string_view line, std::string* error = nullptr);

// The line ParseCatalogLine reads back as the same entry.
std::string FormatCatalogLine(const Entry& entry);

// "734 MB", "1.2 GB", "512 B": binary units, at most three significant places.
std::string FormatSize(std::int64_t bytes);

// magnet:?xt=urn:btih:<hash>&dn=<percent-encoded UTF-8 title>&xl=<bytes>
std::string MagnetLink(const Entry& entry);

// Writes `count` plausible entries (invented titles of free works, fake info-hashes) as catalog
// lines; the same count and seed always give the same bytes.
void GenerateCatalog(std::ostream& out, std::int64_t count, std::uint64_t seed);

// The sample catalog compiled into the program.
std::string_view SampleCatalog();

}  // namespace tovik::service
