// tovikbt-index: the local search service the tool is built against by default.
#include <signal.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "service/catalog.h"
#include "service/index.h"
#include "service/server.h"

namespace {

constexpr const char* kUsage =
    R"(usage: tovikbt-index [--listen HOST:PORT] [--db FILE] [--import FILE]...
       tovikbt-index --generate COUNT [--seed N]

  --listen HOST:PORT  address to serve on (default 127.0.0.1:18089)
  --db FILE           keep the index in FILE (default: in memory)
  --import FILE       add or update the entries of a catalog file; may be repeated
  --generate COUNT    write COUNT generated catalog lines to standard output and exit
  --seed N            seed for --generate (default 1)

A database that is empty after the imports is filled with the built-in sample catalog.
Catalog files are UTF-8 text, one entry a line, five tab-separated fields:
  title, size in bytes, date (YYYY-MM-DD), file count, info-hash (40 hex digits)
Empty lines and lines starting with # are skipped.
)";

int Usage(const std::string& problem) {
    std::cerr << "tovikbt-index: " << problem << "\n\n" << kUsage;
    return 2;
}

void Report(const std::string& source, const tovik::service::ImportReport& r) {
    std::cerr << "tovikbt-index: " << source << ": " << r.added << " added, " << r.updated
              << " updated";
    if (r.rejected > 0) {
        std::cerr << ", " << r.rejected << " lines skipped (first: " << r.firstError << ")";
    }
    std::cerr << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    std::string listen = "127.0.0.1:18089";
    std::string db;
    std::vector<std::string> imports;
    std::optional<long long> generate;
    unsigned long long seed = 1;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        std::optional<std::string> v;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--listen" && (v = value())) {
            listen = *v;
        } else if (arg == "--db" && (v = value())) {
            db = *v;
        } else if (arg == "--import" && (v = value())) {
            imports.push_back(*v);
        } else if ((arg == "--generate" || arg == "--seed") && (v = value())) {
            try {
                std::size_t used = 0;
                const auto n = std::stoull(*v, &used);
                if (used != v->size()) {
                    return Usage("not a number: " + *v);
                }
                if (arg == "--seed") {
                    seed = n;
                } else {
                    generate = static_cast<long long>(n);
                }
            } catch (const std::exception&) {
                return Usage("not a number: " + *v);
            }
        } else {
            return Usage("unknown or incomplete option: " + arg);
        }
    }

    if (generate) {
        tovik::service::GenerateCatalog(std::cout, *generate, seed);
        return std::cout.flush() ? 0 : 1;
    }

    const auto colon = listen.rfind(':');
    int port = -1;
    try {
        port = colon == std::string::npos ? -1 : std::stoi(listen.substr(colon + 1));
    } catch (const std::exception&) {
    }
    if (colon == std::string::npos || colon == 0 || port < 0 || port > 65535) {
        return Usage("--listen wants HOST:PORT, got " + listen);
    }
    const std::string host = listen.substr(0, colon);

    try {
        tovik::service::Index index(db);
        for (const auto& path : imports) {
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                std::cerr << "tovikbt-index: cannot read " << path << ": " << std::strerror(errno)
                          << '\n';
                return 1;
            }
            Report(path, index.Import(in));
        }
        if (index.Stats().entries == 0) {
            Report("sample catalog", index.Import(tovik::service::SampleCatalog()));
        }

        // Signals are taken by sigwait below, so every thread started from here blocks them.
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        sigaddset(&signals, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        signal(SIGPIPE, SIG_IGN);

        tovik::service::Server server(index);
        const auto bound = server.Start(host, port);
        if (!bound) {
            std::cerr << "tovikbt-index: cannot listen on " << listen << '\n';
            return 1;
        }
        const auto stats = index.Stats();
        std::cerr << "tovikbt-index: " << stats.entries << " entries, serving on http://" << host
                  << ':' << *bound << "/\n";
        int received = 0;
        sigwait(&signals, &received);
        std::cerr << "tovikbt-index: stopping\n";
        server.Stop();
    } catch (const std::exception& e) {
        std::cerr << "tovikbt-index: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
