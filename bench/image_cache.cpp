// The image cache under its 20 fetch threads: memory hits, disk hits and misses of 640 x 640
// JPEG pictures, each with the memory part bounded (the default) and unbounded. Reports pictures
// per second and the growth of the peak resident set. Run: build/<dir>/bench/bench_image_cache
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ProxySettings.h"
#include "platform/ui/Image.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/framework/images/QRVImageDataOperation.h"
#include "tests/http/NginxServer.h"
#include "tests/http/TemporaryDirectory.h"

#include "bench/CoverPicture.h"
#include "bench/Measurement.h"

namespace {

using framework::QRVImageCacheManager;
using framework::QRVImageDataOperation;

constexpr int kSide = 640;
constexpr int kMemoryPictures = 30;  // 30 x 1.6 MB fits the default bound
constexpr int kMemoryLoads = 3000;
constexpr int kDiskPictures = 200;  // 200 x 1.6 MB does not
constexpr int kMissPictures = 200;

using bench::Measurement;

foundation::Bytes coverJpeg() { return bench::coverPicture(kSide)->jpegData(0.85).value(); }

// One nginx serving the cover for the whole run, and a home of its own.
class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  // A distinct URL of the cover: the query makes each its own picture.
  std::string url(const std::string& scenario, int index) const {
    return server_.url("/cover.jpg?" + scenario + "=" + std::to_string(index));
  }
  const foundation::Bytes& cover() const { return cover_; }

 private:
  Fixture() : server_(false), cover_(coverJpeg()) {
    foundation::RunLoop::main();
    foundation::Paths::setHomeForTesting(home_.path().string());
    net::ProxySettings::setSystemForTesting(net::ProxySettings());
    http::test::writeFile(server_.www() + "/cover.jpg", cover_);
    std::string failure = server_.start();
    if (!failure.empty()) throw std::runtime_error(failure);
  }

  http::test::TemporaryDirectory home_;
  http::test::NginxServer server_;
  foundation::Bytes cover_;
};

// A manager as after a start, with the memory part bounded or not.
QRVImageCacheManager& freshManager(bool bounded) {
  QRVImageCacheManager::resetSharedManagerForTesting();
  auto& manager = QRVImageCacheManager::sharedManager();
  manager.memoryCache().setCostLimit(bounded ? QRVImageCacheManager::kDefaultMemoryCostLimit : 0);
  return manager;
}

// Runs one fetch per URL on the manager's queue and waits for all of them.
void loadAll(QRVImageCacheManager& manager, const std::vector<std::string>& urls) {
  for (const std::string& url : urls) manager.imageQueue().addOperation(QRVImageDataOperation::create(url, {}));
  manager.imageQueue().waitUntilAllOperationsAreFinished();
}

void report(benchmark::State& state, const Measurement& measurement, std::size_t pictures) {
  state.counters["pictures_per_s"] = static_cast<double>(pictures) / measurement.seconds();
  state.counters["peak_rss_growth_MiB"] = measurement.peakGrowthMiB();
}

void memoryHits(benchmark::State& state, bool bounded) {
  auto& manager = freshManager(bounded);
  auto picture = ui::Image::decode(Fixture::get().cover()).value();
  std::vector<std::string> urls;
  for (int i = 0; i < kMemoryLoads; ++i) urls.push_back(Fixture::get().url("memory", i % kMemoryPictures));
  for (int i = 0; i < kMemoryPictures; ++i)
    manager.saveToMemory(ui::Image::fromPixels(kSide, kSide, picture->pixels()),
                         QRVImageCacheManager::getKeyFromUrl(urls[static_cast<std::size_t>(i)]));
  for (auto _ : state) {
    Measurement measurement;
    loadAll(manager, urls);
    report(state, measurement, urls.size());
  }
}

void diskHits(benchmark::State& state, bool bounded) {
  auto& manager = freshManager(bounded);
  std::vector<std::string> urls;
  for (int i = 0; i < kDiskPictures; ++i) urls.push_back(Fixture::get().url("disk", i));
  auto picture = ui::Image::decode(Fixture::get().cover()).value();
  for (const std::string& url : urls) {
    if (!manager.saveImage(picture, Fixture::get().cover(), url).ok()) state.SkipWithError("cannot write the files");
  }
  for (auto _ : state) {
    manager.clearMemoryCache();
    Measurement measurement;
    loadAll(manager, urls);
    report(state, measurement, urls.size());
  }
}

void misses(benchmark::State& state, bool bounded) {
  auto& manager = freshManager(bounded);
  int round = 0;
  for (auto _ : state) {
    std::vector<std::string> urls;
    for (int i = 0; i < kMissPictures; ++i) urls.push_back(Fixture::get().url("miss" + std::to_string(round), i));
    ++round;
    Measurement measurement;
    loadAll(manager, urls);
    report(state, measurement, urls.size());
    if (!manager.isDiskCacheExit(urls.back())) state.SkipWithError("a picture was not fetched");
  }
}

void registerAll() {
  auto once = [](benchmark::internal::Benchmark* b) { b->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime(); };
  for (bool bounded : {true, false}) {
    std::string suffix = bounded ? "/bounded" : "/unbounded";
    once(benchmark::RegisterBenchmark(("a_memory_hits" + suffix).c_str(), memoryHits, bounded));
    once(benchmark::RegisterBenchmark(("b_disk_hits_640px_jpeg" + suffix).c_str(), diskHits, bounded));
    once(benchmark::RegisterBenchmark(("c_misses_640px_jpeg" + suffix).c_str(), misses, bounded));
  }
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  framework::QRVImageCacheManager::resetSharedManagerForTesting();
  return 0;
}
