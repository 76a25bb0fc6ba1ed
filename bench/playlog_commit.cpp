// 10,000 stored play records committed to the loopback web API: how long the main loop stalls
// while they go out, against the same loop left idle for as long, in alternated rounds (medians
// and ranges), and whether every record arrived exactly once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/AlternatedMedians.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityManualSource.h"
#include "src/api/requests/BaseDataRequest.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/framework/network/Reachability.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/managers/PlayLogCommit.h"
#include "src/playback/managers/PlayLogFolder.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/support/TestStation.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kRounds = 3;
constexpr double kFirstIdleSpan = 2.0;  // seconds
using Clock = std::chrono::steady_clock;

// The gaps between ticks of a 1 ms main-loop timer: the longest, and the 99.9th percentile,
// which a loaded machine's scheduling disturbs less.
struct Stalls {
  double longestMs = 0;
  double p999Ms = 0;
};

// Runs the main loop with a 1 ms timer until `done` holds (or, with no condition, for `span`).
Stalls measureStalls(const std::function<bool()>& done, Clock::duration span) {
  Clock::time_point last = Clock::now();
  std::vector<double> gaps;
  auto tick = foundation::RunLoop::main().scheduleTimer(foundation::Duration(0.001), true, [&] {
    const Clock::time_point now = Clock::now();
    gaps.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  });
  const Clock::time_point end = Clock::now() + span;
  foundation::RunLoop::main().runUntil([&] { return done ? done() : Clock::now() >= end; }, foundation::Duration(600));
  tick->invalidate();
  if (gaps.empty()) return {};
  std::sort(gaps.begin(), gaps.end());
  return {gaps.back(), gaps[gaps.size() * 999 / 1000]};
}

void goOnline(const std::shared_ptr<net::ReachabilityManualSource>& network) {
  net::ReachabilitySource::setSystemForTesting(network);
  framework::NetWorkUitil::resetDefaultUitilForTesting();
  (void)services::AppDelegate::sharedDelegate();
  foundation::NotificationCenter::defaultCenter().postNotificationName(
      framework::kReachabilityChangedNotification, framework::Reachability::reachabilityForInternetConnection());
}

// Stores the records, commits them while measuring the main loop's stalls, and checks that every
// record arrived exactly once; false when not, or when files were left.
bool commitRound(Stalls& stalls, double& seconds) {
  foundation::Paths::useFreshHomeForTesting();
  testsupport::TestStation api;
  api::BaseDataRequest::setApiBaseUrlForTesting(api.baseUrl());
  auto network = std::make_shared<net::ReachabilityManualSource>(net::kReachabilityReachable);
  goOnline(network);
  for (int i = 0; i < kRecords; ++i)
    (void)playback::PlayLogFolder::store(
        {{"song_id", std::to_string(i)}, {"time", std::to_string(1700000000 + i)}, {"source", "3"}});

  const Clock::time_point start = Clock::now();
  playback::PlayApiManager::commitOfflineLog();
  bool started = false;
  stalls = measureStalls(
      [&started] {
        const bool running = playback::PlayLogCommit::shared().isRunning();
        started = started || running;
        return started && !running;
      },
      {});
  seconds = std::chrono::duration<double>(Clock::now() - start).count();

  std::map<std::string, int> arrived;
  for (const auto& call : api.callsTo("play._playLog"))
    if (auto parsed = foundation::Json::parse(call.formValue("js_logs").value_or("[]")); parsed && parsed->isArray())
      for (const auto& record : *parsed->getArray()) ++arrived[record["song_id"].toString()];
  int once = 0;
  for (const auto& [id, count] : arrived) once += count == 1;
  api::BaseDataRequest::setApiBaseUrlForTesting("");
  net::ReachabilitySource::setSystemForTesting(nullptr);
  return once == kRecords && arrived.size() == static_cast<std::size_t>(kRecords) &&
         playback::PlayLogFolder::list().empty();
}

// Rounds of committing and of the same loop left idle, alternated; the idle rounds last as long
// as the commit before them (the first as long as kFirstIdleSpan).
void BM_CommitStoredPlayLogs(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<double> committing, idle, committingP999, idleP999, commitSeconds;
    bool ok = true;
    double lastCommit = kFirstIdleSpan;
    bench::alternateRounds(
        kRounds,
        [&] {
          Stalls stalls;
          ok = commitRound(stalls, lastCommit) && ok;
          committing.push_back(stalls.longestMs);
          committingP999.push_back(stalls.p999Ms);
          commitSeconds.push_back(lastCommit);
        },
        [&] {
          const Stalls stalls =
              measureStalls({}, std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(lastCommit)));
          idle.push_back(stalls.longestMs);
          idleP999.push_back(stalls.p999Ms);
        });
    const auto commitStall = bench::Spread::of(committing);
    const auto idleStall = bench::Spread::of(idle);
    state.SetIterationTime(bench::Spread::of(commitSeconds).median);
    bench::addSpreadCounters(state, "commit_seconds", bench::Spread::of(commitSeconds));
    bench::addSpreadCounters(state, "stall_ms_committing", commitStall);
    bench::addSpreadCounters(state, "stall_ms_idle", idleStall);
    bench::addSpreadCounters(state, "p999_ms_committing", bench::Spread::of(committingP999));
    bench::addSpreadCounters(state, "p999_ms_idle", bench::Spread::of(idleP999));
    state.counters["stall_ratio"] = commitStall.median / std::max(idleStall.median, 1e-9);
    bench::printComparison("10,000 stored play logs committed, longest main-loop stall against the idle loop",
                           commitStall.median / std::max(idleStall.median, 1e-9), "at most 2x", "committing",
                           commitStall, "idle", idleStall, "ms");
    if (!ok) state.SkipWithError("not every record arrived exactly once, or files were left");
  }
}
BENCHMARK(BM_CommitStoredPlayLogs)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
