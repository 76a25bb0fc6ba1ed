// Parsing a programme-list reply of about 1 MB into models, against Boost.JSON's own parse of
// the same bytes. Target: the whole road (JSON reader, reply dictionary, list-pattern models)
// at most 2x the bare parse; the "x_boost_json" counter of BM_ReplyToModels is that ratio.
#include <benchmark/benchmark.h>

#include <boost/json/parse.hpp>

#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Json.h"
#include "src/api/requests/RadioRequests.h"

#include "bench/AlternatedMedians.h"
#include "bench/ProgrammeListReply.h"

namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU time of the calling thread, so that a busy machine does not skew the ratio.
double secondsOf(const std::function<void()>& work) {
  const double start = threadCpuSeconds();
  work();
  return threadCpuSeconds() - start;
}

constexpr int kRounds = 15;

void BM_BoostJsonParse(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(boost::json::parse(bench::programmeListReply()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::programmeListReply().size()));
}
BENCHMARK(BM_BoostJsonParse)->Unit(benchmark::kMillisecond);

// Rounds of `work` alternated with bare parses; the ratio of the medians, each with its range.
void reportAgainstBoost(benchmark::State& state, const std::string& what, const std::string& target,
                        const std::function<void()>& work) {
  for (auto _ : state) {
    std::vector<double> ours, parses;
    bench::alternateRounds(
        kRounds, [&] { ours.push_back(secondsOf(work)); },
        [&] {
          parses.push_back(
              secondsOf([] { benchmark::DoNotOptimize(boost::json::parse(bench::programmeListReply())); }));
        });
    const auto o = bench::Spread::of(ours);
    const auto b = bench::Spread::of(parses);
    bench::addSpreadCounters(state, "ours_cpu_s", o);
    bench::addSpreadCounters(state, "boost_cpu_s", b);
    state.counters["x_boost_json"] = o.median / b.median;
    bench::printComparison(what + ", CPU time against Boost.JSON's parse", o.median / b.median, target, "ours", o,
                           "Boost.JSON", b, "s");
  }
}

// The whole road of a reply: text to the request's result dictionary of programme models.
void BM_ReplyToModels(benchmark::State& state) {
  std::size_t programmes = 0;
  reportAgainstBoost(state, "a 1 MB programme list to models", "at most 2x", [&] {
    auto request = std::make_shared<api::ListChannelProgramsRequest>();
    request->handleResultString(bench::programmeListReply());
    programmes = request->resultDic()[api::kKeyArray].getArray()->size();
  });
  state.counters["programmes"] = static_cast<double>(programmes);
}
BENCHMARK(BM_ReplyToModels)->Unit(benchmark::kMillisecond)->Iterations(1);

// The two halves of the road, to show where its time goes: the platform's JSON reader ...
void BM_PlatformJsonParse(benchmark::State& state) {
  reportAgainstBoost(state, "the platform JSON reader alone", "none (a part of the road)",
                     [] { benchmark::DoNotOptimize(foundation::Json::parse(bench::programmeListReply())); });
}
BENCHMARK(BM_PlatformJsonParse)->Unit(benchmark::kMillisecond)->Iterations(1);

// ... and the list pattern's models from the parsed reply.
void BM_ListModelsFromParsedReply(benchmark::State& state) {
  const Value parsed = foundation::Json::parse(bench::programmeListReply()).value();
  reportAgainstBoost(state, "models from the parsed reply alone", "none (a part of the road)", [&] {
    benchmark::DoNotOptimize(
        api::ReplyReader::listProgrammes(parsed["data"]["lists"], api::ReplyReader::Channels::listed));
  });
}
BENCHMARK(BM_ListModelsFromParsedReply)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
