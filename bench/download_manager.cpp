// The download manager against the curl program fetching the same files, two at a time, from the
// same loopback nginx: a programme of 20 songs of 4 MiB, in alternated rounds. Reports the ratio
// of the median wall times, with their ranges (target at most 1.1), the growth of the peak
// resident set while the manager downloads (target under 16 MiB), and the bytes fetched again
// after a connection dropped in the middle of a song (target under one read buffer). Run:
// build/<dir>/bench/bench_download_manager
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/AlternatedMedians.h"
#include "bench/Measurement.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/ProxySettings.h"
#include "platform/net/ReachabilityManualSource.h"
#include "src/api/models/ProgramModel.h"
#include "src/api/models/SongModel.h"
#include "src/api/models/UserModel.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"
#include "tests/http/NginxServer.h"
#include "tests/http/TemporaryDirectory.h"
#include "tests/support/LoopbackServer.h"

namespace {

using playback::DBManager;
using playback::DownloadManager;

constexpr int kSongs = 20;
constexpr std::uintmax_t kSongBytes = 4u << 20;
constexpr int kRounds = 5;
constexpr std::size_t kDropAfterBytes = 1'500'000;
constexpr const char* kUid = "5821";

// One nginx serving the songs, one home, a logged-in user who chose to download, on Wi-Fi.
class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  std::string url(int song) const { return nginx_.url("/" + std::to_string(song) + ".mp3"); }
  std::string curlFolder() const { return curlFolder_.path().string(); }

 private:
  Fixture() : nginx_(false) {
    foundation::RunLoop::main();
    foundation::Paths::setHomeForTesting(home_.path().string());
    net::ProxySettings::setSystemForTesting(net::ProxySettings());
    net::ReachabilitySource::setSystemForTesting(
        std::make_shared<net::ReachabilityManualSource>(net::kReachabilityReachable));
    framework::NetWorkUitil::resetDefaultUitilForTesting();
    for (int song = 1; song <= kSongs; ++song) {
      const std::string path = nginx_.www() + "/" + std::to_string(song) + ".mp3";
      std::ofstream(path, std::ios::binary | std::ios::trunc);
      std::filesystem::resize_file(path, kSongBytes);  // sparse: nginx reads no disk
    }
    if (std::string failure = nginx_.start(); !failure.empty()) throw std::runtime_error(failure);
    auto user = api::UserModel::initWithDataDic(foundation::Dictionary{{"uid", kUid}});
    (void)framework::DataCacheManager::sharedManager().addObjectToMemory(user, framework::kUserIsLoginCacheKey);
    DownloadManager::sharedManager().setDownlodPause(false);
  }

  http::test::TemporaryDirectory home_;
  http::test::TemporaryDirectory curlFolder_;
  http::test::NginxServer nginx_;
};

api::ProgramModelPtr programme(std::int64_t id, const std::function<std::string(int)>& urlOf, int songs) {
  auto model = api::ProgramModel::initWithDataDic(
      foundation::Dictionary{{"program_id", std::to_string(id)}, {"modify_time", "1"}});
  std::vector<api::SongModelPtr> list;
  for (int song = 1; song <= songs; ++song)
    list.push_back(api::SongModel::initWithDataDic(
        foundation::Dictionary{{"song_id", std::to_string(song)}, {"audio_url", urlOf(song)}}));
  model->setSongsArr(std::move(list));
  return model;
}

// Downloads the programme from scratch; false when it did not complete.
bool managerRound(std::int64_t id) {
  bool done = false;
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(&done, DownloadManager::kProgramIsDownloaded,
                     [&done](const foundation::Notification&) { done = true; });
  (void)foundation::FileManager::removeItem(playback::DownloadPaths::songsDir());
  DBManager::sharedManager().insertProgram(programme(
      id, [](int s) { return Fixture::get().url(s); }, kSongs));
  DownloadManager::sharedManager().downloadProgramById(id);
  foundation::RunLoop::main().runUntil([&done] { return done; }, foundation::Duration(600));
  center.removeObserver(&done);
  (void)DBManager::sharedManager().deleteProgram(id);
  return done;
}

bool curlRound() {
  std::string command = "curl -s -f --parallel --parallel-max 2";
  for (int song = 1; song <= kSongs; ++song)
    command += " -o " + Fixture::get().curlFolder() + "/" + std::to_string(song) + ".mp3 " + Fixture::get().url(song);
  command += " > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

void programmeDownload(benchmark::State& state) {
  Fixture::get();
  for (auto _ : state) {
    std::vector<double> curlSeconds, managerSeconds, growth;
    bool ok = true;
    int round = 0;
    bench::alternateRounds(
        kRounds,
        [&] {
          bench::Measurement manager;
          ok = managerRound(1000 + round++) && ok;
          managerSeconds.push_back(manager.seconds());
          growth.push_back(manager.peakGrowthMiB());
        },
        [&] {
          bench::Measurement curl;
          ok = curlRound() && ok;
          curlSeconds.push_back(curl.seconds());
        });
    if (!ok) state.SkipWithError("a download failed");
    const auto curl = bench::Spread::of(curlSeconds);
    const auto manager = bench::Spread::of(managerSeconds);
    bench::addSpreadCounters(state, "curl_s", curl);
    bench::addSpreadCounters(state, "manager_s", manager);
    state.counters["time_vs_curl"] = manager.median / curl.median;
    const auto rss = bench::Spread::of(growth);
    state.counters["rss_growth_MiB_worst"] = rss.high;
    bench::printComparison("a programme of 20 songs of 4 MiB, two at a time, wall time against curl",
                           manager.median / curl.median, "at most 1.1x", "manager", manager, "curl", curl, "s");
    std::printf("  the manager's peak resident set grew by %.1f MiB at most (median %.1f; target under 16 MiB)\n",
                rss.high, rss.median);
  }
}

// A song whose first connection drops after kDropAfterBytes bytes; the retry's Range start says
// how much of what arrived was kept.
void resumeAfterDrop(benchmark::State& state) {
  Fixture::get();
  for (auto _ : state) {
    testsupport::LoopbackServer server;
    const std::string content(kSongBytes, 'x');
    std::uint64_t rangeStart = 0;
    int attempts = 0;
    server.route("GET", "/drop.mp3", [&](const testsupport::RecordedRequest& request) {
      if (++attempts == 1) {
        testsupport::Reply dropped = testsupport::Reply::text(content);
        dropped.fault = testsupport::Fault::kCloseAfterBytes;
        dropped.faultAfterBytes = kDropAfterBytes;
        return dropped;
      }
      const std::string range = request.header("Range").value_or("bytes=0-");
      rangeStart = std::stoull(range.substr(6));
      return testsupport::Reply::ranged(request, content, testsupport::RangeMode::kHonour);
    });
    const std::int64_t id = 2000;
    bool done = false;
    foundation::NotificationCenter::defaultCenter().addObserver(
        &done, DownloadManager::kProgramIsDownloaded, [&done](const foundation::Notification&) { done = true; });
    DBManager::sharedManager().insertProgram(programme(
        id, [&](int) { return server.url("/drop.mp3"); }, 1));
    DownloadManager& manager = DownloadManager::sharedManager();
    manager.downloadProgramById(id);
    foundation::RunLoop::main().runUntil([&] { return attempts == 1 && !manager.isDownloading(); },
                                         foundation::Duration(60));
    manager.continueDownload();  // the retry, without waiting for its timer
    foundation::RunLoop::main().runUntil([&done] { return done; }, foundation::Duration(60));
    foundation::NotificationCenter::defaultCenter().removeObserver(&done);
    (void)manager.cancelDownloadByProgramId(id);
    if (!done) state.SkipWithError("the song did not complete");
    // What the server sent the first time (its reply head included) less what was kept.
    state.counters["refetched_bytes_at_most"] = static_cast<double>(kDropAfterBytes - rangeStart);
  }
}

}  // namespace

BENCHMARK(programmeDownload)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(resumeAfterDrop)->Iterations(1);
BENCHMARK_MAIN();
