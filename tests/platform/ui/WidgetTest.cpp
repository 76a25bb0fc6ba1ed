#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/Renderer.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Rect;
using uitest::rgbaAt;

class WidgetTest : public uitest::UiFixture {};

TEST_F(WidgetTest, ButtonsFallBackToTheNormalStateAndFollowTheirState) {
  ui::Button button(Rect{0, 0, 60, 30});
  button.setTitle("开始离线");
  button.setTitle("暂停离线", ui::kStateSelected);
  button.setTitleColor(ui::Color::rgb255(65, 125, 240));
  EXPECT_EQ(button.titleForState(ui::kStateHighlighted), "开始离线");
  EXPECT_EQ(button.titleForState(ui::kStateSelected | ui::kStateHighlighted), "暂停离线");
  EXPECT_EQ(button.titleColorForState(ui::kStateDisabled), ui::Color::rgb255(65, 125, 240));
  button.setSelected(true);
  EXPECT_EQ(button.currentTitle(), "暂停离线");
  EXPECT_EQ(button.titleLabel().text(), "暂停离线");
  button.setTitle(std::nullopt, ui::kStateSelected);
  EXPECT_EQ(button.titleLabel().text(), "开始离线");
}

TEST_F(WidgetTest, AButtonCentresImageAndTitleSideBySide) {
  ui::Button button(Rect{0, 0, 200, 44});
  auto icon = ui::Image::named("errorToastIcon.png");
  button.setImage(icon);
  button.setTitle("OK");
  button.layoutIfNeeded();
  Rect image = button.imageView().frame(), title = button.titleLabel().frame();
  EXPECT_EQ(image.size, (ui::Size{24, 24}));
  EXPECT_EQ(image.maxX(), title.minX());
  EXPECT_NEAR((image.minX() + title.maxX()) / 2, 100, 1e-9);
  EXPECT_EQ(image.midY(), 22);
  button.setImageEdgeInsets({0, 0, 10, 10});  // as the sleep timer's close button has it
  button.layoutIfNeeded();
  EXPECT_EQ(button.imageView().frame().origin, (ui::Point{image.minX() - 5, image.minY() - 5}));
  EXPECT_EQ(button.sizeThatFits({}).width, image.width() + title.width());
}

TEST_F(WidgetTest, AButtonDrawsItsBackgroundImageForTheState) {
  auto root = std::make_shared<ui::View>(Rect{0, 0, 100, 50});
  auto button = std::make_shared<ui::Button>(Rect{0, 0, 100, 50});
  button->setBackgroundImage(ui::Image::named("collectedToastBG.png"));
  root->addSubview(button);
  auto image = ui::render(*root);
  ASSERT_TRUE(image.ok());
  EXPECT_LT(rgbaAt(**image, 50, 25).red, 100);
}

TEST_F(WidgetTest, ProgressStaysBetweenZeroAndOneAndFillsFromTheLeft) {
  auto root = std::make_shared<ui::View>(Rect{0, 0, 100, 10});
  auto bar = std::make_shared<ui::ProgressView>(Rect{0, 0, 100, 10});
  bar->setProgressTintColor(ui::Color::black());
  bar->setTrackTintColor(ui::Color::white());
  root->addSubview(bar);
  bar->setProgress(3.0f / 12.0f);
  auto image = ui::render(*root);
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(rgbaAt(**image, 20, 5).red, 0);
  EXPECT_EQ(rgbaAt(**image, 30, 5).red, 255);
  bar->setProgress(7);
  EXPECT_EQ(bar->progress(), 1);
  bar->setProgress(std::numeric_limits<float>::quiet_NaN());  // 0 of 0 songs
  EXPECT_EQ(bar->progress(), 0);
}

TEST_F(WidgetTest, SpinnersShowOnlyWhileSpinningAndKeepTheirStyleSize) {
  ui::ActivityIndicatorView large(ui::ActivityIndicatorStyle::WhiteLarge);
  EXPECT_EQ(large.bounds().size, (ui::Size{37, 37}));
  EXPECT_TRUE(large.isHidden());
  large.startAnimating();
  EXPECT_TRUE(large.isAnimating());
  EXPECT_FALSE(large.isHidden());
  large.stopAnimating();
  EXPECT_TRUE(large.isHidden());
  large.setHidesWhenStopped(false);
  EXPECT_FALSE(large.isHidden());
  large.setStyle(ui::ActivityIndicatorStyle::Gray);
  EXPECT_EQ(large.bounds().size, (ui::Size{20, 20}));
}

TEST_F(WidgetTest, ImageViewsPlaceTheirPictureByContentMode) {
  auto root = std::make_shared<ui::View>(Rect{0, 0, 100, 100});
  auto icon = ui::Image::named("errorToastIcon.png");
  auto fitted = std::make_shared<ui::ImageView>(icon);
  EXPECT_EQ(fitted->bounds().size, (ui::Size{24, 24}));
  fitted->setFrame({0, 0, 100, 100});
  fitted->setBackgroundColor(ui::Color::black());
  fitted->setContentMode(ui::ContentMode::Center);
  root->addSubview(fitted);
  auto image = ui::render(*root);
  ASSERT_TRUE(image.ok());
  int white = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (rgbaAt(**image, x, y).red <= 128) continue;
      ++white;
      EXPECT_TRUE(x >= 38 && x < 62 && y >= 38 && y < 62) << x << "," << y;
    }
  }
  EXPECT_GT(white, 20);
}

TEST_F(WidgetTest, LabelsCentreTheirTextVertically) {
  auto root = std::make_shared<ui::View>(Rect{0, 0, 200, 100});
  auto label = std::make_shared<ui::Label>(Rect{0, 0, 200, 100});
  label->setText("—————");
  label->setTextAlignment(ui::TextAlignment::Right);
  root->addSubview(label);
  auto image = ui::render(*root);
  ASSERT_TRUE(image.ok());
  int top = 100, bottom = 0, left = 200;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (rgbaAt(**image, x, y).red >= 128) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      left = std::min(left, x);
    }
  }
  EXPECT_NEAR((top + bottom) / 2.0, 50, 6);
  EXPECT_GT(left, 60);  // right aligned
}

}  // namespace
