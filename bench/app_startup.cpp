// The zunoradio program against GStreamer's own players on the same loopback station, each side
// alone on the machine while it is timed:
// - launch to the first song: gst-launch-1.0 playbin on one of the station's songs; median of
//   alternated rounds, target at most 1.2x;
// - 60 s of play, CPU time and peak resident set: gst-launch-1.0 playing one 60 s file (the
//   program meanwhile fetches and prerolls a few dozen items of 2-3 s, so this figure flatters
//   the peer), and gst-play-1.0 playing the very items the program played, from the same station
//   in the same order (the like-for-like figure; target at most 1.3x CPU, 1.5x memory).
// Run: build/<dir>/bench/bench_app_startup (scripts/bench installs gst-play-1.0).
#include <benchmark/benchmark.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/station/SampleStation.h"
#include "bench/AlternatedMedians.h"
#include "bench/FreshHome.h"
#include "platform/net/LocalHTTPServer.h"
#include "tests/app/ChildProcess.h"

namespace {

using apptest::ChildProcess;
constexpr auto kPlayTime = std::chrono::milliseconds(60000);
constexpr int kStartRounds = 11;
constexpr int kPlayRounds = 3;
const std::string kPlayMark = "\xE2\x96\xB6 ";  // the program's line for an item that starts

double cpuSeconds(const rusage& usage) {
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakMiB(const rusage& usage) { return static_cast<double>(usage.ru_maxrss) / 1024; }

std::vector<std::string> gstLaunch(const std::string& uri) {
  return {"/usr/bin/gst-launch-1.0", "playbin", "uri=" + uri, "audio-sink=fakesink sync=true", "video-sink=fakesink"};
}

// The program's own playbin plays audio only with software volume (flags 0x12).
std::vector<std::string> gstPlay(const std::vector<std::string>& uris) {
  std::vector<std::string> argv = {"/usr/bin/gst-play-1.0", "--no-interactive", "--flags=18",
                                   "--audiosink=fakesink sync=true", "--videosink=fakesink"};
  argv.insert(argv.end(), uris.begin(), uris.end());
  return argv;
}

std::vector<std::string> zunoradio(const std::string& server) {
  return {ZR_ZUNORADIO_PATH, "--server", server, "--sink", "fake"};
}

// The station's URL of each item the program's output says it played, in order; empty when a
// line names a song the catalogue does not hold.
std::vector<std::string> playedItems(const station::SampleStation& station, const std::string& output) {
  std::vector<std::string> urls;
  const station::SampleCatalogue& catalogue = station.catalogue();
  for (std::size_t at = output.find(kPlayMark); at != std::string::npos; at = output.find(kPlayMark, at + 1)) {
    const std::string line = output.substr(at + kPlayMark.size(), output.find('\n', at) - at - kPlayMark.size());
    if (line.rfind("Advert ", 0) == 0) {
      urls.push_back(catalogue.advertUrl());
      continue;
    }
    const std::string name = line.substr(0, line.find(" \xE2\x80\x94 "));
    const station::SampleSong* found = nullptr;
    for (const station::SampleRadio& radio : catalogue.radios())
      for (const station::SampleChannel& channel : radio.channels)
        for (const std::string& id : channel.programIds)
          if (const station::SampleProgram* program = catalogue.program(id); program && !found)
            for (const station::SampleSong& song : program->songs)
              if (song.name == name && !found) found = &song;
    if (!found) return {};
    urls.push_back(catalogue.songUrl(*found));
  }
  return urls;
}

void LaunchToFirstSong(benchmark::State& state) {
  station::SampleStation station(ZR_SAMPLE_MEDIA_DIR);
  if (!station.start().ok()) return state.SkipWithError("the sample station did not start");
  const std::string song = station.baseUrl() + "/song/2001.mp3";
  for (auto _ : state) {
    std::vector<double> program;
    std::vector<double> peer;
    bool ok = true;
    bench::alternateRounds(
        kStartRounds,
        [&] {
          bench::FreshHome home;
          ChildProcess radio(zunoradio(station.baseUrl()));
          ok = radio.readUntil(kPlayMark) && ok;
          program.push_back(radio.secondsSinceStart());
          radio.finish(SIGKILL);  // gone before the peer's round starts
        },
        [&] {
          ChildProcess gst(gstLaunch(song));
          ok = gst.readUntil("New clock") && ok;
          peer.push_back(gst.secondsSinceStart());
          gst.finish(SIGKILL);
        });
    if (!ok) return state.SkipWithError("a side played nothing");
    const auto ours = bench::Spread::of(program);
    const auto theirs = bench::Spread::of(peer);
    bench::addSpreadCounters(state, "zunoradio_s", ours);
    bench::addSpreadCounters(state, "gst_launch_s", theirs);
    state.counters["ratio"] = ours.median / theirs.median;
    bench::printComparison("launch to the first song against gst-launch-1.0 playbin", ours.median / theirs.median,
                           "at most 1.2x", "zunoradio", ours, "gst-launch-1.0", theirs, "s");
  }
}

struct PlayRound {
  std::vector<double> cpu;
  std::vector<double> peak;
  void add(const rusage& usage) {
    cpu.push_back(cpuSeconds(usage));
    peak.push_back(peakMiB(usage));
  }
};

// Counters under `key`, lines under `peerName`.
void compareRounds(benchmark::State& state, const std::string& key, const std::string& peerName,
                   const PlayRound& program, const PlayRound& peer) {
  const auto ourCpu = bench::Spread::of(program.cpu);
  const auto peerCpu = bench::Spread::of(peer.cpu);
  const auto ourPeak = bench::Spread::of(program.peak);
  const auto peerPeak = bench::Spread::of(peer.peak);
  bench::addSpreadCounters(state, key + "_cpu_s", peerCpu);
  bench::addSpreadCounters(state, key + "_peak_MiB", peerPeak);
  state.counters[key + "_cpu_ratio"] = ourCpu.median / peerCpu.median;
  state.counters[key + "_rss_ratio"] = ourPeak.median / peerPeak.median;
  bench::printComparison("60 s of play, CPU time against " + peerName, ourCpu.median / peerCpu.median, "at most 1.3x",
                         "zunoradio", ourCpu, peerName, peerCpu, "s");
  bench::printComparison("60 s of play, peak resident set against " + peerName, ourPeak.median / peerPeak.median,
                         "at most 1.5x", "zunoradio", ourPeak, peerName, peerPeak, "MiB");
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
  for (auto _ : state) {
    PlayRound program, oneFile, sameItems;
    std::vector<double> items;
    std::vector<std::string> lastItems;
    bool ok = true;
    // gst-play-1.0 plays what the program played in the round before it, so the program goes
    // first in every round; the 60 s file takes turns with the pair.
    bench::alternateRounds(
        kPlayRounds,
        [&] {
          std::string output;
          {
            bench::FreshHome home;
            ChildProcess radio(zunoradio(station.baseUrl()));
            radio.readFor(kPlayTime);
            radio.say("q\n");
            program.add(radio.finish().second);
            output = radio.output();
          }
          lastItems = playedItems(station, output);
          ok = !lastItems.empty() && ok;
          items.push_back(static_cast<double>(lastItems.size()));
          ChildProcess gst(gstPlay(lastItems));
          gst.readFor(kPlayTime);
          sameItems.add(gst.finish(SIGINT).second);
        },
        [&] {
          ChildProcess gst(gstLaunch(files.baseURL() + "/song-60s.mp3"));
          gst.readFor(kPlayTime);
          oneFile.add(gst.finish(SIGINT).second);
        });
    if (!ok) return state.SkipWithError("the program's items could not be told from its output");
    bench::addSpreadCounters(state, "zunoradio_cpu_s", bench::Spread::of(program.cpu));
    bench::addSpreadCounters(state, "zunoradio_peak_MiB", bench::Spread::of(program.peak));
    bench::addSpreadCounters(state, "items_played", bench::Spread::of(items));
    compareRounds(state, "gst_play", "gst-play-1.0 on the same items", program, sameItems);
    compareRounds(state, "gst_launch", "gst-launch-1.0 on one 60 s file", program, oneFile);
  }
}

BENCHMARK(LaunchToFirstSong)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SixtySecondsOfPlay)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
