// Routes and form parsing. Bad requests get a 400 with a reply that holds no hits; the
// tool shows such a page as empty, never as rows of garbage.
#include "service/server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <iostream>
#include <stdexcept>

#include "service/reply.h"
#include "service/utf8.h"

namespace tovik::service {

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";

std::optional<std::int64_t> ParsePage(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto digits = text.find_first_not_of('0');
    if (digits == std::string_view::npos) {
        return std::nullopt;  // zero: pages count from 1
    }
    text.remove_prefix(digits);
    if (text.size() > 13) {
        return std::int64_t{1} << 40;
    }
    const std::int64_t page = std::stoll(std::string(text));
    return std::min(page, std::int64_t{1} << 40);
}

}  // namespace

std::optional<SearchForm> ParseSearchForm(std::string_view body, std::string* error) {
    auto fail = [&](const char* why) -> std::optional<SearchForm> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    std::optional<std::string> target;
    std::optional<std::string> page;
    std::size_t start = 0;
    while (start <= body.size()) {
        auto end = body.find('&', start);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        const auto pair = body.substr(start, end - start);
        start = end + 1;
        const auto eq = pair.find('=');
        const auto key = pair.substr(0, eq);
        const auto value = eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
        if (key == "target" && !target) {
            target = PercentDecode(value);
            if (!target) {
                return fail("target is not valid percent-encoding");
            }
        } else if (key == "currentPage" && !page) {
            page = PercentDecode(value);
            if (!page) {
                return fail("currentPage is not valid percent-encoding");
            }
        }
    }
    if (!target) {
        return fail("target is missing");
    }
    if (!page) {
        return fail("currentPage is missing");
    }
    if (!IsValidUtf8(*target)) {
        return fail("target is not UTF-8");
    }
    if (target->size() > Index::kMaxKeywordBytes) {
        return fail("target is too long");
    }
    const auto number = ParsePage(*page);
    if (!number) {
        return fail("currentPage is not a page number from 1");
    }
    return SearchForm{std::move(*target), *number};
}

Server::Server(Index& index) : index_(index), http_(std::make_unique<httplib::Server>()) {
    // Plain SO_REUSEADDR: the library's default SO_REUSEPORT would let a second copy of the
    // service bind the same port and silently take half of the requests.
    http_->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Replies go out as header and body writes; without this, Nagle's algorithm holds the body
    // back for a delayed ACK on kept-alive connections.
    http_->set_tcp_nodelay(true);
    http_->set_payload_max_length(kMaxBodyBytes);
    http_->set_keep_alive_timeout(2);
    http_->set_keep_alive_max_count(1000);
    http_->set_read_timeout(5, 0);
    http_->set_write_timeout(5, 0);

    http_->Post("/search", [this](const httplib::Request& req, httplib::Response& res) {
        std::string why;
        const auto form = ParseSearchForm(req.body, &why);
        if (!form) {
            res.status = 400;
            res.set_content(ErrorReply(why), kJson);
            return;
        }
        res.set_content(SearchReply(index_.Search(form->keyword, form->page), form->page), kJson);
    });
    http_->Get("/search", [](const httplib::Request&, httplib::Response& res) {
        res.status = 405;
        res.set_header("Allow", "POST");
        res.set_content(ErrorReply("use POST"), kJson);
    });
    http_->Get("/", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(StartPage(index_.Stats(), listen_), "text/html; charset=utf-8");
    });
    http_->set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
            std::string what = "internal error";
            try {
                std::rethrow_exception(ep);
            } catch (const std::exception& e) {
                std::cerr << "tovikbt-index: " << e.what() << '\n';
            } catch (...) {
            }
            res.status = 500;
            res.set_content(ErrorReply(what), kJson);
        });
}

Server::~Server() {
    Stop();
}

std::optional<int> Server::Start(const std::string& host, int port) {
    int bound = port;
    if (port == 0) {
        bound = http_->bind_to_any_port(host);
        if (bound <= 0) {
            return std::nullopt;
        }
    } else if (!http_->bind_to_port(host, port)) {
        return std::nullopt;
    }
    listen_ = host + ":" + std::to_string(bound);
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    // The listener only honours stop() once it runs; wait for that so Stop never misses it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!http_->is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return bound;
}

void Server::Stop() {
    if (thread_.joinable()) {
        http_->stop();
        thread_.join();
    }
}

}  // namespace tovik::service
