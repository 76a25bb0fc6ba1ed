// A 1 MB response served from the response cache under policy 4 (use while current), against
// fetching the same file from nginx on loopback, both through the engine. Target: the cached
// answer at least 5x faster; the "x_faster" counter is that ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ProxySettings.h"
#include "src/http/DownloadCache.h"
#include "src/http/HTTPRequest.h"
#include "tests/http/NginxServer.h"
#include "tests/http/TemporaryDirectory.h"

namespace {

constexpr int kFetchesPerRound = 40;

class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  std::string url() const { return server_.url("/one.bin"); }
  const std::shared_ptr<http::DownloadCache>& cache() const { return cache_; }

 private:
  Fixture() : server_(false) {
    foundation::RunLoop::main();
    foundation::Paths::setHomeForTesting(home_.path().string());
    net::ProxySettings::setSystemForTesting(net::ProxySettings());
    http::test::writeFile(server_.www() + "/one.bin", foundation::Bytes(1 << 20, 'c'));
    std::string failure = server_.start();
    if (!failure.empty()) throw std::runtime_error(failure);
    if (!cache_->setStoragePath(home_.path().string() + "/cache").ok()) throw std::runtime_error("no cache folder");
  }

  http::test::TemporaryDirectory home_;
  http::test::NginxServer server_;
  std::shared_ptr<http::DownloadCache> cache_ = std::make_shared<http::DownloadCache>();
};

// One GET through the engine; with a cache, policy 4 and an hour's life for what it stores.
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
  if (!ok || request->contentLength() != (1u << 20) || request->didUseCachedResponse() != expectCached)
    throw std::runtime_error("fetch went wrong");
}

double roundSeconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFetchesPerRound; ++i) work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CachedAgainstNginx(benchmark::State& state) {
  const auto& cache = Fixture::get().cache();
  fetch(cache, false);  // fills the cache
  double network = 1e9;
  double cached = 1e9;
  for (auto _ : state) {
    network = std::min(network, roundSeconds([] { fetch(nullptr, false); }));
    cached = std::min(cached, roundSeconds([&] { fetch(cache, true); }));
  }
  state.counters["nginx_per_s"] = kFetchesPerRound / network;
  state.counters["cached_per_s"] = kFetchesPerRound / cached;
  state.counters["x_faster"] = network / cached;
}
BENCHMARK(BM_CachedAgainstNginx)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
