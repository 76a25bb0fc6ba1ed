#include "src/framework/images/ImageResampler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace framework {
namespace {

// The largest picture the platform decodes; larger targets are refused rather than allocated.
constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

using Channels = std::array<float, 4>;  // alpha, red, green, blue (premultiplied)

struct Tap {
  int index;
  float weight;
};

// For each output position, the source positions it draws from and their normalised weights.
std::vector<std::vector<Tap>> tapsFor(int sourceLength, int targetLength) {
  const double ratio = static_cast<double>(sourceLength) / targetLength;
  const double radius = std::max(1.0, ratio);
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetLength));
  for (int out = 0; out < targetLength; ++out) {
    const double centre = (out + 0.5) * ratio - 0.5;
    const int first = static_cast<int>(std::floor(centre - radius)) + 1;
    const int last = static_cast<int>(std::floor(centre + radius));
    double total = 0;
    auto& list = taps[static_cast<std::size_t>(out)];
    for (int in = first; in <= last; ++in) {
      double weight = 1.0 - std::abs(in - centre) / radius;
      if (weight <= 0) continue;
      list.push_back({std::clamp(in, 0, sourceLength - 1), static_cast<float>(weight)});
      total += weight;
    }
    for (Tap& tap : list) tap.weight = static_cast<float>(tap.weight / total);
  }
  return taps;
}

Channels unpack(std::uint32_t pixel) {
  return {static_cast<float>(pixel >> 24), static_cast<float>((pixel >> 16) & 0xFF),
          static_cast<float>((pixel >> 8) & 0xFF), static_cast<float>(pixel & 0xFF)};
}

std::uint32_t pack(const Channels& c) {
  auto byte = [](float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
  std::uint32_t alpha = byte(c[0]);
  // Premultiplied colour never exceeds its alpha; rounding must not make it.
  auto colour = [&](float v) { return std::min(byte(v), alpha); };
  return alpha << 24 | colour(c[1]) << 16 | colour(c[2]) << 8 | colour(c[3]);
}

}  // namespace

ui::ImagePtr ImageResampler::resample(const ui::Image& image, int pixelWidth, int pixelHeight, double scale) {
  const int sourceWidth = image.pixelWidth();
  const int sourceHeight = image.pixelHeight();
  if (pixelWidth < 1 || pixelHeight < 1 || sourceWidth < 1 || sourceHeight < 1) return nullptr;
  if (pixelWidth > kMaxSide || pixelHeight > kMaxSide ||
      static_cast<long long>(pixelWidth) * pixelHeight > kMaxPixels) {
    return nullptr;
  }

  // Horizontal pass: every source row to the new width.
  const auto columns = tapsFor(sourceWidth, pixelWidth);
  std::vector<Channels> rows(static_cast<std::size_t>(pixelWidth) * sourceHeight);
  for (int y = 0; y < sourceHeight; ++y) {
    for (int x = 0; x < pixelWidth; ++x) {
      Channels sum{};
      for (const Tap& tap : columns[static_cast<std::size_t>(x)]) {
        Channels c = unpack(image.pixelAt(tap.index, y));
        for (std::size_t i = 0; i < 4; ++i) sum[i] += c[i] * tap.weight;
      }
      rows[static_cast<std::size_t>(y) * pixelWidth + x] = sum;
    }
  }

  // Vertical pass: the rows to the new height.
  const auto lines = tapsFor(sourceHeight, pixelHeight);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(pixelWidth) * pixelHeight);
  for (int y = 0; y < pixelHeight; ++y) {
    for (int x = 0; x < pixelWidth; ++x) {
      Channels sum{};
      for (const Tap& tap : lines[static_cast<std::size_t>(y)]) {
        const Channels& c = rows[static_cast<std::size_t>(tap.index) * pixelWidth + x];
        for (std::size_t i = 0; i < 4; ++i) sum[i] += c[i] * tap.weight;
      }
      pixels[static_cast<std::size_t>(y) * pixelWidth + x] = pack(sum);
    }
  }
  return ui::Image::fromPixels(pixelWidth, pixelHeight, std::move(pixels), scale);
}

}  // namespace framework
