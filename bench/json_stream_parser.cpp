// The JSON stream parser on the 1 MB programme-list reply, whole and in 4 KiB pieces, against
// Boost.JSON's parser on the same bytes (whole, and its stream parser on the same pieces).
// Target: at least half Boost.JSON's speed; the "x_boost_speed" counters are that ratio.
#include <benchmark/benchmark.h>

#include <boost/json/parse.hpp>
#include <boost/json/stream_parser.hpp>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string_view>

#include "src/framework/json/JsonParser.h"
#include "src/framework/json/JsonStreamParser.h"
#include "src/framework/json/JsonStreamParserAdapter.h"

#include "bench/ProgrammeListReply.h"

namespace {

constexpr std::size_t kPiece = 4096;

double bestSeconds(const std::function<void()>& work, int runs = 15) {
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

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

// Alternates the two sides so both meet the same machine; reports ours against Boost's.
void compare(benchmark::State& state, void (*ours)(), void (*boost)()) {
  double oursBest = 1e9;
  double boostBest = 1e9;
  for (auto _ : state) {
    oursBest = std::min(oursBest, bestSeconds(ours, 5));
    boostBest = std::min(boostBest, bestSeconds(boost, 5));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::programmeListReply().size()));
  state.counters["ours_ms"] = oursBest * 1e3;
  state.counters["boost_ms"] = boostBest * 1e3;
  state.counters["x_boost_speed"] = boostBest / oursBest;
}

void BM_WholeReply(benchmark::State& state) { compare(state, ourWhole, boostWhole); }
BENCHMARK(BM_WholeReply)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReplyIn4KiBPieces(benchmark::State& state) { compare(state, ourPieces, boostPieces); }
BENCHMARK(BM_ReplyIn4KiBPieces)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
