#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/ui/Screen.h"
#include "src/framework/images/ImageBlur.h"
#include "src/framework/images/ImageQRVAdditions.h"

namespace framework::image_blur {
namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

// A black picture with one grey level (0 to 255, in all four bytes) at the given pixels.
ui::ImagePtr picture(int width, int height, std::vector<std::pair<int, int>> lit, std::uint32_t level = 255) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, kOpaqueBlack);
  for (auto [x, y] : lit) pixels[static_cast<std::size_t>(y) * width + x] = level * 0x01010101u;
  return ui::Image::fromPixels(width, height, std::move(pixels));
}

int blue(const ui::Image& image, int x, int y) { return static_cast<int>(image.pixelAt(x, y) & 0xFF); }

// How many pixels of the row are lit, and the sum of their blue values.
std::pair<int, int> rowSpread(const ui::Image& image, int y) {
  int lit = 0, sum = 0;
  for (int x = 0; x < image.pixelWidth(); ++x) {
    lit += blue(image, x, y) > 0;
    sum += blue(image, x, y);
  }
  return {lit, sum};
}

TEST(ImageBlurTest, TheBoxBlurLevelSetsTheBoxSize) {
  EXPECT_EQ(boxSizeForLevel(0), 1);
  EXPECT_EQ(boxSizeForLevel(0.25), 25);
  EXPECT_EQ(boxSizeForLevel(0.5), 51);
  EXPECT_EQ(boxSizeForLevel(2.0), 51);
  EXPECT_EQ(boxSizeForLevel(-1), 51);
  EXPECT_EQ(boxSizeForLevel(std::numeric_limits<double>::quiet_NaN()), 51);

  // A one-row picture: the vertical pass repeats the row, so the spread is the box itself.
  auto dot = picture(81, 1, {{40, 0}});
  EXPECT_EQ(blurryImage(dot, 0)->pixels(), dot->pixels());
  auto spread25 = blurryImage(dot, 0.25);
  EXPECT_EQ(rowSpread(*spread25, 0), (std::pair<int, int>{25, 25 * 10}));  // 255 / 25 rounds to 10
  EXPECT_EQ(rowSpread(*blurryImage(dot, 2.0), 0), (std::pair<int, int>{51, 51 * 5}));
  EXPECT_EQ(blue(*spread25, 40 - 12, 0), blue(*spread25, 40 + 12, 0));
}

TEST(ImageBlurTest, TheBoxBlurDropsTransparency) {
  auto seeThrough = ui::Image::fromPixels(3, 3, std::vector<std::uint32_t>(9, 0x40404040u));
  auto blurred = blurryImage(seeThrough, 0.03);
  for (std::uint32_t pixel : blurred->pixels()) EXPECT_EQ(pixel, 0xFF404040u);
}

TEST(ImageBlurTest, AGaussianKeepsUniformPicturesAndSpreadsABrightSpotEvenly) {
  auto grey = ui::Image::fromPixels(40, 30, std::vector<std::uint32_t>(1200, 0xFF7F7F7Fu));
  EXPECT_EQ(gaussianBlur(grey, 45)->pixels(), grey->pixels());

  std::vector<std::pair<int, int>> square;
  for (int y = 46; y <= 54; ++y)
    for (int x = 46; x <= 54; ++x) square.emplace_back(x, y);
  auto blurred = gaussianBlur(picture(101, 101, square), 45);
  for (int d : {1, 5, 15, 30}) {
    EXPECT_EQ(blue(*blurred, 50 - d, 50), blue(*blurred, 50 + d, 50)) << d;
    EXPECT_EQ(blue(*blurred, 50, 50 - d), blue(*blurred, 50, 50 + d)) << d;
    EXPECT_EQ(blue(*blurred, 50 - d, 50), blue(*blurred, 50, 50 - d)) << d;
  }
  EXPECT_LT(blue(*blurred, 50, 50), 255 / 4);  // spread well beyond the square
  EXPECT_GT(blue(*blurred, 50, 50), blue(*blurred, 65, 50));
  EXPECT_GT(blue(*blurred, 80, 50), 0);
  EXPECT_EQ(blue(*blurred, 50, 50 + 45 + 6), 0);  // beyond its reach (the square's half included)
}

TEST(ImageBlurTest, NothingToBlurGivesThePictureBack) {
  auto empty = ui::Image::fromPixels(0, 0, {});
  ASSERT_TRUE(empty);
  EXPECT_EQ(blur(empty), empty);
  EXPECT_EQ(blurryImage(empty, 0.5), empty);
  auto dot = picture(5, 5, {{2, 2}});
  EXPECT_EQ(gaussianBlur(dot, std::numeric_limits<double>::quiet_NaN()), dot);
  EXPECT_EQ(gaussianBlur(dot, -3), dot);
}

TEST(ImageBlurTest, OldSystemsGetTheWideBox) {
  ui::Screen::setMain(ui::Screen({320, 480}, "5.1"));
  auto blurred = blur(picture(81, 1, {{40, 0}}));
  ui::Screen::setMain(ui::Screen());
  EXPECT_EQ(rowSpread(*blurred, 0).first, 51);
}

TEST(ImageBlurTest, ClippingCoversTheSizeAndCutsTheOverflowEvenly) {
  // Left half red, right half blue, with a green middle band of 100 columns.
  std::vector<std::uint32_t> pixels(200 * 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) pixels[y * 200 + x] = x < 50 ? 0xFFFF0000u : x < 150 ? 0xFF00FF00u : 0xFF0000FFu;
  auto wide = ui::Image::fromPixels(200, 100, std::move(pixels));
  auto clipped = image_qrv_additions::clipImage(*wide, {100, 100});
  ASSERT_TRUE(clipped);
  EXPECT_EQ(clipped->pixelWidth(), 100);
  EXPECT_EQ(clipped->pixelAt(0, 50), 0xFF00FF00u);  // the sides were cut
  EXPECT_EQ(clipped->pixelAt(99, 50), 0xFF00FF00u);
  EXPECT_FALSE(image_qrv_additions::clipImage(*wide, {0, 10}));
  EXPECT_EQ(image_qrv_additions::scaleToSize({30, 20}, *wide)->pixelWidth(), 30);
}

}  // namespace
}  // namespace framework::image_blur
