// Playing a 60 s song from a loopback server through our player and through gst-launch-1.0's
// playbin with the same silent sink, each in a process of its own, in alternated rounds: CPU
// time, peak resident size and time to ready, as ratios of the medians. Then 200 short songs back to back in one
// process: how much the resident size grows.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/AlternatedMedians.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/AudioPlayer.h"
#include "tests/support/MediaRoutes.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 10;
const std::string kMedia = ZR_SAMPLE_MEDIA_DIR;

struct ChildRun {
  double cpu = 0;           // seconds, user + system
  double peakMiB = 0;       // peak resident size
  double readySeconds = 0;  // from start to the line that says the song is ready
  bool ok = false;
};

// Runs `argv`, waits for a line containing `readyMark` on its standard output, then for its end.
// gst-launch-1.0 says it sets its pipeline playing once it is prerolled and buffered: the moment
// our player reports ready and is told to play.
ChildRun runChild(std::vector<std::string> argv, const std::string& readyMark) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::vector<char*> args;
  for (auto& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  auto start = Clock::now();
  int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  ChildRun run;
  if (spawned != 0) {
    close(pipeEnds[0]);
    return run;
  }
  FILE* out = fdopen(pipeEnds[0], "r");
  char line[512];
  while (fgets(line, sizeof line, out)) {
    if (run.readySeconds == 0 && std::string(line).find(readyMark) != std::string::npos) {
      run.readySeconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
  }
  fclose(out);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.readySeconds > 0;
  return run;
}

// The child side of our run: play `source` to its end on the fake sink, unsynchronised.
int playOnce(const std::string& source) {
  media::AudioBackend::useGStreamer({media::AudioSink::fake, false});
  auto player = media::AudioPlayer::create(source);
  bool done = false;
  player->setOnStatusChange([&] {
    if (player->status() == media::ItemStatus::readyToPlay) {
      std::cout << "READY" << std::endl;
      player->play();
    } else {
      done = true;
    }
  });
  player->setOnDidPlayToEnd([&] { done = true; });
  player->setOnFailedToPlayToEnd([&] { done = true; });
  foundation::RunLoop::main().runUntil([&] { return done; }, foundation::Duration(120));
  return player->status() == media::ItemStatus::readyToPlay ? 0 : 1;
}

std::string self;

void oneSongAgainstGstLaunch(benchmark::State& state) {
  testsupport::LoopbackServer server;
  testsupport::routeMedia(server, "/song-60s.mp3", testsupport::readFile(kMedia + "/song-60s.mp3"),
                          testsupport::RangeMode::kHonour);
  std::string url = server.url("/song-60s.mp3");
  for (auto _ : state) {
    std::vector<double> ourCpu, peerCpu, ourPeak, peerPeak, ourReady, peerReady;
    bool ok = true;
    bench::alternateRounds(
        kRounds,
        [&] {
          ChildRun run = runChild({self, "--play", url}, "READY");
          ok = run.ok && ok;
          ourCpu.push_back(run.cpu), ourPeak.push_back(run.peakMiB), ourReady.push_back(run.readySeconds);
        },
        [&] {
          ChildRun run =
              runChild({"gst-launch-1.0", "playbin", "uri=" + url, "flags=0x12", "audio-sink=fakesink sync=false"},
                       "Setting pipeline to PLAYING");
          ok = run.ok && ok;
          peerCpu.push_back(run.cpu), peerPeak.push_back(run.peakMiB), peerReady.push_back(run.readySeconds);
        });
    if (!ok) state.SkipWithError("a player failed");
    auto compare = [&](const std::string& key, const std::string& what, const std::vector<double>& ours,
                       const std::vector<double>& peer, const std::string& target, const std::string& unit) {
      const auto o = bench::Spread::of(ours);
      const auto p = bench::Spread::of(peer);
      bench::addSpreadCounters(state, "ours_" + key, o);
      bench::addSpreadCounters(state, "peer_" + key, p);
      state.counters[key + "_ratio"] = o.median / p.median;
      bench::printComparison("one 60 s song, " + what + " against gst-launch-1.0", o.median / p.median, target, "ours",
                             o, "gst-launch-1.0", p, unit);
    };
    compare("cpu_s", "CPU time", ourCpu, peerCpu, "at most 1.1x", "s");
    compare("peak_MiB", "peak resident set", ourPeak, peerPeak, "at most 1.2x", "MiB");
    compare("ready_s", "time to ready", ourReady, peerReady, "at most 1.2x", "s");
  }
}

double residentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

bool playToEnd(const std::string& source) {
  auto player = media::AudioPlayer::create(source);
  bool done = false, ended = false;
  player->setOnStatusChange([&] {
    if (player->status() == media::ItemStatus::readyToPlay)
      player->play();
    else
      done = true;
  });
  player->setOnDidPlayToEnd([&] { done = ended = true; });
  player->setOnFailedToPlayToEnd([&] { done = true; });
  foundation::RunLoop::main().runUntil([&] { return done; }, foundation::Duration(30));
  return ended;
}

void twoHundredSongsBackToBack(benchmark::State& state) {
  media::AudioBackend::useGStreamer({media::AudioSink::fake, false});
  testsupport::LoopbackServer server;
  testsupport::routeMedia(server, "/song.mp3", testsupport::readFile(kMedia + "/song-2s.mp3"),
                          testsupport::RangeMode::kHonour);
  for (auto _ : state) {
    // The first songs load the plugins and fill the allocator's pools; growth is counted after.
    for (int i = 0; i < 20; ++i) playToEnd(server.url("/song.mp3"));
    double before = residentMiB();
    int ended = 0;
    for (int i = 0; i < 200; ++i) ended += playToEnd(server.url("/song.mp3"));
    state.counters["rss_growth_MiB"] = residentMiB() - before;
    std::printf("200 short songs back to back: the resident set grew by %.2f MiB (target under 2 MiB)\n",
                residentMiB() - before);
    state.counters["songs_ended"] = ended;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--play") return playOnce(argv[2]);
  self = "/proc/self/exe";
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) self.assign(path, static_cast<std::size_t>(length));
  auto once = [](benchmark::internal::Benchmark* b) { b->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime(); };
  once(benchmark::RegisterBenchmark("a_one_60s_song_against_gst_launch", oneSongAgainstGstLaunch));
  once(benchmark::RegisterBenchmark("b_200_songs_back_to_back", twoHundredSongsBackToBack));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
