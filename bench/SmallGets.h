#pragma once

#include <functional>
#include <string>

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

struct RoundFigures {
  double rate = 0;  // requests per second
  double cpu = 0;   // seconds
  double peakGrowthMiB = 0;
};

inline RoundFigures measureSmallRound(const std::function<bool()>& round, bool& ok) {
  Measurement measurement;
  ok = round() && ok;
  return {kSmallRequests / measurement.seconds(), measurement.cpu(), measurement.peakGrowthMiB()};
}

// Rounds of a peer and of the engine, alternated so that both meet the same machine; each side's
// fastest round is its figure, the one least disturbed by other work on a shared host.
inline void bestOfAlternatedRounds(int rounds, const std::function<bool()>& peerRound,
                                   const std::function<bool()>& engineRound, RoundFigures& peer, RoundFigures& engine,
                                   bool& ok) {
  for (int round = 0; round < rounds; ++round) {
    RoundFigures peerFigures = measureSmallRound(peerRound, ok);
    RoundFigures engineFigures = measureSmallRound(engineRound, ok);
    if (peerFigures.rate > peer.rate) peer = peerFigures;
    if (engineFigures.rate > engine.rate) engine = engineFigures;
  }
}

}  // namespace bench
