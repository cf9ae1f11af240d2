// Throughput of the text routines that run over whole replies: escape decoding of a
// realistic multi-megabyte search reply, and the linear primitives at growing sizes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "text/text.h"

namespace {

using tovik::Text;

// A reply shaped like the service's: one object per hit, every non-ASCII character of the
// title escaped, CR LF between lines, percent-encoded names in the magnet links.
Text MakeReply(std::size_t targetBytes) {
    std::mt19937 rng(7);
    Text reply = "{\"total\":\"9999\",\"hits\":[\r\n";
    char buffer[64];
    int hit = 0;
    while (reply.size() < targetBytes) {
        Text title;
        const int chars = 8 + static_cast<int>(rng() % 24);
        for (int k = 0; k < chars; ++k) {
            if (rng() % 5 == 0) {
                title.push_back(static_cast<char>('A' + rng() % 26));
            } else {
                std::snprintf(buffer, sizeof buffer, "\\u%04x",
                              static_cast<unsigned>(0x4E00 + rng() % 0x5000));
                title += buffer;
            }
        }
        std::snprintf(buffer, sizeof buffer, "%08x%08x%08x", static_cast<unsigned>(rng()),
                      static_cast<unsigned>(rng()), static_cast<unsigned>(rng()));
        reply += "{\"date\":\"2023-0" + std::to_string(1 + hit % 9) + "-1" +
                 std::to_string(hit % 10) + "\",\"files\":\"" + std::to_string(rng() % 200) +
                 "\",\"magnet\":\"magnet:?xt=urn:btih:" + buffer + "&dn=Some%20Name%20" +
                 std::to_string(hit) + "\",\"size\":\"" + std::to_string(rng() % 1000) +
                 ".5 MB\",\"title\":\"" + title + " It's \\/ \\\"x\\\"\"},\r\n";
        ++hit;
    }
    reply += "]}";
    return reply;
}

void BM_UnescapeUnicodeReply(benchmark::State& state) {
    const Text reply = MakeReply(2'600'000);
    tovik::UnescapeUnicode("warm up the tables");
    for (auto _ : state) {
        benchmark::DoNotOptimize(tovik::UnescapeUnicode(reply));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_UnescapeUnicodeReply)->Unit(benchmark::kMillisecond);

void BM_ReplaceText(benchmark::State& state) {
    const Text reply = MakeReply(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tovik::ReplaceText(reply, "\r\n", "{$}", 1, -1, true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReplaceText)->RangeMultiplier(4)->Range(1 << 14, 1 << 22)->Complexity();

void BM_SplitText(benchmark::State& state) {
    const Text reply = MakeReply(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tovik::SplitText(reply, "\r\n"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SplitText)->RangeMultiplier(4)->Range(1 << 14, 1 << 22)->Complexity();

void BM_RemoveSpaces(benchmark::State& state) {
    const Text text = tovik::UnescapeUnicode(MakeReply(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tovik::RemoveSpaces(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RemoveSpaces)->RangeMultiplier(4)->Range(1 << 14, 1 << 22)->Complexity();

void BM_UrlEncode(benchmark::State& state) {
    const Text text = tovik::UnescapeUnicode(MakeReply(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tovik::UrlEncode(text, true, true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_UrlEncode)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Complexity();

}  // namespace

BENCHMARK_MAIN();
