// The zunoradio program against gst-launch-1.0 playbin on the same loopback station: the time
// from launch to the first song playing, and CPU time and peak resident set over 60 s of play.
// Run: build/<dir>/bench/bench_app_startup (counters are ratios to gst-launch; at most 1.5 for
// the start and the memory, 1.3 for the CPU time).
#include <benchmark/benchmark.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/station/SampleStation.h"
#include "platform/net/LocalHTTPServer.h"
#include "tests/app/ChildProcess.h"

namespace {

using apptest::ChildProcess;
constexpr auto kPlayTime = std::chrono::milliseconds(60000);
constexpr int kStartRounds = 5;

double cpuSeconds(const rusage& usage) {
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::vector<std::string> gstPlay(const std::string& uri) {
  return {"/usr/bin/gst-launch-1.0", "playbin", "uri=" + uri, "audio-sink=fakesink sync=true", "video-sink=fakesink"};
}

std::vector<std::string> zunoradio(const std::string& server, const std::string& home) {
  ::setenv("ZUNORADIO_HOME", home.c_str(), 1);
  return {ZR_ZUNORADIO_PATH, "--server", server, "--sink", "fake"};
}

std::string freshHome() {
  char pattern[] = "/tmp/zunoradio-bench-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (!made) throw std::runtime_error("mkdtemp");
  return made;
}

void LaunchToFirstSong(benchmark::State& state) {
  station::SampleStation station(ZR_SAMPLE_MEDIA_DIR);
  if (!station.start().ok()) return state.SkipWithError("the sample station did not start");
  double program = 0;
  double peer = 0;
  for (auto _ : state) {
    for (int round = 0; round < kStartRounds; ++round) {
      ChildProcess radio(zunoradio(station.baseUrl(), freshHome()));
      if (!radio.readUntil("\xE2\x96\xB6")) return state.SkipWithError("zunoradio played nothing");
      program += radio.secondsSinceStart();  // at the song line's play mark
      ChildProcess gst(gstPlay(station.baseUrl() + "/song/2001.mp3"));
      if (!gst.readUntil("New clock")) return state.SkipWithError("gst-launch played nothing");
      peer += gst.secondsSinceStart();
    }
  }
  state.counters["zunoradio_ms"] = 1000 * program / kStartRounds;
  state.counters["gst_launch_ms"] = 1000 * peer / kStartRounds;
  state.counters["ratio"] = program / peer;
}

void SixtySecondsOfPlay(benchmark::State& state) {
  station::SampleStation station(ZR_SAMPLE_MEDIA_DIR);
  if (!station.start().ok()) return state.SkipWithError("the sample station did not start");
  std::ifstream longSong(std::string(ZR_SAMPLE_MEDIA_DIR) + "/song-60s.mp3", std::ios::binary);
  const std::string longSongBytes((std::istreambuf_iterator<char>(longSong)), std::istreambuf_iterator<char>());
  net::LocalHTTPServer files;
  files.route("/song-60s.mp3", [&](const net::LocalRequest& request) {
    return net::LocalReply::ranged(request, longSongBytes, "audio/mpeg");
  });
  if (!files.start().ok()) return state.SkipWithError("the file server did not start");
  rusage program{};
  rusage peer{};
  for (auto _ : state) {
    ChildProcess radio(zunoradio(station.baseUrl(), freshHome()));
    radio.readFor(kPlayTime);
    radio.say("q\n");
    program = radio.finish().second;
    ChildProcess gst(gstPlay(files.baseURL() + "/song-60s.mp3"));
    gst.readFor(kPlayTime);
    peer = gst.finish(SIGINT).second;
  }
  state.counters["zunoradio_cpu_s"] = cpuSeconds(program);
  state.counters["gst_launch_cpu_s"] = cpuSeconds(peer);
  state.counters["cpu_ratio"] = cpuSeconds(program) / cpuSeconds(peer);
  state.counters["zunoradio_peak_MiB"] = static_cast<double>(program.ru_maxrss) / 1024;
  state.counters["gst_launch_peak_MiB"] = static_cast<double>(peer.ru_maxrss) / 1024;
  state.counters["rss_ratio"] = static_cast<double>(program.ru_maxrss) / static_cast<double>(peer.ru_maxrss);
}

BENCHMARK(LaunchToFirstSong)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SixtySecondsOfPlay)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
