#include "platform/ui/Renderer.h"

#include <gtest/gtest.h>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Color;
using ui::Rect;
using ui::View;
using uitest::rgbaAt;

class RendererTest : public uitest::UiFixture {
 protected:
  std::shared_ptr<View> root = std::make_shared<View>(Rect{0, 0, 200, 100});

  ui::ImagePtr draw(double scale = 1) {
    auto image = ui::render(*root, {.scale = scale});
    EXPECT_TRUE(image.ok());
    return image.ok() ? image.value() : nullptr;
  }
};

TEST_F(RendererTest, BackgroundsFillTheirFramesOnly) {
  auto red = std::make_shared<View>(Rect{50, 20, 40, 30});
  red->setBackgroundColor(Color::rgb(1, 0, 0));
  root->addSubview(red);
  auto image = draw();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixelWidth(), 200);
  EXPECT_EQ(rgbaAt(*image, 60, 30).red, 255);
  EXPECT_EQ(rgbaAt(*image, 60, 30).green, 0);
  EXPECT_EQ(rgbaAt(*image, 49, 30).green, 255);  // white page just outside
  EXPECT_EQ(rgbaAt(*image, 90, 30).green, 255);
}

// A faded view with overlapping parts fades as one picture; one whose parts lie apart is painted
// straight with the alpha, which must give the same colours.
TEST_F(RendererTest, FadedViewsBlendAsOnePictureWhetherOrNotTheirPartsOverlap) {
  auto square = [](Rect frame, Color colour) {
    auto view = std::make_shared<View>(frame);
    view->setBackgroundColor(colour);
    return view;
  };
  auto overlapping = std::make_shared<View>(Rect{0, 0, 100, 100});
  overlapping->addSubview(square({0, 0, 60, 60}, Color::rgb(1, 0, 0)));
  overlapping->addSubview(square({40, 40, 60, 60}, Color::rgb(0, 0, 1)));
  auto apart = std::make_shared<View>(Rect{100, 0, 100, 100});
  apart->addSubview(square({0, 0, 40, 40}, Color::rgb(1, 0, 0)));
  auto nested = std::make_shared<View>(Rect{60, 60, 40, 40});
  nested->addSubview(square({0, 0, 40, 40}, Color::rgb(0, 0, 1)));
  nested->addSubview(square({20, 20, 20, 20}, Color::rgb(0, 1, 0)));
  apart->addSubview(nested);
  for (const auto& faded : {overlapping, apart}) {
    faded->setAlpha(0.5);
    root->addSubview(faded);
  }
  auto image = draw();
  ASSERT_TRUE(image);
  // Blue over red, then half of that over white: no red shows through.
  EXPECT_NEAR(rgbaAt(*image, 50, 50).red, 127, 2);
  EXPECT_NEAR(rgbaAt(*image, 50, 50).green, 127, 2);
  EXPECT_NEAR(rgbaAt(*image, 50, 50).blue, 255, 2);
  EXPECT_NEAR(rgbaAt(*image, 120, 20).green, 127, 2);  // the lone red square
  EXPECT_NEAR(rgbaAt(*image, 170, 70).red, 127, 2);    // blue alone
  EXPECT_NEAR(rgbaAt(*image, 170, 70).green, 127, 2);
  EXPECT_NEAR(rgbaAt(*image, 190, 90).blue, 127, 2);  // green over blue inside a faded tree
  EXPECT_NEAR(rgbaAt(*image, 190, 90).green, 255, 2);
}

TEST_F(RendererTest, ALabelRedrawsAfterItsTextFontOrBoxChange) {
  auto label = std::make_shared<ui::Label>(Rect{0, 0, 200, 40});
  label->setText("i");
  root->addSubview(label);
  auto darkPixels = [&] {
    auto image = draw();
    int dark = 0;
    for (int y = 0; image && y < 100; ++y)
      for (int x = 0; x < 200; ++x) dark += rgbaAt(*image, x, y).red < 128;
    return dark;
  };
  const int narrow = darkPixels();
  label->setText("WWWW");
  const int wide = darkPixels();
  EXPECT_GT(wide, narrow * 4);
  label->setFont(ui::Font::systemFont(8));
  EXPECT_LT(darkPixels(), wide);
  label->setFont(ui::Font::systemFont(17));
  label->setFrame({0, 0, 30, 40});  // the box cuts the line short
  EXPECT_LT(darkPixels(), wide);
}

TEST_F(RendererTest, AlphaHiddenAndCornersShowAsOnScreen) {
  auto faded = std::make_shared<View>(Rect{0, 0, 50, 50});
  faded->setBackgroundColor(Color::black());
  faded->setAlpha(0.5);
  auto hidden = std::make_shared<View>(Rect{100, 0, 50, 50});
  hidden->setBackgroundColor(Color::black());
  hidden->setHidden(true);
  auto rounded = std::make_shared<View>(Rect{150, 50, 50, 50});
  rounded->setBackgroundColor(Color::black());
  rounded->layer().setCornerRadius(20);
  root->addSubview(faded);
  root->addSubview(hidden);
  root->addSubview(rounded);
  auto image = draw();
  ASSERT_TRUE(image);
  EXPECT_NEAR(rgbaAt(*image, 25, 25).red, 127, 2);
  EXPECT_EQ(rgbaAt(*image, 125, 25).red, 255);
  EXPECT_EQ(rgbaAt(*image, 151, 51).red, 255);  // cut corner
  EXPECT_EQ(rgbaAt(*image, 175, 75).red, 0);
}

TEST_F(RendererTest, ClippingTransformsAndScale) {
  auto clip = std::make_shared<View>(Rect{0, 0, 50, 50});
  clip->setClipsToBounds(true);
  auto spill = std::make_shared<View>(Rect{25, 25, 100, 100});
  spill->setBackgroundColor(Color::black());
  clip->addSubview(spill);
  auto scaled = std::make_shared<View>(Rect{140, 40, 20, 20});
  scaled->setBackgroundColor(Color::black());
  scaled->setTransform(ui::AffineTransform::scale(2));
  root->addSubview(clip);
  root->addSubview(scaled);
  auto image = draw(2);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixelWidth(), 400);
  EXPECT_EQ(rgbaAt(*image, 2 * 40, 2 * 40).red, 0);
  EXPECT_EQ(rgbaAt(*image, 2 * 60, 2 * 40).red, 255);  // clipped away
  EXPECT_EQ(rgbaAt(*image, 2 * 132, 2 * 32).red, 0);   // grown around its centre (150, 50)
  EXPECT_EQ(rgbaAt(*image, 2 * 128, 2 * 28).red, 255);
}

TEST_F(RendererTest, LabelsDrawTheirTextInsideTheirFrame) {
  auto label = std::make_shared<ui::Label>(Rect{20, 20, 160, 40});
  label->setText("收藏成功 OK");
  label->setFont(ui::Font::boldSystemFont(20));
  root->addSubview(label);
  auto image = draw();
  ASSERT_TRUE(image);
  int inked = 0, outside = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      bool dark = rgbaAt(*image, x, y).red < 128;
      bool inFrame = x >= 20 && x < 180 && y >= 20 && y < 60;
      (inFrame ? inked : outside) += dark;
    }
  }
  EXPECT_GT(inked, 100);
  EXPECT_EQ(outside, 0);
  ASSERT_TRUE(ui::renderToPNG(*root, renderedPath("label"), {.scale = 2}).ok());
}

TEST_F(RendererTest, AnimationsRenderWhereTheyAreNow) {
  auto box = std::make_shared<View>(Rect{0, 0, 50, 50});
  box->setBackgroundColor(Color::black());
  root->addSubview(box);
  View::animate(foundation::Duration(1), foundation::Duration(0), {.curve = ui::AnimationCurve::Linear},
                [&] { box->setAlpha(0); });
  step(0.5);
  auto image = draw();
  ASSERT_TRUE(image);
  EXPECT_NEAR(rgbaAt(*image, 25, 25).red, 127, 2);
}

TEST_F(RendererTest, EmptyViewsCannotBeRendered) {
  View empty;
  EXPECT_FALSE(ui::render(empty).ok());
  EXPECT_FALSE(ui::renderToPNG(*root, "/nonexistent-folder/x.png").ok());
}

}  // namespace
