#include "src/framework/images/ImageAdditions.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/Screen.h"

namespace {

namespace images = framework::image_additions;
using images::ImageOrientation;
using ui::Size;

// A picture whose pixel at (x, y) is the opaque value 0xFF000000 | (y << 8 | x).
ui::ImagePtr numbered(int width, int height, double scale = 1) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(y << 8 | x));
  return ui::Image::fromPixels(width, height, std::move(pixels), scale);
}

ui::ImagePtr solid(int width, int height, std::uint32_t pixel) {
  return ui::Image::fromPixels(width, height,
                               std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, pixel));
}

// Which stored pixel (x, y) ended up at each output position, row by row.
std::vector<std::pair<int, int>> origins(const ui::Image& image) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < image.pixelHeight(); ++y)
    for (int x = 0; x < image.pixelWidth(); ++x)
      out.emplace_back(image.pixelAt(x, y) & 0xFF, (image.pixelAt(x, y) >> 8) & 0xFF);
  return out;
}

TEST(ImageAdditionsTest, FitSizeKeepsSmallSizesAndFitsLargeOnesInTheBox) {
  EXPECT_EQ(images::fitSize({50, 40}, {100, 100}), (Size{50, 40}));
  EXPECT_EQ(images::fitSize({200, 100}, {100, 100}), (Size{100, 50}));
  EXPECT_EQ(images::fitSize({100, 400}, {100, 100}), (Size{25, 100}));
  EXPECT_EQ(images::fitSize({100, 50}, {100, 100}), (Size{100, 50}));  // one side equal: not smaller
  // A box that is not square: the result stays inside it.
  EXPECT_EQ(images::fitSize({100, 50}, {100, 20}), (Size{40, 20}));
  EXPECT_EQ(images::fitSize({100, 200}, {50, 300}), (Size{50, 100}));
  EXPECT_EQ(images::fitSize({0, 0}, {0, 0}), (Size{0, 0}));
}

TEST(ImageAdditionsTest, ScalingAveragesPixelsAndKeepsSolidColours) {
  auto halfRed = solid(40, 20, 0x80800000);  // premultiplied: half-transparent red
  ui::ImagePtr fitted = images::imageFitInSize(*halfRed, {10, 10});
  ASSERT_TRUE(fitted);
  EXPECT_EQ(fitted->pixelWidth(), 10);
  EXPECT_EQ(fitted->pixelHeight(), 5);
  EXPECT_EQ(fitted->scale(), 1);
  EXPECT_EQ(fitted->pixelAt(4, 2), 0x80800000u);

  // Black and white columns reduce to grey.
  auto stripes = ui::Image::fromPixels(2, 1, {0xFF000000, 0xFFFFFFFF});
  ui::ImagePtr grey = images::imageScaleToFillInSize(*stripes, {1, 1});
  ASSERT_TRUE(grey);
  std::uint32_t middle = grey->pixelAt(0, 0);
  EXPECT_EQ(middle >> 24, 0xFFu);
  EXPECT_NEAR(static_cast<int>((middle >> 16) & 0xFF), 128, 1);

  ui::ImagePtr stretched = images::imageScaleToFillInSize(*solid(3, 2, 0xFF112233), {30, 7});
  ASSERT_TRUE(stretched);
  EXPECT_EQ(stretched->pixelWidth(), 30);
  EXPECT_EQ(stretched->pixelHeight(), 7);
  EXPECT_EQ(stretched->pixelAt(29, 6), 0xFF112233u);
  EXPECT_EQ(images::imageScaleToFillInSize(*stripes, {0, 5}), nullptr);
  EXPECT_EQ(images::imageScaleToFillInSize(*stripes, {1e9, 1e9}), nullptr);
}

TEST(ImageAdditionsTest, CroppingUsesTheScreenScale) {
  auto picture = numbered(8, 6);
  ui::Screen::setMain(ui::Screen({320, 568}, "7.0", 2));
  ui::ImagePtr doubled = images::imageCroppedWithRect(*picture, {1, 1, 2, 1});
  ASSERT_TRUE(doubled);
  EXPECT_EQ(doubled->pixelWidth(), 4);
  EXPECT_EQ(doubled->pixelHeight(), 2);
  EXPECT_EQ(origins(*doubled).front(), (std::pair{2, 2}));
  EXPECT_EQ(origins(*doubled).back(), (std::pair{5, 3}));

  ui::Screen::setMain(ui::Screen({320, 480}, "7.0", 1));
  ui::ImagePtr plain = images::imageCroppedWithRect(*picture, {6, 4, 10, 10});  // clipped to the picture
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->pixelWidth(), 2);
  EXPECT_EQ(plain->pixelHeight(), 2);
  EXPECT_EQ(origins(*plain).front(), (std::pair{6, 4}));
  EXPECT_EQ(images::imageCroppedWithRect(*picture, {20, 20, 5, 5}), nullptr);
  ui::Screen::setMain(ui::Screen());
}

TEST(ImageAdditionsTest, EachOrientationTurnsThePictureUpright) {
  // Stored 3 x 2:  (0,0) (1,0) (2,0)
  //                (0,1) (1,1) (2,1)
  auto stored = numbered(3, 2, 2);
  using Origins = std::vector<std::pair<int, int>>;
  auto upright = [&](ImageOrientation orientation) {
    auto turned = images::imageRotatedToCorrectOrientation(*stored, orientation);
    EXPECT_TRUE(turned.ok());
    EXPECT_EQ((*turned)->scale(), 2);
    return origins(**turned);
  };
  EXPECT_EQ(upright(ImageOrientation::Up), (Origins{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}));
  EXPECT_EQ(upright(ImageOrientation::Down), (Origins{{2, 1}, {1, 1}, {0, 1}, {2, 0}, {1, 0}, {0, 0}}));
  EXPECT_EQ(upright(ImageOrientation::UpMirrored), (Origins{{2, 0}, {1, 0}, {0, 0}, {2, 1}, {1, 1}, {0, 1}}));
  EXPECT_EQ(upright(ImageOrientation::DownMirrored), (Origins{{0, 1}, {1, 1}, {2, 1}, {0, 0}, {1, 0}, {2, 0}}));
  // The quarter turns come out 2 wide and 3 high.
  EXPECT_EQ(upright(ImageOrientation::Right), (Origins{{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}}));
  EXPECT_EQ(upright(ImageOrientation::Left), (Origins{{2, 0}, {2, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 1}}));
  EXPECT_EQ(upright(ImageOrientation::LeftMirrored), (Origins{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}));
  EXPECT_EQ(upright(ImageOrientation::RightMirrored), (Origins{{2, 1}, {2, 0}, {1, 1}, {1, 0}, {0, 1}, {0, 0}}));

  auto invalid = images::imageRotatedToCorrectOrientation(*stored, static_cast<ImageOrientation>(8));
  ASSERT_FALSE(invalid.ok());
  EXPECT_EQ(invalid.error()->description(), "Invalid image orientation");
}

}  // namespace
