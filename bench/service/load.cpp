// Load test for tovikbt-index: a generated catalog (100,000 entries by default) served in-process
// on 127.0.0.1, or a running service given by --port, driven by a few client threads for a bounded
// time and number of requests with the tool's form bodies. Prints requests per second and latency
// percentiles.
//
//   tovik_service_load [--entries N] [--seconds S] [--clients C] [--max-requests R]
//                      [--port P] [--new-connections]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "service/catalog.h"
#include "service/index.h"
#include "service/server.h"
#include "service/utf8.h"

namespace {

using Clock = std::chrono::steady_clock;

// A mix of what people type: words, CJK of one to four characters, two-part keywords, the empty
// keyword, and a few later pages.
const char* const kKeywords[] = {
    "",          "ubuntu",        "1080p",          "红楼梦",   "三国",       "红",
    "debian 12", "sintel",        "西游记 有声书",  "pdf",      "字幕",       "linux iso",
    "flac",      "鲁迅",          "big buck bunny", "2160p 4k", "史记",       "mp3 评书",
    "wikipedia", "openstreetmap", "贝多芬",         "ＦＬＡＣ", "agent 327:", "no-such-thing",
};

struct Options {
    long long entries = 100000;
    double seconds = 10;
    int clients = 4;
    long long maxRequests = 2000000;
    int port = 0;
    bool newConnections = false;
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc || (i < argc && std::string(argv[i]) == "--new-connections");
         ++i) {
        const std::string arg = argv[i];
        if (arg == "--new-connections") {
            o.newConnections = true;
            continue;
        }
        const std::string v = argv[++i];
        if (arg == "--entries") {
            o.entries = std::stoll(v);
        } else if (arg == "--seconds") {
            o.seconds = std::min(120.0, std::stod(v));
        } else if (arg == "--clients") {
            o.clients = std::clamp(std::stoi(v), 1, 64);
        } else if (arg == "--max-requests") {
            o.maxRequests = std::stoll(v);
        } else if (arg == "--port") {
            o.port = std::stoi(v);
        } else {
            std::fprintf(stderr, "unknown option %s\n", arg.c_str());
            return 2;
        }
    }

    std::unique_ptr<tovik::service::Index> index;
    std::unique_ptr<tovik::service::Server> server;
    int port = o.port;
    if (port == 0) {
        const auto start = Clock::now();
        std::ostringstream catalog;
        tovik::service::GenerateCatalog(catalog, o.entries, 1);
        index = std::make_unique<tovik::service::Index>();
        index->Import(std::string_view(catalog.str()));
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("catalog: %lld entries generated and indexed in %.1f s\n", o.entries, took);
        // First searches rank every match; later pages and repeats come from the cache.
        std::vector<std::pair<double, const char*>> cold;
        for (const char* keyword : kKeywords) {
            const auto t0 = Clock::now();
            index->Search(keyword, 1);
            cold.emplace_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count(),
                              keyword);
        }
        std::sort(cold.rbegin(), cold.rend());
        double sum = 0;
        for (const auto& c : cold) {
            sum += c.first;
        }
        std::printf("first search of a keyword: mean %.2f ms, slowest %.2f ms (\"%s\")\n",
                    sum / static_cast<double>(cold.size()), cold.front().first,
                    cold.front().second);
        server = std::make_unique<tovik::service::Server>(*index);
        const auto bound = server->Start("127.0.0.1", 0);
        if (!bound) {
            std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
            return 1;
        }
        port = *bound;
    }

    std::vector<std::string> bodies;
    for (const char* keyword : kKeywords) {
        for (int page = 1; page <= 3; ++page) {
            if (page == 1 || std::string(keyword).size() < 6) {
                bodies.push_back("target=" + tovik::service::PercentEncode(keyword) +
                                 "&currentPage=" + std::to_string(page));
            }
        }
    }

    std::atomic<long long> issued{0};
    std::atomic<long long> failures{0};
    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(o.clients));
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(o.seconds));
    const auto begin = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < o.clients; ++c) {
        threads.emplace_back([&, c] {
            auto& mine = latencies[static_cast<std::size_t>(c)];
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(!o.newConnections);
            client.set_tcp_nodelay(true);
            std::size_t next = static_cast<std::size_t>(c) * 7;
            while (Clock::now() < deadline && issued.fetch_add(1) < o.maxRequests) {
                const auto& body = bodies[next++ % bodies.size()];
                const auto t0 = Clock::now();
                const auto res = client.Post("/search", body, "application/x-www-form-urlencoded");
                mine.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
                if (!res || res->status != 200) {
                    ++failures;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();

    std::vector<double> all;
    for (const auto& l : latencies) {
        all.insert(all.end(), l.begin(), l.end());
    }
    std::sort(all.begin(), all.end());
    auto pct = [&](double p) {
        return all.empty()
                   ? 0.0
                   : all[std::min(all.size() - 1, static_cast<std::size_t>(p * all.size()))];
    };
    std::printf("%zu requests in %.1f s over %d %s clients, %lld failed\n", all.size(), elapsed,
                o.clients, o.newConnections ? "new-connection" : "keep-alive", failures.load());
    std::printf("throughput: %.0f requests/s\n", static_cast<double>(all.size()) / elapsed);
    std::printf("latency ms: p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n", pct(0.5), pct(0.9),
                pct(0.99), all.empty() ? 0.0 : all.back());
    if (server) {
        server->Stop();
    }
    return failures.load() == 0 ? 0 : 1;
}
