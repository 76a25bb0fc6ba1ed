// The player's background blur (a Gaussian reaching 45 pixels, made of three box passes each way)
// of a 640 x 640 cover, against ImageMagick's convert on the same picture, in alternated rounds:
// - like for like: convert's morphology convolving the same three boxes each way (29, 29, 31);
// - its own Gaussian, `-blur 0x15` (the same reach, 3 x 15): another algorithm, an exact kernel
//   of 115 taps, so that ratio says how the two methods compare, not how well each is done.
// convert is also timed without any filter, to set its start and file work aside: its filter alone
// is the difference of the medians. Installs ImageMagick when it is missing.
// Run: build/<dir>/bench/bench_blur_gaussian
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/AlternatedMedians.h"
#include "bench/CoverPicture.h"
#include "src/framework/images/ImageBlur.h"

namespace {

constexpr int kSide = 640;
constexpr int kRounds = 11;
constexpr double kRadius = framework::image_blur::kDefaultBlurRadius;
const char* const kConvert = "/usr/bin/convert";
// The boxes our blur uses for a reach of 45 pixels (sigma 15), each across and then down.
const char* const kBoxPasses =
    "-define convolve:scale=! -morphology Convolve "
    "'Rectangle:29x1;Rectangle:1x29;Rectangle:29x1;Rectangle:1x29;Rectangle:31x1;Rectangle:1x31'";

// The same cover as a binary PPM, the cheapest picture file for convert to read.
std::string writePpm(const ui::Image& image) {
  auto path = std::filesystem::temp_directory_path() / ("blur_bench_" + std::to_string(::getpid()) + ".ppm");
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.pixelWidth() << " " << image.pixelHeight() << "\n255\n";
  for (std::uint32_t pixel : image.pixels()) {
    const char rgb[3] = {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8), static_cast<char>(pixel)};
    out.write(rgb, 3);
  }
  return path.string();
}

bool haveConvert() {
  if (std::filesystem::exists(kConvert)) return true;
  std::fprintf(stderr, "ImageMagick is missing; installing it\n");
  const int status = std::system("apt-get install -y -q --no-install-recommends imagemagick >/dev/null");
  return status == 0 && std::filesystem::exists(kConvert);
}

void blurAgainstConvert(benchmark::State& state) {
  if (!haveConvert()) return state.SkipWithError("ImageMagick's convert could not be installed");
  const ui::ImagePtr picture = bench::coverPicture(kSide);
  const std::string input = writePpm(*picture);
  const std::string output = input + ".out.ppm";
  bool ok = true;
  auto convert = [&](const std::string& options) {
    const std::string command = std::string(kConvert) + " " + input + " " + options + " " + output;
    return [command, &ok] { ok = std::system(command.c_str()) == 0 && ok; };
  };
  for (auto _ : state) {
    std::vector<double> ours, copy, boxes, gaussian;
    bench::alternateRounds(
        kRounds,
        [&] {
          ours.push_back(bench::secondsOf(
              [&] { benchmark::DoNotOptimize(framework::image_blur::gaussianBlur(picture, kRadius)); }));
        },
        [&] {
          copy.push_back(bench::secondsOf(convert("")));
          boxes.push_back(bench::secondsOf(convert(kBoxPasses)));
          gaussian.push_back(bench::secondsOf(convert("-blur 0x15")));
        });
    if (!ok) {
      state.SkipWithError("convert failed");
      break;
    }
    // Each of convert's filters alone: its rounds less the median round without a filter.
    const double start = bench::Spread::of(copy).median;
    for (auto* rounds : {&boxes, &gaussian})
      for (double& seconds : *rounds) seconds -= start;
    const auto oursTime = bench::Spread::of(ours);
    const auto boxesTime = bench::Spread::of(boxes);
    const auto gaussianTime = bench::Spread::of(gaussian);
    bench::addSpreadCounters(state, "ours_s", oursTime);
    bench::addSpreadCounters(state, "convert_box_passes_s", boxesTime);
    bench::addSpreadCounters(state, "convert_blur_0x15_s", gaussianTime);
    state.counters["time_vs_box_passes"] = oursTime.median / boxesTime.median;
    state.counters["time_vs_exact_gaussian"] = oursTime.median / gaussianTime.median;
    bench::printComparison("blur of a 640 px cover, time against convert's same three box passes",
                           oursTime.median / boxesTime.median, "at most 1.0x", "ours", oursTime, "convert", boxesTime,
                           "s");
    bench::printComparison(
        "blur of a 640 px cover, time against convert -blur 0x15 (another algorithm: an exact 115-tap kernel)",
        oursTime.median / gaussianTime.median, "at most 1.0x", "ours", oursTime, "convert", gaussianTime, "s");
  }
  std::filesystem::remove(input);
  std::filesystem::remove(output);
}

}  // namespace

BENCHMARK(blurAgainstConvert)->Name("blur_r45_640px/ours_and_convert")->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
