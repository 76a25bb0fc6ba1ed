#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// One side's figure over its rounds: the median, unlike the fastest round, does not reward a side
// for one lucky quiet moment on a shared host, and unlike the mean it ignores the odd disturbed
// round; the range shows how disturbed the run was.
struct Spread {
  double median = 0;
  double low = 0;
  double high = 0;

  static Spread of(std::vector<double> figures) {
    if (figures.empty()) return {};
    std::sort(figures.begin(), figures.end());
    const std::size_t middle = figures.size() / 2;
    const double median = figures.size() % 2 == 1 ? figures[middle] : (figures[middle - 1] + figures[middle]) / 2;
    return {median, figures.front(), figures.back()};
  }
};

// Seconds of the median round of each side, and each side's rounds.
struct MedianSeconds {
  double ours = 0;
  double peer = 0;
  Spread oursRounds;
  Spread peerRounds;
};

// Runs `repetitions` rounds of each side, taking turns at going first, so that neither always
// meets the machine as the other left it (a warm cache, a busy disk).
inline void alternateRounds(int repetitions, const std::function<void()>& ours, const std::function<void()>& peer) {
  for (int i = 0; i < repetitions; ++i) {
    if (i % 2 == 0) {
      peer();
      ours();
    } else {
      ours();
      peer();
    }
  }
}

inline double secondsOf(const std::function<void()>& round) {
  auto start = std::chrono::steady_clock::now();
  round();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds of each side's median round over alternated rounds.
inline MedianSeconds alternatedMedians(int repetitions, const std::function<void()>& ours,
                                       const std::function<void()>& peer) {
  std::vector<double> oursRounds;
  std::vector<double> peerRounds;
  alternateRounds(
      repetitions, [&] { oursRounds.push_back(secondsOf(ours)); }, [&] { peerRounds.push_back(secondsOf(peer)); });
  const Spread oursSpread = Spread::of(oursRounds);
  const Spread peerSpread = Spread::of(peerRounds);
  return {oursSpread.median, peerSpread.median, oursSpread, peerSpread};
}

// Counters `name`, `name_low` and `name_high` of one side's figure.
inline void addSpreadCounters(benchmark::State& state, const std::string& name, const Spread& spread) {
  state.counters[name] = spread.median;
  state.counters[name + "_low"] = spread.low;
  state.counters[name + "_high"] = spread.high;
}

// One readable line: the ratio of the medians beside its target, then each side's median and range.
inline void printComparison(const std::string& what, double ratio, const std::string& target, const std::string& ours,
                            const Spread& oursSpread, const std::string& peer, const Spread& peerSpread,
                            const std::string& unit) {
  std::printf("%s: %.2fx (target %s); %s median %.4g %s (range %.4g-%.4g), %s median %.4g %s (range %.4g-%.4g)\n",
              what.c_str(), ratio, target.c_str(), ours.c_str(), oursSpread.median, unit.c_str(), oursSpread.low,
              oursSpread.high, peer.c_str(), peerSpread.median, unit.c_str(), peerSpread.low, peerSpread.high);
  std::fflush(stdout);
}

}  // namespace bench
