#include "platform/ui/Image.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ui/Resources.h"

namespace {

using ui::Image;
using ui::ImagePtr;

ImagePtr stripes(int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels[static_cast<std::size_t>(y) * width + x] = x < width / 2 ? 0xFFFF0000 : 0xFF0000FF;
    }
  }
  return Image::fromPixels(width, height, std::move(pixels));
}

TEST(ImageTest, PNGKeepsEveryPixel) {
  ImagePtr original = stripes(16, 8);
  auto png = original->pngData();
  ASSERT_TRUE(png.ok());
  auto decoded = Image::decode(*png);
  ASSERT_TRUE(decoded.ok()) << decoded.error()->debugText();
  EXPECT_EQ((*decoded)->pixels(), original->pixels());
}

TEST(ImageTest, JPEGKeepsTheSizeAndRoughlyTheColours) {
  auto jpeg = stripes(64, 32)->jpegData(0.9);
  ASSERT_TRUE(jpeg.ok());
  auto decoded = Image::decode(*jpeg);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ((*decoded)->pixelWidth(), 64);
  EXPECT_EQ((*decoded)->pixelHeight(), 32);
  std::uint32_t left = (*decoded)->pixelAt(8, 16), right = (*decoded)->pixelAt(56, 16);
  EXPECT_GT((left >> 16) & 0xFF, 200u);
  EXPECT_LT(left & 0xFF, 60u);
  EXPECT_GT(right & 0xFF, 200u);
  EXPECT_LT((right >> 16) & 0xFF, 60u);
  EXPECT_LT(stripes(64, 32)->jpegData(0.1)->size(), jpeg->size());
}

TEST(ImageTest, BrokenDataIsAnErrorNotAPicture) {
  EXPECT_FALSE(Image::decode({'n', 'o', 'p', 'e'}).ok());
  EXPECT_FALSE(Image::decode({}).ok());
  auto png = *stripes(16, 8)->pngData();
  png.resize(png.size() / 2);
  EXPECT_FALSE(Image::decode(png).ok());
  auto jpeg = *stripes(64, 32)->jpegData(0.9);
  jpeg.resize(jpeg.size() / 2);
  EXPECT_FALSE(Image::decode(jpeg).ok());
  EXPECT_EQ(Image::fromPixels(2, 2, {1, 2, 3}), nullptr);
}

TEST(ImageTest, NamedPicturesPreferTheirDoubleScaleFile) {
  ImagePtr background = Image::named("collectedToastBG.png");
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->scale(), 2);
  EXPECT_EQ(background->size(), (ui::Size{122, 58}));
  // Decoded only when its pixels are first read, to the same pixels as the file.
  auto file = Image::contentsOfFile(*ui::Resources::pathFor("collectedToastBG@2x.png"));
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(background->pixels(), (*file)->pixels());
  EXPECT_EQ(Image::named("collectedToastBG"), Image::named("collectedToastBG"));
  EXPECT_EQ(Image::named("noSuchPicture.png"), nullptr);
}

TEST(ImageTest, ResourceNamesCannotLeaveTheResourceFolder) {
  EXPECT_EQ(ui::Resources::pathFor("../CMakeLists.txt"), std::nullopt);
  EXPECT_EQ(ui::Resources::pathFor("/etc/passwd"), std::nullopt);
  EXPECT_EQ(ui::Resources::pathFor(".."), std::nullopt);
  EXPECT_NE(ui::Resources::pathFor("fonts.conf"), std::nullopt);
  EXPECT_EQ(Image::named("../resources/collectedToastBG@2x.png"), nullptr);
}

TEST(ImageTest, FilesDecodeWithTheirScale) {
  auto path = ui::Resources::pathFor("errorToastIcon@2x.png");
  ASSERT_TRUE(path);
  auto icon = Image::contentsOfFile(*path);
  ASSERT_TRUE(icon.ok());
  EXPECT_EQ((*icon)->size(), (ui::Size{24, 24}));
  EXPECT_FALSE(Image::contentsOfFile("/nonexistent/picture.png").ok());
}

}  // namespace
