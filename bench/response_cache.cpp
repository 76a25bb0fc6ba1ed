// A 1 MB response served from the response cache under policy 4 (use while current), against
// fetching the same file from nginx on loopback, both through the engine and both taking the
// body from the request as a caller would. Target: the cached answer at least 5x faster; the
// "x_faster" counter is that ratio of the median rounds.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "src/http/DownloadCache.h"
#include "src/http/HTTPRequest.h"

#include "bench/AlternatedMedians.h"
#include "bench/LoopbackNginx.h"

namespace {

constexpr std::size_t kBodySize = 1 << 20;
constexpr int kFetchesPerRound = 20;
constexpr int kRounds = 11;

class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  std::string url() const { return nginx_.url("/one.bin"); }
  const std::shared_ptr<http::DownloadCache>& cache() const { return cache_; }

 private:
  Fixture() {
    if (!cache_->setStoragePath(nginx_.home() + "/cache").ok()) throw std::runtime_error("no cache folder");
  }

  bench::LoopbackNginx nginx_{
      [](const std::string& www) { http::test::writeFile(www + "/one.bin", foundation::Bytes(kBodySize, 'c')); }};
  std::shared_ptr<http::DownloadCache> cache_ = std::make_shared<http::DownloadCache>();
};

// One GET through the engine, its body taken and checked; with a cache, policy 4 and an hour's
// life for what it stores.
void fetch(const std::shared_ptr<http::DownloadCache>& cache, bool expectCached) {
  bool done = false;
  bool ok = true;
  auto request = http::HTTPRequest::requestWithURL(Fixture::get().url(), cache, http::kAskServerIfModifiedWhenStale);
  if (!cache) request->setDownloadCache(nullptr);
  request->setSecondsToCache(3600);
  request->setCompletionBlock([&done] { done = true; });
  request->setFailureBlock([&] { done = true, ok = false; });
  request->startAsynchronous();
  foundation::RunLoop::main().runUntil([&done] { return done; }, foundation::Duration(30));
  auto body = request->responseData();
  if (!ok || !body || body->size() != kBodySize || body->back() != 'c' ||
      request->didUseCachedResponse() != expectCached)
    throw std::runtime_error("fetch went wrong");
}

void BM_CachedAgainstNginx(benchmark::State& state) {
  const auto& cache = Fixture::get().cache();
  fetch(cache, false);  // fills the cache
  bench::MedianSeconds round;
  for (auto _ : state) {
    round = bench::alternatedMedians(
        kRounds,
        [&] {
          for (int i = 0; i < kFetchesPerRound; ++i) fetch(cache, true);
        },
        [] {
          for (int i = 0; i < kFetchesPerRound; ++i) fetch(nullptr, false);
        });
  }
  state.counters["nginx_per_s"] = kFetchesPerRound / round.peer;
  state.counters["cached_per_s"] = kFetchesPerRound / round.ours;
  state.counters["x_faster"] = round.peer / round.ours;
  bench::printComparison("a cached 1 MB response, speed against fetching it from nginx", round.peer / round.ours,
                         "at least 5x", "cached", round.oursRounds, "nginx", round.peerRounds, "s per round");
}
BENCHMARK(BM_CachedAgainstNginx)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
