// The program playing channel 12 of its built-in sample station on GStreamer's silent sink, as
// `zunoradio --sink fake --channel 12` does, in this process: how much the live heap grows per item
// (song or advert) from the 100th to the 700th, target under 0.5 KiB, with the resident set beside
// it. The sink runs unsynchronised, so that an item of 2-3 s takes milliseconds and the run seconds
// rather than 25 minutes: every item still goes through the same requests, players, playbins and
// play logs, only the once-a-second position reports are fewer. Items then overlap (a song's
// requests and teardown still under way as the next starts), and the resident set swings with the
// allocator's slabs and with buffers released a minute after the start, so it only stands beside the
// live heap, which is what the program keeps. Once the usage-analytics queue is full, what still
// grows (about 0.02 KiB a song) is inside GStreamer's HTTP source, across the playbin's return to
// READY between songs.
// Run by hand: build/<dir>/bench/bench_playback_memory.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "app/program/Console.h"
#include "app/program/RadioProgram.h"
#include "bench/FreshHome.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"

namespace {

constexpr int kFirstItem = 100;
constexpr int kLastItem = 700;
constexpr double kTargetKiB = 0.5;
const std::string kPlayMark = "\xE2\x96\xB6 ";  // the program's line for an item that starts

// The program's lines, counted and dropped: keeping them would itself grow with every item.
class ItemCount {
 public:
  ItemCount() {
    file_ = ::fopencookie(this, "w", {nullptr, &ItemCount::write, nullptr, nullptr});
    if (!file_) throw std::runtime_error("fopencookie");
  }
  ~ItemCount() { std::fclose(file_); }
  ItemCount(const ItemCount&) = delete;
  ItemCount& operator=(const ItemCount&) = delete;

  std::FILE* file() const { return file_; }
  int items() const { return items_; }

 private:
  static ssize_t write(void* cookie, const char* text, std::size_t size) {
    auto* self = static_cast<ItemCount*>(cookie);
    for (std::size_t i = 0; i < size; ++i) {
      if (text[i] == '\n') {
        self->lineStart_.clear();
      } else if (self->lineStart_.size() < kPlayMark.size()) {
        self->lineStart_ += text[i];
        if (self->lineStart_ == kPlayMark) ++self->items_;
      }
    }
    return static_cast<ssize_t>(size);
  }

  std::FILE* file_ = nullptr;
  std::string lineStart_;
  int items_ = 0;
};

double residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6));
  return 0;
}

// In use, in every arena and in blocks of their own mapping.
double liveHeapKiB() {
  const struct mallinfo2 info = ::mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / 1024;
}

// Growth per item: the slope of the least-squares line through the sizes read as each item
// starts. Any one reading may hold the buffers of the requests and songs under way at that moment
// (hundreds of KiB); over six hundred readings they even out.
class GrowthPerItem {
 public:
  void add(double item, double kib) {
    ++count_;
    sumX_ += item;
    sumY_ += kib;
    sumXX_ += item * item;
    sumXY_ += item * kib;
  }
  double slope() const { return (count_ * sumXY_ - sumX_ * sumY_) / (count_ * sumXX_ - sumX_ * sumX_); }

 private:
  double count_ = 0, sumX_ = 0, sumY_ = 0, sumXX_ = 0, sumXY_ = 0;
};

void itemsOfChannel12(benchmark::State& state) {
  bench::FreshHome home;
  // As the program sets them up.
  ::mallopt(M_ARENA_MAX, 2);
  media::AudioBackend::useGStreamer({.sink = media::AudioSink::fake, .sync = false});
  for (auto _ : state) {
    ItemCount output;
    zunoradio::Console console(output.file(), stderr, false);
    zunoradio::ProgramOptions options;
    options.channelId = "12";
    options.sink = zunoradio::SinkChoice::fake;
    zunoradio::RadioProgram program(options, console);
    if (!program.start()) return state.SkipWithError("the program did not start");
    GrowthPerItem resident, heap;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
      if (!foundation::RunLoop::main().runUntil([&] { return output.items() >= item; }, foundation::Duration(600)))
        return state.SkipWithError("the items did not all play");
      resident.add(item, residentKiB());
      heap.add(item, liveHeapKiB());
    }
    state.counters["heap_KiB_per_item"] = heap.slope();
    state.counters["rss_KiB_per_item"] = resident.slope();
    std::printf(
        "items %d to %d of channel 12: the live heap grew by %.2f KiB an item (target under %.1f KiB, %s); "
        "the resident set by %.2f KiB\n",
        kFirstItem, kLastItem, heap.slope(), kTargetKiB, heap.slope() < kTargetKiB ? "met" : "missed",
        resident.slope());
    program.handleKey("q");
    program.letRequestsFinish();
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("items_of_channel_12", itemsOfChannel12)
      ->Iterations(1)
      ->Unit(benchmark::kSecond)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
