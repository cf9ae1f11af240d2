// The searchable index: entries in SQLite with an FTS5 word table, imports, and the paged search
// the HTTP layer serves. Safe to search from many threads at once; imports happen before serving.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "service/catalog.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tovik::service {

struct ImportReport {
    std::int64_t added = 0;
    std::int64_t updated = 0;
    std::int64_t rejected = 0;
    std::string firstError;  // "line N: why" for the first rejected line
};

struct IndexStats {
    std::int64_t entries = 0;
    std::string newestDate;  // empty when there are no entries
};

struct SearchPage {
    std::vector<Entry> hits;
    bool more = false;  // a later page has hits
};

class Index {
  public:
    static constexpr int kPageSize = 20;
    // Keywords longer than this many bytes are refused rather than searched.
    static constexpr std::size_t kMaxKeywordBytes = 1024;

    // path empty: a private in-memory database. Throws std::runtime_error when it cannot open.
    explicit Index(const std::string& path = {});
    ~Index();
    Index(const Index&) = delete;
    Index& operator=(const Index&) = delete;

    // Adds or updates (by info-hash) the entries of a catalog; one transaction per call.
    ImportReport Import(std::istream& catalog);
    ImportReport Import(std::string_view catalogText);

    IndexStats Stats();

    // page counts from 1. keyword is UTF-8 (the caller has checked it). An empty or blank keyword
    // lists the newest entries.
    SearchPage Search(std::string_view keyword, std::int64_t page);

  private:
    struct Connection;
    using Ids = std::vector<std::int64_t>;
    std::unique_ptr<Connection> Open(bool readOnly);
    std::unique_ptr<Connection> Acquire();
    void Release(std::unique_ptr<Connection> connection);
    std::shared_ptr<const Ids> Ranked(Connection& connection, const std::string& key,
                                      sqlite3_stmt* stmt, std::string_view argument);

    // Every match of a keyword in rank order, kept for its later pages: the tool asks for pages
    // 1..N one after another, and ranking a common word costs far more than reading 20 rows.
    static constexpr std::size_t kCachedIdsMax = 4'000'000;
    using Lru = std::list<std::pair<std::string, std::shared_ptr<const Ids>>>;
    std::mutex cacheMutex_;
    Lru lru_;
    std::unordered_map<std::string, Lru::iterator> cached_;
    std::size_t cachedIds_ = 0;

    std::string uri_;
    std::unique_ptr<Connection> writer_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace tovik::service
