// SQLite storage and search. In-memory indexes use the memdb VFS under a process-unique name so
// that every connection of the pool sees the same database; each connection serves one thread
// at a time with its own prepared statements.
#include "service/index.h"

#include <sqlite3.h>

#include <atomic>
#include <istream>
#include <sstream>
#include <stdexcept>

#include "service/utf8.h"

namespace tovik::service {

namespace {

template <auto Fn>
struct Free {
    void operator()(auto* p) const { Fn(p); }
};
using DbPtr = std::unique_ptr<sqlite3, Free<sqlite3_close_v2>>;
using StmtPtr = std::unique_ptr<sqlite3_stmt, Free<sqlite3_finalize>>;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS entry(
    id INTEGER PRIMARY KEY,
    hash TEXT NOT NULL UNIQUE,
    title TEXT NOT NULL,
    folded TEXT NOT NULL,
    size INTEGER NOT NULL,
    date TEXT NOT NULL,
    files INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS entry_newest ON entry(date DESC, id DESC);
CREATE VIRTUAL TABLE IF NOT EXISTS entry_words USING fts5(words, tokenize = 'ascii');
)sql";

constexpr const char* kColumns = "e.title, e.size, e.date, e.files, e.hash";

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(db, "index");
    }
}

StmtPtr Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
        SQLITE_OK) {
        Fail(db, "prepare");
    }
    return StmtPtr(stmt);
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = sqlite3_column_text(stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

std::string JoinTokens(const std::vector<std::string>& tokens) {
    std::string out;
    for (const auto& t : tokens) {
        if (!out.empty()) {
            out.push_back(' ');
        }
        out += t;
    }
    return out;
}

// Each blank-separated part of the keyword becomes one quoted phrase of its tokens; tokens hold
// only letters and digits, so no keyword can inject FTS5 syntax. Empty when no part has tokens.
std::string MatchExpression(std::string_view keyword) {
    std::string expression;
    std::string part;
    auto flushPart = [&] {
        const auto tokens = Tokenize(part);
        part.clear();
        if (tokens.empty()) {
            return;
        }
        if (!expression.empty()) {
            expression += " AND ";
        }
        expression += '"' + JoinTokens(tokens) + '"';
    };
    std::size_t pos = 0;
    while (pos < keyword.size()) {
        const std::size_t start = pos;
        const auto cp = NextCodePoint(keyword, pos);
        if (cp && FoldCodePoint(*cp) == U' ') {
            flushPart();
        } else if (cp && (*cp == U'\t' || *cp == U'\r' || *cp == U'\n')) {
            flushPart();
        } else {
            part.append(keyword.substr(start, pos - start));
        }
    }
    flushPart();
    return expression;
}

// Blanks include the ideographic space, which folding turns into a plain one.
bool IsBlank(std::string_view text) {
    return FoldText(text).find_first_not_of(" \t\r\n") == std::string::npos;
}

std::atomic<std::uint64_t> gIndexCounter{0};

}  // namespace

struct Index::Connection {
    DbPtr db;
    StmtPtr newest, words, substring, row;
};

Index::Index(const std::string& path) {
    if (path.empty()) {
        uri_ = "file:/tovik-index-" + std::to_string(gIndexCounter.fetch_add(1)) + "?vfs=memdb";
    } else {
        uri_ = path;
    }
    writer_ = Open(false);
}

Index::~Index() {
    idle_.clear();
    writer_.reset();  // the last connection of a memdb database frees it
}

std::unique_ptr<Index::Connection> Index::Open(bool readOnly) {
    sqlite3* raw = nullptr;
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
        SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(uri_.c_str(), &raw, flags, nullptr);
    auto connection = std::make_unique<Connection>();
    connection->db.reset(raw);
    if (rc != SQLITE_OK) {
        Fail(raw, "cannot open " + uri_);
    }
    sqlite3_busy_timeout(raw, 5000);
    if (!readOnly) {
        Exec(raw, kSchema);
    }
    connection->newest = Prepare(raw, std::string("SELECT ") + kColumns +
                                          " FROM entry e ORDER BY e.date DESC, e.id DESC"
                                          " LIMIT ?2 OFFSET ?3");
    connection->words =
        Prepare(raw,
                "SELECT e.id FROM entry_words JOIN entry e ON e.id = entry_words.rowid"
                " WHERE entry_words MATCH ?1"
                " ORDER BY bm25(entry_words), e.date DESC, e.id DESC");
    connection->substring = Prepare(raw,
                                    "SELECT e.id FROM entry e WHERE instr(e.folded, ?1) > 0"
                                    " ORDER BY e.date DESC, e.id DESC");
    connection->row =
        Prepare(raw, std::string("SELECT ") + kColumns + " FROM entry e WHERE e.id = ?1");
    return connection;
}

std::unique_ptr<Index::Connection> Index::Acquire() {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            auto connection = std::move(idle_.back());
            idle_.pop_back();
            return connection;
        }
    }
    return Open(true);
}

void Index::Release(std::unique_ptr<Connection> connection) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(connection));
}

ImportReport Index::Import(std::string_view catalogText) {
    std::istringstream in{std::string(catalogText)};
    return Import(in);
}

ImportReport Index::Import(std::istream& catalog) {
    sqlite3* db = writer_->db.get();
    auto find = Prepare(db, "SELECT id FROM entry WHERE hash = ?1");
    auto insert = Prepare(db,
                          "INSERT INTO entry(hash, title, folded, size, date, files)"
                          " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    auto update = Prepare(db,
                          "UPDATE entry SET title = ?2, folded = ?3, size = ?4, date = ?5,"
                          " files = ?6 WHERE id = ?1");
    auto unindex = Prepare(db, "DELETE FROM entry_words WHERE rowid = ?1");
    auto index = Prepare(db, "INSERT INTO entry_words(rowid, words) VALUES(?1, ?2)");
    auto step = [&](const StmtPtr& stmt) {
        const int rc = sqlite3_step(stmt.get());
        sqlite3_reset(stmt.get());
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            Fail(db, "import");
        }
    };

    ImportReport report;
    Exec(db, "BEGIN");
    try {
        std::string line;
        std::int64_t number = 0;
        while (std::getline(catalog, line)) {
            ++number;
            if (number == 1 && line.starts_with("\xEF\xBB\xBF")) {
                line.erase(0, 3);
            }
            if (line.empty() || line == "\r" || line.starts_with('#')) {
                continue;
            }
            std::string why;
            const auto entry = ParseCatalogLine(line, &why);
            if (!entry) {
                if (report.rejected++ == 0) {
                    report.firstError = "line " + std::to_string(number) + ": " + why;
                }
                continue;
            }
            BindText(find.get(), 1, entry->hash);
            const bool exists = sqlite3_step(find.get()) == SQLITE_ROW;
            const sqlite3_int64 id = exists ? sqlite3_column_int64(find.get(), 0) : 0;
            sqlite3_reset(find.get());

            auto& target = exists ? update : insert;
            if (exists) {
                sqlite3_bind_int64(target.get(), 1, id);
            } else {
                BindText(target.get(), 1, entry->hash);
            }
            BindText(target.get(), 2, entry->title);
            BindText(target.get(), 3, FoldText(entry->title));
            sqlite3_bind_int64(target.get(), 4, entry->size);
            BindText(target.get(), 5, entry->date);
            sqlite3_bind_int64(target.get(), 6, entry->files);
            step(target);

            const sqlite3_int64 rowid = exists ? id : sqlite3_last_insert_rowid(db);
            if (exists) {
                sqlite3_bind_int64(unindex.get(), 1, rowid);
                step(unindex);
            }
            sqlite3_bind_int64(index.get(), 1, rowid);
            BindText(index.get(), 2, JoinTokens(Tokenize(entry->title)));
            step(index);
            ++(exists ? report.updated : report.added);
        }
        Exec(db, "COMMIT");
        std::lock_guard lock(cacheMutex_);
        lru_.clear();
        cached_.clear();
        cachedIds_ = 0;
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return report;
}

IndexStats Index::Stats() {
    auto stmt = Prepare(writer_->db.get(), "SELECT count(*), coalesce(max(date), '') FROM entry");
    IndexStats stats;
    if (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        stats.entries = sqlite3_column_int64(stmt.get(), 0);
        stats.newestDate = ColumnText(stmt.get(), 1);
    }
    return stats;
}

std::shared_ptr<const Index::Ids> Index::Ranked(Connection& connection, const std::string& key,
                                                sqlite3_stmt* stmt, std::string_view argument) {
    {
        std::lock_guard lock(cacheMutex_);
        if (const auto hit = cached_.find(key); hit != cached_.end()) {
            lru_.splice(lru_.begin(), lru_, hit->second);
            return hit->second->second;
        }
    }
    auto ids = std::make_shared<Ids>();
    BindText(stmt, 1, argument);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ids->push_back(sqlite3_column_int64(stmt, 0));
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE) {
        Fail(connection.db.get(), "search");
    }
    std::lock_guard lock(cacheMutex_);
    if (!cached_.contains(key) && ids->size() <= kCachedIdsMax / 4) {
        lru_.emplace_front(key, ids);
        cached_.emplace(key, lru_.begin());
        cachedIds_ += ids->size();
        while (cachedIds_ > kCachedIdsMax || lru_.size() > 4096) {
            cachedIds_ -= lru_.back().second->size();
            cached_.erase(lru_.back().first);
            lru_.pop_back();
        }
    }
    return ids;
}

SearchPage Index::Search(std::string_view keyword, std::int64_t page) {
    SearchPage result;
    // Pages far past any catalog are empty without asking the database.
    if (page < 1 || page > (std::int64_t{1} << 40)) {
        return result;
    }
    auto connection = Acquire();
    struct Return {
        Index* index;
        std::unique_ptr<Connection>& connection;
        ~Return() { index->Release(std::move(connection)); }
    } giveBack{this, connection};

    auto readRow = [](sqlite3_stmt* stmt) {
        Entry e;
        e.title = ColumnText(stmt, 0);
        e.size = sqlite3_column_int64(stmt, 1);
        e.date = ColumnText(stmt, 2);
        e.files = sqlite3_column_int64(stmt, 3);
        e.hash = ColumnText(stmt, 4);
        return e;
    };
    const std::int64_t offset = (page - 1) * kPageSize;

    if (IsBlank(keyword)) {
        // The newest-first index walks straight to the page; one row more tells about the next.
        sqlite3_stmt* stmt = connection->newest.get();
        sqlite3_bind_int64(stmt, 2, kPageSize + 1);
        sqlite3_bind_int64(stmt, 3, offset);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (static_cast<int>(result.hits.size()) == kPageSize) {
                result.more = true;
                break;
            }
            result.hits.push_back(readRow(stmt));
        }
        sqlite3_reset(stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            Fail(connection->db.get(), "search");
        }
        return result;
    }

    std::shared_ptr<const Ids> ids;
    if (const auto expression = MatchExpression(keyword); !expression.empty()) {
        ids = Ranked(*connection, "w" + expression, connection->words.get(), expression);
    } else {
        // Only punctuation or symbols: look for them literally in the folded titles.
        std::string folded = FoldText(keyword);
        const auto first = folded.find_first_not_of(" \t\r\n");  // not blank, so found
        folded = folded.substr(first, folded.find_last_not_of(" \t\r\n") - first + 1);
        ids = Ranked(*connection, "s" + folded, connection->substring.get(), folded);
    }
    const auto total = static_cast<std::int64_t>(ids->size());
    sqlite3_stmt* row = connection->row.get();
    for (std::int64_t i = offset; i < total && i < offset + kPageSize; ++i) {
        sqlite3_bind_int64(row, 1, (*ids)[static_cast<std::size_t>(i)]);
        if (sqlite3_step(row) == SQLITE_ROW) {
            result.hits.push_back(readRow(row));
        }
        sqlite3_reset(row);
    }
    result.more = offset + kPageSize < total;
    return result;
}

}  // namespace tovik::service
