#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// Seconds of the median round of each side.
struct MedianSeconds {
  double ours = 0;
  double peer = 0;
};

// Times `repetitions` rounds of each side, alternated so that both meet the same machine. The
// median, unlike the fastest round, does not reward a side for one lucky quiet moment on a
// shared host, and unlike the mean it ignores the odd disturbed round.
inline MedianSeconds alternatedMedians(int repetitions, const std::function<void()>& ours,
                                       const std::function<void()>& peer) {
  auto seconds = [](const std::function<void()>& round) {
    auto start = std::chrono::steady_clock::now();
    round();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  auto median = [](std::vector<double> figures) {
    std::nth_element(figures.begin(), figures.begin() + figures.size() / 2, figures.end());
    return figures[figures.size() / 2];
  };
  std::vector<double> oursRounds;
  std::vector<double> peerRounds;
  for (int i = 0; i < repetitions; ++i) {
    peerRounds.push_back(seconds(peer));
    oursRounds.push_back(seconds(ours));
  }
  return {median(oursRounds), median(peerRounds)};
}

}  // namespace bench
