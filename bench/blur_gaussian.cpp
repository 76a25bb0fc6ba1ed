// The player's background blur (a Gaussian reaching 45 pixels) of a 640 x 640 cover, against
// ImageMagick's `convert -blur 0x15` (the same reach: 3 x 15) on the same picture in the same run.
// convert is timed whole (start, read, blur, write) and, to set its start and file work aside, also
// without the blur; the difference is its blur alone. Installs ImageMagick when it is missing.
// Run: build/<dir>/bench/bench_blur_gaussian
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/CoverPicture.h"
#include "src/framework/images/ImageBlur.h"

namespace {

constexpr int kSide = 640;
constexpr double kRadius = framework::image_blur::kDefaultBlurRadius;
const char* const kConvert = "/usr/bin/convert";

ui::ImagePtr cover() { return bench::coverPicture(kSide); }

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

void ours(benchmark::State& state) {
  const ui::ImagePtr picture = cover();
  for (auto _ : state) benchmark::DoNotOptimize(framework::image_blur::gaussianBlur(picture, kRadius));
}

// Runs convert with the options between the input and the output file.
void convert(benchmark::State& state, const std::string& options) {
  if (!haveConvert()) {
    state.SkipWithError("ImageMagick's convert could not be installed");
    return;
  }
  const std::string input = writePpm(*cover());
  const std::string output = input + ".out.ppm";
  const std::string command = std::string(kConvert) + " " + input + " " + options + " " + output;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("failed: " + command).c_str());
      break;
    }
  }
  std::filesystem::remove(input);
  std::filesystem::remove(output);
}

void convertWithBlur(benchmark::State& state) { convert(state, "-blur 0x15"); }
void convertWithoutBlur(benchmark::State& state) { convert(state, ""); }

}  // namespace

BENCHMARK(ours)->Name("a_ours_gaussian_r45_640px")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(convertWithBlur)->Name("b_convert_blur_0x15_640px")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(convertWithoutBlur)->Name("c_convert_copy_640px")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
