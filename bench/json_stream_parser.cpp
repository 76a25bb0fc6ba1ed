// The JSON stream parser on the 1 MB programme-list reply, whole and in 4 KiB pieces, against
// Boost.JSON's parser on the same bytes (whole, and its stream parser on the same pieces).
// Target: at least half Boost.JSON's speed; the "x_boost_speed" counters are that ratio of the
// median runs.
#include <benchmark/benchmark.h>

#include <boost/json/parse.hpp>
#include <boost/json/stream_parser.hpp>

#include <stdexcept>
#include <string_view>

#include "src/framework/json/JsonParser.h"
#include "src/framework/json/JsonStreamParser.h"
#include "src/framework/json/JsonStreamParserAdapter.h"

#include "bench/AlternatedMedians.h"
#include "bench/ProgrammeListReply.h"

namespace {

constexpr std::size_t kPiece = 4096;
constexpr int kRuns = 31;

void boostWhole() { benchmark::DoNotOptimize(boost::json::parse(bench::programmeListReply())); }

void boostPieces() {
  std::string_view text = bench::programmeListReply();
  boost::json::stream_parser parser;
  for (std::size_t at = 0; at < text.size(); at += kPiece) parser.write(text.substr(at, kPiece));
  parser.finish();
  benchmark::DoNotOptimize(parser.release());
}

void ourWhole() {
  framework::JsonParser parser;
  auto value = parser.objectWithData(bench::programmeListReply());
  if (!value) throw std::runtime_error(parser.error());
  benchmark::DoNotOptimize(value);
}

void ourPieces() {
  std::string_view text = bench::programmeListReply();
  framework::JsonStreamParserAccumulator accumulator;
  framework::JsonStreamParserAdapter adapter;
  adapter.setDelegate(&accumulator);
  framework::JsonStreamParser parser;
  parser.setDelegate(&adapter);
  auto status = framework::JsonStreamParserStatus::waitingForData;
  for (std::size_t at = 0; at < text.size(); at += kPiece) status = parser.parse(text.substr(at, kPiece));
  if (status != framework::JsonStreamParserStatus::complete) throw std::runtime_error(parser.error());
  benchmark::DoNotOptimize(accumulator.value());
}

// The median of alternated runs of each side; reports ours against Boost's.
void compare(benchmark::State& state, const std::string& what, void (*ours)(), void (*boost)()) {
  bench::MedianSeconds run;
  for (auto _ : state) run = bench::alternatedMedians(kRuns, ours, boost);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::programmeListReply().size()));
  state.counters["ours_ms"] = run.ours * 1e3;
  state.counters["boost_ms"] = run.peer * 1e3;
  state.counters["x_boost_speed"] = run.peer / run.ours;
  bench::printComparison(what + ", speed against Boost.JSON", run.peer / run.ours, "at least 0.5x", "ours",
                         run.oursRounds, "Boost.JSON", run.peerRounds, "s");
}

void BM_WholeReply(benchmark::State& state) { compare(state, "the 1 MB programme list whole", ourWhole, boostWhole); }
BENCHMARK(BM_WholeReply)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReplyIn4KiBPieces(benchmark::State& state) { compare(state, "the 1 MB programme list in 4 KiB pieces", ourPieces, boostPieces); }
BENCHMARK(BM_ReplyIn4KiBPieces)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
