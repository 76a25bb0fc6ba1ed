#include <gtest/gtest.h>

#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/framework/categories/AlertAdditions.h"
#include "src/framework/categories/ButtonAdditions.h"
#include "src/framework/categories/DeviceAdditions.h"
#include "src/framework/categories/LabelAdditions.h"
#include "src/framework/categories/TextFieldAdditions.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Color;
using ui::Rect;

class ControlAdditionsTest : public uitest::UiFixture {
 protected:
  void TearDown() override {
    for (const auto& alert : ui::AlertView::visibleAlerts()) alert->dismiss(alert->cancelButtonIndex(), false);
    UiFixture::TearDown();
  }

  static ui::ImagePtr picture() { return ui::Image::fromPixels(1, 1, {0xFF00FF00}); }
};

TEST_F(ControlAdditionsTest, ButtonsGetTitleColoursImagesActionAndTag) {
  int taps = 0;
  ui::ImagePtr normal = picture();
  ui::ImagePtr tapped = picture();
  auto button = framework::button_additions::buttonWithFrame(
      Rect{1, 2, 80, 30}, "播放", Color::white(), Color::gray(), ui::Font::boldSystemFont(15), normal, tapped,
      [&](ui::Control&) { ++taps; }, 7);
  EXPECT_EQ(button->frame(), (Rect{1, 2, 80, 30}));
  EXPECT_EQ(button->tag(), 7);
  EXPECT_EQ(button->titleForState(ui::kStateNormal), "播放");
  EXPECT_EQ(button->titleColorForState(ui::kStateNormal), Color::white());
  EXPECT_EQ(button->titleColorForState(ui::kStateHighlighted), Color::gray());
  EXPECT_EQ(button->titleLabel().font(), ui::Font::boldSystemFont(15));
  EXPECT_EQ(button->backgroundImageForState(ui::kStateNormal), normal);
  EXPECT_EQ(button->backgroundImageForState(ui::kStateHighlighted), tapped);

  auto window = std::make_shared<ui::Window>();
  window->addSubview(button);
  window->makeKeyAndVisible();
  window->tap({40, 15});
  EXPECT_EQ(taps, 1);
}

TEST_F(ControlAdditionsTest, ButtonsWithoutTitleOrPicturesLeaveThemUnset) {
  auto button = framework::button_additions::buttonWithFrame(Rect{0, 0, 10, 10}, "", Color::white(), Color::gray(),
                                                             ui::Font::systemFont(12), nullptr, nullptr, {}, 0);
  EXPECT_FALSE(button->titleForState(ui::kStateNormal));
  EXPECT_EQ(button->backgroundImageForState(ui::kStateHighlighted), nullptr);
  EXPECT_FALSE(button->hasActions(ui::kTouchUpInside));
}

TEST_F(ControlAdditionsTest, NavigationBarTitlesAreCentredLabels) {
  auto title =
      framework::label_additions::labelForNavigationBarWithTitle("频道", Color::black(), ui::Font::boldSystemFont(20));
  EXPECT_EQ(title->frame(), (Rect{0, 0, 320, 44}));
  EXPECT_EQ(title->textAlignment(), ui::TextAlignment::Center);
  EXPECT_EQ(title->backgroundColor(), Color::clear());
}

TEST_F(ControlAdditionsTest, ALabelWithShadowDrawsItOneRightAndDownInBlack) {
  auto white = framework::label_additions::labelWithFrame(Rect{0, 0, 120, 40}, "阴影", Color::white(1),
                                                          ui::Font::boldSystemFont(30), 7, true);
  EXPECT_EQ(white->tag(), 7);
  EXPECT_EQ(white->shadowColor(), Color::black());
  EXPECT_EQ(white->shadowOffset(), (ui::Size{1.0, 1.0}));
  ui::View host(Rect{0, 0, 120, 40});
  host.setBackgroundColor(Color::rgb(0.2, 0.4, 0.8));
  host.addSubview(white);
  ASSERT_TRUE(ui::renderToPNG(host, renderedPath("label_with_shadow"), {.scale = 4}).ok());
  auto drawn = ui::render(host);
  ASSERT_TRUE(drawn.ok());
  int blackPixels = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      uitest::Rgba pixel = uitest::rgbaAt(*drawn.value(), x, y);
      blackPixels += pixel.red < 40 && pixel.green < 40 && pixel.blue < 40;
    }
  EXPECT_GT(blackPixels, 20);

  auto plain = framework::label_additions::labelWithFrame(Rect{0, 0, 120, 40}, "阴影", Color::white(1),
                                                          ui::Font::boldSystemFont(30), 0);
  EXPECT_EQ(plain->shadowColor(), Color::clear());
}

TEST_F(ControlAdditionsTest, TextFieldsGetTheirValuesAndTheDoneKeyWithoutAutocorrection) {
  auto field = framework::text_field_additions::textFieldWithFrame(
      Rect{5, 6, 200, 30}, ui::TextBorderStyle::RoundedRect, Color::black(), Color::white(), ui::Font::systemFont(14),
      ui::KeyboardType::EmailAddress, 9);
  EXPECT_EQ(field->frame(), (Rect{5, 6, 200, 30}));
  EXPECT_EQ(field->borderStyle(), ui::TextBorderStyle::RoundedRect);
  EXPECT_EQ(field->textColor(), Color::black());
  EXPECT_EQ(field->backgroundColor(), Color::white());
  EXPECT_EQ(field->font(), ui::Font::systemFont(14));
  EXPECT_EQ(field->keyboardType(), ui::KeyboardType::EmailAddress);
  EXPECT_EQ(field->tag(), 9);
  EXPECT_EQ(static_cast<int>(field->returnKeyType()), 9);
  EXPECT_EQ(field->clearButtonMode(), ui::TextFieldViewMode::WhileEditing);
  EXPECT_EQ(field->leftViewMode(), ui::TextFieldViewMode::UnlessEditing);
  EXPECT_EQ(field->autocorrectionType(), ui::TextAutocorrectionType::No);
}

TEST_F(ControlAdditionsTest, TheOrientationIsTheStatusBars) {
  EXPECT_EQ(framework::device_additions::currentOrientation(), ui::InterfaceOrientation::portrait);
  ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::landscapeLeft);
  EXPECT_EQ(framework::device_additions::currentOrientation(), ui::InterfaceOrientation::landscapeLeft);
}

TEST_F(ControlAdditionsTest, AlertsShowTheirButtons) {
  auto plain = framework::alert_additions::popupAlertByDelegate(nullptr, "标题", "内容");
  EXPECT_TRUE(plain->isVisible());
  ASSERT_EQ(plain->numberOfButtons(), 1);
  EXPECT_EQ(plain->buttonTitle(plain->cancelButtonIndex()), "确定");

  auto twoButtons = framework::alert_additions::popupAlertByDelegate(nullptr, std::nullopt, "删除?", "取消", "删除");
  ASSERT_EQ(twoButtons->numberOfButtons(), 2);
  EXPECT_EQ(twoButtons->buttonTitle(0), "取消");
  EXPECT_EQ(twoButtons->buttonTitle(twoButtons->firstOtherButtonIndex()), "删除");
  EXPECT_EQ(ui::AlertView::visibleAlerts().size(), 2u);
}

TEST_F(ControlAdditionsTest, HighResolutionNeedsVersionFourAndTwoPixelsPerPoint) {
  ui::Screen::setMain(ui::Screen({320, 568}, "7.0", 2));
  EXPECT_TRUE(framework::device_additions::isHighResolutionDevice());
  ui::Screen::setMain(ui::Screen({320, 480}, "7.0", 1));
  EXPECT_FALSE(framework::device_additions::isHighResolutionDevice());
  ui::Screen::setMain(ui::Screen({320, 480}, "3.1.3", 2));
  EXPECT_FALSE(framework::device_additions::isHighResolutionDevice());
}

TEST_F(ControlAdditionsTest, HardwareAddressesOrTheFailureTexts) {
  EXPECT_EQ(framework::device_additions::macAddressOfInterface("no-such-if0"), "if_nametoindex failure");
  // The loopback interface has a six-byte link-layer address of zeros.
  EXPECT_EQ(framework::device_additions::macAddressOfInterface("lo"), "00:00:00:00:00:00");
  EXPECT_EQ(framework::device_additions::getMacAddress(), framework::device_additions::macAddressOfInterface("en0"));
}

}  // namespace
