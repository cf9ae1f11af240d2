// The HTTP face of the index: POST /search with the tool's form body, GET / with the start-up
// page. Runs cpp-httplib's listener on a thread of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "service/index.h"

namespace httplib {
class Server;
}

namespace tovik::service {

// Largest request body read; bigger ones are refused with 413 before any parsing.
inline constexpr std::size_t kMaxBodyBytes = 16 * 1024;

struct SearchForm {
    std::string keyword;    // UTF-8
    std::int64_t page = 1;  // pages past 2^40 are clamped there: still past every catalog
};

// Parses "target=<percent-encoded UTF-8>&currentPage=<n>"; nullopt with a reason in *error when
// target or currentPage is missing, badly encoded, not UTF-8, too long, or the page is not a
// whole number of at least 1. The first occurrence of a key counts; other keys are ignored.
std::optional<SearchForm> ParseSearchForm(std::string_view body, std::string* error = nullptr);

class Server {
  public:
    // Requests run on cpp-httplib's pool of threads, each borrowing a database connection.
    explicit Server(Index& index);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds host:port (port 0 picks a free one) and starts serving on a background thread.
    // Returns the bound port, or nullopt when the address cannot be bound.
    std::optional<int> Start(const std::string& host, int port);
    // Stops accepting, finishes the requests in flight and joins the thread. Idempotent.
    void Stop();

  private:
    Index& index_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    std::string listen_;
};

}  // namespace tovik::service
