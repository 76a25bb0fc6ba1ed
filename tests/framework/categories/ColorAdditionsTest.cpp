#include "src/framework/categories/ColorAdditions.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

namespace colors = framework::color_additions;
using colors::ColorSpaceModel;
using colors::ModelColor;
using ui::Color;

double hueOf(const ModelColor& color) { return colors::hue(color); }

TEST(ColorAdditionsTest, HexFormsRoundHalfUpClampAndRefuseWhatIsNotThreeBytes) {
  EXPECT_EQ(colors::hexStringFromColor(Color::rgb(1.0, 0.5, 0)), "FF8000");
  EXPECT_EQ(colors::rgbHex(Color::rgb(1.7, -0.2, 0)), 0xFF0000u);

  auto plain = colors::colorWithHexString("ff8000");
  ASSERT_TRUE(plain);
  EXPECT_EQ(colors::colorWithHexString("0xff8000"), plain);
  EXPECT_EQ(colors::colorWithHexString(" 0XFF8000 "), plain);
  EXPECT_EQ(colors::rgbHex(*plain), 0xFF8000u);
  EXPECT_EQ(colors::colorWithHexString("ff"), colors::colorWithRGBHex(0xFF));

  for (const char* refused : {"#ff8000", "FF8000FF", "ff8000zz", "", "0x", "-ff", "123456789abcdef0"})
    EXPECT_FALSE(colors::colorWithHexString(refused)) << refused;
}

TEST(ColorAdditionsTest, StringFormRoundTripsAndRefusesOtherShapes) {
  ModelColor rgb = Color::rgb(0.25, 0.5, 0.125, 0.75);
  EXPECT_EQ(colors::stringFromColor(rgb), "{0.250, 0.500, 0.125, 0.750}");
  EXPECT_EQ(colors::colorWithString(*colors::stringFromColor(rgb)), rgb);
  ModelColor grey = ModelColor::white(0.4, 1);
  EXPECT_EQ(colors::stringFromColor(grey), "{0.400, 1.000}");
  EXPECT_EQ(colors::colorWithString(" { 0.4 ,1 }  \n"), grey);
  EXPECT_FALSE(colors::stringFromColor(ModelColor(Color::rgb(1, 0, 0), ColorSpaceModel::CMYK)));

  for (const char* refused : {"{0.5}", "{1, 0, 0}", "{1, 0, 0, 1, 1}", "{1 0}", "{1,}", "{1, 1} x", "1, 1}", "{1, 1",
                              "{nan, 1}", "{inf, 1}", ""})
    EXPECT_FALSE(colors::colorWithString(refused)) << refused;
}

TEST(ColorAdditionsTest, NameTablesAreCompleteCaseSensitiveAndSearchable) {
  EXPECT_EQ(colors::namedColors().size(), 147u);
  EXPECT_EQ(colors::namedCrayons().size(), 134u);
  EXPECT_EQ(colors::colorWithName("grey"), colors::colorWithName("gray"));
  EXPECT_EQ(colors::rgbHex(*colors::colorWithName("gray")), 0x808080u);
  EXPECT_FALSE(colors::colorWithName("Gray"));
  EXPECT_EQ(colors::rgbHex(*colors::crayonWithName("Gray")), 0x8B8680u);
  EXPECT_EQ(colors::rgbHex(*colors::crayonWithName("Yellow Orange")), 0xFFAE42u);

  EXPECT_EQ(colors::closestColorName(Color::rgb(1, 0, 0)), "red");
  EXPECT_EQ(colors::closestColorName(Color::rgb255(0, 0, 140)), "darkblue");
  EXPECT_EQ(colors::closestCrayonName(Color::rgb255(0xEE, 0xD9, 0xC5)), "Almond");
  // Ties keep the first entry; a value cut short is passed over without reading past the text.
  EXPECT_EQ(colors::closestColorNameFor(Color::rgb(0, 0, 0), ",one#000000,two#000000"), "one");
  EXPECT_EQ(colors::closestColorNameFor(Color::rgb(0, 0, 0), ",far#ffffff,cut#00"), "far");
  EXPECT_EQ(colors::closestColorNameFor(Color::rgb(0, 0, 0), ",bad#00zz00,near#010101"), "near");
  EXPECT_FALSE(colors::closestColorNameFor(Color::rgb(0, 0, 0), ",cut#0"));
  EXPECT_FALSE(colors::closestColorNameFor(Color::rgb(0, 0, 0), ""));
}

TEST(ColorAdditionsTest, SchemesAndContrast) {
  EXPECT_EQ(colors::contrastingColor(Color::rgb(0, 1, 0)), ModelColor(Color::black()));
  EXPECT_EQ(colors::contrastingColor(Color::rgb(0, 0, 1)), ModelColor(Color::white()));

  auto triad = colors::triadicColors(Color::rgb(1, 0, 0, 0.5));
  ASSERT_TRUE(triad);
  ASSERT_EQ(triad->size(), 2u);
  EXPECT_NEAR(hueOf((*triad)[0]), 120, 1e-4);
  EXPECT_NEAR(hueOf((*triad)[1]), 240, 1e-4);
  EXPECT_EQ((*triad)[0].color.alpha, 0.5);

  EXPECT_NEAR(hueOf(*colors::complementaryColor(Color::rgb(0, 0, 1))), 60, 1e-9);
  EXPECT_EQ(colors::analogousColorsWithStepAngle(Color::rgb(1, 0, 0), -30, 2)->size(), 4u);
  EXPECT_NEAR(hueOf((*colors::analogousColorsWithStepAngle(Color::rgb(1, 0, 0), -30, 2))[3]), 300, 1e-4);
  EXPECT_TRUE(colors::analogousColorsWithStepAngle(Color::rgb(1, 0, 0), 30, 0)->empty());
  EXPECT_TRUE(colors::analogousColorsWithStepAngle(Color::rgb(1, 0, 0), 30, INT_MAX)->empty());
}

TEST(ColorAdditionsTest, HueConversionsRoundTripOnAGridAndWrapOffTheCircle) {
  for (int r = 0; r <= 4; ++r)
    for (int g = 0; g <= 4; ++g)
      for (int b = 0; b <= 4; ++b) {
        double h = 0, s = 0, v = 0, rr = -1, gg = -1, bb = -1;
        colors::red(r / 4.0, g / 4.0, b / 4.0, &h, &s, &v);
        colors::hue(h, s, v, &rr, &gg, &bb);
        EXPECT_NEAR(rr, r / 4.0, 1e-9);
        EXPECT_NEAR(gg, g / 4.0, 1e-9);
        EXPECT_NEAR(bb, b / 4.0, 1e-9);
      }
  auto rgbOfHue = [](double hue) {
    double r = 0, g = 0, b = 0;
    colors::hue(hue, 1, 1, &r, &g, &b);
    return Color::rgb(r, g, b);
  };
  EXPECT_EQ(rgbOfHue(480), rgbOfHue(120));
  EXPECT_EQ(rgbOfHue(-120), rgbOfHue(240));
  EXPECT_EQ(rgbOfHue(360), rgbOfHue(0));
  EXPECT_EQ(rgbOfHue(std::nan("")), rgbOfHue(0));
  double onlyGreen = -1;
  colors::hue(120, 1, 1, nullptr, &onlyGreen, nullptr);
  EXPECT_EQ(onlyGreen, 1);
}

TEST(ColorAdditionsTest, ComponentsFollowTheColourSpace) {
  ModelColor grey = ModelColor::white(0.3, 0.6);
  EXPECT_EQ(colors::colorSpaceString(grey), "kCGColorSpaceModelMonochrome");
  EXPECT_EQ(colors::blue(grey), 0.3);
  EXPECT_EQ(colors::arrayFromRGBAComponents(grey), (std::vector<double>{0.3, 0.3, 0.3, 0.6}));
  EXPECT_EQ(colors::colorByLuminanceMapping(Color::rgb(0, 0, 1))->color.red, 0.0722f);

  ModelColor cmyk(Color::rgb(0.2, 0.4, 0.6, 1), ColorSpaceModel::CMYK);
  double untouched = 7;
  EXPECT_FALSE(colors::red(cmyk, &untouched, nullptr, nullptr, nullptr));
  EXPECT_EQ(untouched, 7);
  EXPECT_EQ(colors::green(cmyk), 0.2);
  EXPECT_EQ(colors::luminance(cmyk), 0);
  EXPECT_FALSE(colors::arrayFromRGBAComponents(cmyk));
  EXPECT_FALSE(colors::colorByAdding(cmyk, 0.1));
  EXPECT_FALSE(colors::colorByAddingColor(Color::black(), cmyk));
  EXPECT_EQ(colors::colorSpaceString(static_cast<ColorSpaceModel>(9)), "Not a valid color space");
}

TEST(ColorAdditionsTest, MixingClampsAndLeavesAlphaAlone) {
  ModelColor base = Color::rgb(0.5, 0.2, 0.8, 0.4);
  EXPECT_EQ(colors::colorByMultiplyingBy(base, 2)->color, Color::rgb(1, 0.4, 1, 0.4));
  EXPECT_EQ(colors::colorByAdding(base, -0.3)->color, Color::rgb(0.5 - 0.3, 0, 0.8 - 0.3, 0.4));
  EXPECT_EQ(colors::colorByLighteningTo(base, 0.6)->color, Color::rgb(0.6, 0.6, 0.8, 0.4));
  EXPECT_EQ(colors::colorByDarkeningTo(base, 0.6)->color, Color::rgb(0.5, 0.2, 0.6, 0.4));
  EXPECT_EQ(colors::colorByDarkeningToColor(base, Color::rgb(0.1, 0.9, 0.9))->color, Color::rgb(0.1, 0.2, 0.8, 0.4));

  ModelColor random = colors::randomColor();
  EXPECT_EQ(random.color.alpha, 1);
  EXPECT_GE(random.color.red, 0);
  EXPECT_LE(random.color.red, 1);
}

}  // namespace
