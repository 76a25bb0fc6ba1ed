#include "src/framework/images/ImageBlur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <span>
#include <vector>

#include "platform/ui/Screen.h"

namespace framework::image_blur {
namespace {

using Pixels = std::vector<std::uint32_t>;

// Before this system version the platform had no image filters, only the box convolution.
constexpr double kFirstSystemWithFilters = 6.0;
// Larger boxes change nothing more on any picture a phone shows, and keep the sums in range.
constexpr int kMaxBoxSize = (1 << 14) + 1;

// Divides a sum of `box` channel values by `box`, rounded, with one multiplication.
class Averager {
 public:
  explicit Averager(int box) : reciprocal_((std::uint64_t{1} << 32) / static_cast<std::uint64_t>(box)) {}
  std::uint32_t operator()(std::uint32_t sum) const {
    return static_cast<std::uint32_t>((sum * reciprocal_ + (std::uint64_t{1} << 31)) >> 32);
  }

 private:
  std::uint64_t reciprocal_;
};

std::uint32_t channel(std::uint32_t pixel, int c) { return (pixel >> (8 * c)) & 0xFF; }

// One box pass along lines of `count` pixels `stride` apart: `lines` lines, each starting
// `lineStep` after the last. Pixels beyond the ends repeat the end pixels.
void boxPass(const std::uint32_t* in, std::uint32_t* out, int count, int stride, int lines, int lineStep, int box) {
  const int half = box / 2;
  const Averager average(box);
  for (int line = 0; line < lines; ++line) {
    const std::uint32_t* src = in + static_cast<std::ptrdiff_t>(line) * lineStep;
    std::uint32_t* dst = out + static_cast<std::ptrdiff_t>(line) * lineStep;
    auto at = [&](int i) { return src[static_cast<std::ptrdiff_t>(std::clamp(i, 0, count - 1)) * stride]; };
    std::uint32_t sums[4] = {0, 0, 0, 0};
    // The first window: the part beyond the start repeats the first pixel.
    for (int c = 0; c < 4; ++c) sums[c] = static_cast<std::uint32_t>(half + 1) * channel(at(0), c);
    for (int i = 1; i <= half; ++i) {
      const std::uint32_t pixel = at(i);
      for (int c = 0; c < 4; ++c) sums[c] += channel(pixel, c);
    }
    for (int i = 0; i < count; ++i) {
      std::uint32_t result = 0;
      for (int c = 0; c < 4; ++c) result |= average(sums[c]) << (8 * c);
      dst[static_cast<std::ptrdiff_t>(i) * stride] = result;
      const std::uint32_t entering = at(i + half + 1);
      const std::uint32_t leaving = at(i - half);
      for (int c = 0; c < 4; ++c) sums[c] = sums[c] + channel(entering, c) - channel(leaving, c);
    }
  }
}

// Box passes of the given odd sizes, each across and then down; nullopt when memory ran out.
std::optional<Pixels> boxBlur(const ui::Image& image, std::span<const int> boxes) {
  const int w = image.pixelWidth();
  const int h = image.pixelHeight();
  try {
    Pixels pixels = image.pixels();
    Pixels scratch(pixels.size());
    for (int box : boxes) {
      boxPass(pixels.data(), scratch.data(), w, 1, h, w, box);
      boxPass(scratch.data(), pixels.data(), h, w, w, 1, box);
    }
    return pixels;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "No pixelbuffer\n");
    return std::nullopt;
  }
}

bool isEmpty(const ui::ImagePtr& image) { return !image || image->pixelWidth() == 0 || image->pixelHeight() == 0; }

// Three odd box sizes whose combined variance is closest to sigma squared.
std::vector<int> boxesForGaussian(double sigma) {
  constexpr int kPasses = 3;
  const double ideal = std::sqrt(12 * sigma * sigma / kPasses + 1);
  int lower = static_cast<int>(std::floor(ideal));
  if (lower % 2 == 0) --lower;
  const int upper = lower + 2;
  const double lowerCount =
      (12 * sigma * sigma - kPasses * lower * lower - 4.0 * kPasses * lower - 3.0 * kPasses) / (-4.0 * lower - 4);
  const long passesAtLower = std::lround(lowerCount);
  std::vector<int> boxes;
  for (int pass = 0; pass < kPasses; ++pass)
    boxes.push_back(std::min(pass < passesAtLower ? lower : upper, kMaxBoxSize));
  return boxes;
}

}  // namespace

ui::ImagePtr blur(const ui::ImagePtr& image) { return blur(image, kDefaultBlurRadius); }

ui::ImagePtr blur(const ui::ImagePtr& image, double radius) {
  if (ui::Screen::main().systemVersionNumber() < kFirstSystemWithFilters) return blurryImage(image, radius);
  return gaussianBlur(image, radius);
}

ui::ImagePtr gaussianBlur(const ui::ImagePtr& image, double radius) {
  if (isEmpty(image) || !(radius >= 1)) return image;
  const std::vector<int> boxes = boxesForGaussian(std::min(radius, double{kMaxBoxSize}) / 3);
  std::optional<Pixels> blurred = boxBlur(*image, boxes);
  if (!blurred) return image;
  return ui::Image::fromPixels(image->pixelWidth(), image->pixelHeight(), std::move(*blurred), image->scale());
}

int boxSizeForLevel(double level) {
  if (!(level >= 0 && level <= 1)) level = 0.5;
  return static_cast<int>(level * 100) | 1;
}

ui::ImagePtr blurryImage(const ui::ImagePtr& image, double level) {
  if (isEmpty(image)) return image;
  const int box = boxSizeForLevel(level);
  std::optional<Pixels> blurred = boxBlur(*image, std::span<const int>(&box, 1));
  if (!blurred) return image;
  // The fourth byte is dropped: the picture comes out opaque.
  for (std::uint32_t& pixel : *blurred) pixel |= 0xFF000000u;
  return ui::Image::fromPixels(image->pixelWidth(), image->pixelHeight(), std::move(*blurred), image->scale());
}

}  // namespace framework::image_blur
