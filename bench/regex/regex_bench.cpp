// Speed of the hit pattern: a 2.6 MB reply and a 20-hit page through RegexObject (conversion
// included), reading every group as the search worker does, and the hostile 1 MB lines under
// the JIT and the interpreter.
#include <benchmark/benchmark.h>

#include "regex/engine.h"
#include "regex/regex_object.h"
#include "regex/wide_subject.h"
#include "tests/regex/replies.h"

namespace {

using namespace tovik;
using namespace tovik::testing;

const std::string& LargeReply() {
    static const std::string reply = OneLineReply(SampleHits(2600 * 1024));
    return reply;
}

const std::string& PageOf20() {
    static const std::string reply = [] {
        std::vector<Hit> hits;
        for (int n = 0; n < 20; ++n) {
            hits.push_back(SampleHit(n));
        }
        return OneLineReply(hits);
    }();
    return reply;
}

void BM_Create(benchmark::State& state, const std::string& reply) {
    RegexObject re;
    for (auto _ : state) {
        benchmark::DoNotOptimize(re.Create(kHitPattern, reply));
    }
    state.counters["hits"] = re.MatchCount();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK_CAPTURE(BM_Create, Reply2600KB, LargeReply())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Create, PageOf20Hits, PageOf20())->Unit(benchmark::kMicrosecond);

// Create, then the five groups of every match in the worker's order.
void BM_CreateAndReadAll(benchmark::State& state, const std::string& reply) {
    RegexObject re;
    for (auto _ : state) {
        re.Create(kHitPattern, reply);
        const int count = re.MatchCount();
        for (int m = 1; m <= count; ++m) {
            for (int g : {5, 4, 1, 2, 3}) {
                benchmark::DoNotOptimize(re.SubmatchText(m, g));
            }
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK_CAPTURE(BM_CreateAndReadAll, Reply2600KB, LargeReply())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CreateAndReadAll, PageOf20Hits, PageOf20())->Unit(benchmark::kMicrosecond);

// Every group with its position: the byte search per call.
void BM_ReadAllWithPositions(benchmark::State& state, const std::string& reply) {
    RegexObject re;
    re.Create(kHitPattern, reply);
    const int count = re.MatchCount();
    for (auto _ : state) {
        for (int m = 1; m <= count; ++m) {
            for (int g : {5, 4, 1, 2, 3}) {
                int position = 0;
                benchmark::DoNotOptimize(re.SubmatchText(m, g, &position));
            }
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK_CAPTURE(BM_ReadAllWithPositions, Reply2600KB, LargeReply())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadAllWithPositions, PageOf20Hits, PageOf20())->Unit(benchmark::kMicrosecond);

void BM_ConvertOnly(benchmark::State& state) {
    const std::string& reply = LargeReply();
    for (auto _ : state) {
        benchmark::DoNotOptimize(regex_detail::ToWide(reply, true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_ConvertOnly)->Unit(benchmark::kMillisecond);

// One hostile 1 MB line by itself; arg 0 the JIT, 1 the interpreter.
void BM_HostileLine(benchmark::State& state) {
    static const std::vector<HostileLine> lines = HostileLines();
    const HostileLine& hostile = lines[static_cast<std::size_t>(state.range(0))];
    const auto mode = state.range(1) == 0 ? regex_detail::Pattern::Mode::Auto
                                          : regex_detail::Pattern::Mode::Interpreter;
    const auto pattern = regex_detail::Pattern::Compile(
        regex_detail::ToWide(kHitPattern, false).units, regex_detail::Settings{}, mode);
    const auto units = regex_detail::ToWide(hostile.line, false).units;
    bool bound = false;
    std::size_t count = 0;
    for (auto _ : state) {
        const auto list = pattern->Run(units);
        bound = list->stoppedAtBound;
        count = list->Count();
    }
    state.SetLabel(std::string(hostile.name) + (state.range(1) == 0 ? " jit" : " interpreter") +
                   (bound ? " bound" : "") + " hits=" + std::to_string(count));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * hostile.line.size()));
}
BENCHMARK(BM_HostileLine)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
