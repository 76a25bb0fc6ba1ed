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

// The best of a few bare parses: the yardstick of the ratio.
double boostParseSeconds() {
  static const double best = [] {
    double fastest = 1e9;
    for (int run = 0; run < 15; ++run)
      fastest = std::min(fastest, secondsOf([] { benchmark::DoNotOptimize(boost::json::parse(bench::programmeListReply())); }));
    return fastest;
  }();
  return best;
}

void BM_BoostJsonParse(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(boost::json::parse(bench::programmeListReply()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::programmeListReply().size()));
}
BENCHMARK(BM_BoostJsonParse)->Unit(benchmark::kMillisecond);

// Runs `work` once per iteration and reports its best time as a multiple of the bare parse.
void reportAgainstBoost(benchmark::State& state, const std::function<void()>& work) {
  double fastest = 1e9;
  for (auto _ : state) fastest = std::min(fastest, secondsOf(work));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::programmeListReply().size()));
  state.counters["x_boost_json"] = fastest / boostParseSeconds();
}

// The whole road of a reply: text to the request's result dictionary of programme models.
void BM_ReplyToModels(benchmark::State& state) {
  std::size_t programmes = 0;
  reportAgainstBoost(state, [&] {
    auto request = std::make_shared<api::ListChannelProgramsRequest>();
    request->handleResultString(bench::programmeListReply());
    programmes = request->resultDic()[api::kKeyArray].getArray()->size();
  });
  state.counters["programmes"] = static_cast<double>(programmes);
}
BENCHMARK(BM_ReplyToModels)->Unit(benchmark::kMillisecond);

// The two halves of the road, to show where its time goes: the platform's JSON reader ...
void BM_PlatformJsonParse(benchmark::State& state) {
  reportAgainstBoost(state, [] { benchmark::DoNotOptimize(foundation::Json::parse(bench::programmeListReply())); });
}
BENCHMARK(BM_PlatformJsonParse)->Unit(benchmark::kMillisecond);

// ... and the list pattern's models from the parsed reply.
void BM_ListModelsFromParsedReply(benchmark::State& state) {
  const Value parsed = foundation::Json::parse(bench::programmeListReply()).value();
  reportAgainstBoost(state, [&] {
    benchmark::DoNotOptimize(api::ReplyReader::listProgrammes(parsed["data"]["lists"], api::ReplyReader::Channels::listed));
  });
}
BENCHMARK(BM_ListModelsFromParsedReply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
