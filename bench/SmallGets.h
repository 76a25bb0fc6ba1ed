#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bench/AlternatedMedians.h"
#include "bench/Measurement.h"
#include "platform/foundation/RunLoop.h"
#include "src/http/HTTPRequest.h"

namespace bench {

// Sequential small GETs: each completion, delivered on the main thread, starts the next request.
inline constexpr int kSmallRequests = 5000;

// One round of kSmallRequests through the engine; false on a failure.
inline bool engineSmallRound(const std::string& url) {
  bool ok = true;
  for (int i = 0; i < kSmallRequests && ok; ++i) {
    bool done = false;
    auto request = http::HTTPRequest::requestWithURL(url);
    request->setCompletionBlock([&done] { done = true; });
    request->setFailureBlock([&] { done = true, ok = false; });
    request->startAsynchronous();
    foundation::RunLoop::main().runUntil([&done] { return done; }, foundation::Duration(30));
  }
  return ok;
}

// One side's figures over alternated rounds.
struct SmallGetFigures {
  Spread rate;               // requests per second
  Spread cpu;                // seconds per round
  double peakGrowthMiB = 0;  // the largest of the rounds
};

// Rounds of a peer and of the engine, alternated so that both meet the same machine; each side's
// figures are the medians of its rounds, with their ranges.
inline void medianOfAlternatedRounds(int rounds, const std::function<bool()>& peerRound,
                                     const std::function<bool()>& engineRound, SmallGetFigures& peer,
                                     SmallGetFigures& engine, bool& ok) {
  std::vector<double> peerRates, engineRates, peerCpu, engineCpu;
  auto measure = [&ok](const std::function<bool()>& round, std::vector<double>& rates, std::vector<double>& cpu,
                       double& peakGrowthMiB) {
    Measurement measurement;
    ok = round() && ok;
    rates.push_back(kSmallRequests / measurement.seconds());
    cpu.push_back(measurement.cpu());
    peakGrowthMiB = std::max(peakGrowthMiB, measurement.peakGrowthMiB());
  };
  alternateRounds(
      rounds, [&] { measure(engineRound, engineRates, engineCpu, engine.peakGrowthMiB); },
      [&] { measure(peerRound, peerRates, peerCpu, peer.peakGrowthMiB); });
  peer.rate = Spread::of(peerRates);
  peer.cpu = Spread::of(peerCpu);
  engine.rate = Spread::of(engineRates);
  engine.cpu = Spread::of(engineCpu);
}

}  // namespace bench
