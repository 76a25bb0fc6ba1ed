#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "src/framework/categories/ButtonZunoRadio.h"
#include "src/framework/ui/AutoDismissAlert.h"
#include "src/framework/ui/TTSStyle.h"
#include "src/framework/ui/UIUtil.h"
#include "tests/platform/ui/UiFixture.h"

namespace framework {
namespace {

class UIUtilTest : public uitest::UiFixture {};

TEST_F(UIUtilTest, AspectFitKeepsTheProportionsAndAnEmptySizeFitsNothing) {
  EXPECT_EQ(UIUtil::getFillInImageSize({200, 100}, {100, 100}), (ui::Size{100, 50}));
  EXPECT_EQ(UIUtil::getFillInImageSize({100, 200}, {100, 100}), (ui::Size{50, 100}));
  EXPECT_EQ(UIUtil::getFillInImageSize({100, 100}, {300, 100}), (ui::Size{100, 100}));
  EXPECT_EQ(UIUtil::getFillInImageSize({200, 100}, {400, 100}), (ui::Size{200, 100}));
  EXPECT_EQ(UIUtil::getFillInImageSize({0, 100}, {100, 100}), (ui::Size{0, 0}));
  EXPECT_EQ(UIUtil::getFillInImageSize({100, 100}, {100, 0}), (ui::Size{0, 0}));
}

TEST_F(UIUtilTest, UrlEncodingEscapesEveryReservedCharacter) {
  EXPECT_EQ(UIUtil::urlEncode("a+b=c&d"), "a%2Bb%3Dc%26d");
  EXPECT_EQ(UIUtil::urlEncode("100% 好"), "100%25%20%E5%A5%BD");
  EXPECT_EQ(UIUtil::urlEncode("好", "GBK"), "%BA%C3");
  EXPECT_EQ(UIUtil::urlEncode("好", "ISO-8859-1"), std::nullopt);
}

TEST_F(UIUtilTest, TheStatusBarOffsetFollowsTheScreensSystemVersion) {
  EXPECT_EQ(TTSStyle::VersionCheckHeight(), 20.0f);
  ui::Screen::setMain(ui::Screen({320, 480}, "6.1"));
  EXPECT_EQ(TTSStyle::VersionCheckHeight(), 0.0f);
  EXPECT_EQ(TTSStyle::firstLevelFontColor(), ui::Color::rgb255(85, 90, 95));
}

TEST_F(UIUtilTest, HintsShareOneBoxThatShrinksAwayAndLeaveOtherTaggedViewsAlone) {
  auto host = std::make_shared<ui::View>(ui::Rect{0, 0, 320, 480});
  auto foreign = std::make_shared<ui::View>(ui::Rect{0, 0, 10, 10});
  foreign->setTag(UIUtil::kHintBoxTag);
  host->addSubview(foreign);

  UIUtil::showHint(host.get(), {160, 200}, "已收藏");
  UIUtil::showHint(host.get(), {160, 240}, "已取消", 0);
  ASSERT_EQ(host->subviews().size(), 2u);
  EXPECT_TRUE(foreign->subviews().empty());
  ui::View& box = *host->subviews()[1];
  EXPECT_EQ(box.tag(), UIUtil::kHintBoxTag);
  EXPECT_EQ(box.center(), (ui::Point{160, 240}));
  auto* label = dynamic_cast<ui::Label*>(box.viewWithTag(UIUtil::kHintLabelTag));
  ASSERT_TRUE(label);
  EXPECT_EQ(label->text(), "已取消");
  step(10);  // the first hint's shrink was overtaken by the second hint, which stays
  EXPECT_EQ(box.presentation().alpha, 1.0);

  UIUtil::showHint(host.get(), {160, 240}, "再见", 1);
  step(0.9);
  EXPECT_EQ(box.presentation().alpha, 1.0);
  step(0.7);
  EXPECT_EQ(box.presentation().alpha, 0.0);
  EXPECT_EQ(box.superview(), host.get());
}

TEST_F(UIUtilTest, ButtonImagesAndSelfClosingAlerts) {
  ui::Button button;
  auto image = ui::Image::fromPixels(1, 1, {0xFFFFFFFFu});
  button_zunoradio::setImageForAllState(button, image);
  EXPECT_EQ(button.imageForState(ui::kStateHighlighted), image);

  auto alert = showAutoDismissAlert("添加成功！");
  EXPECT_TRUE(alert->isVisible());
  EXPECT_EQ(alert->buttonTitle(0), "确定");
  step(0.4);
  EXPECT_TRUE(alert->isVisible());
  step(0.2);
  EXPECT_FALSE(alert->isVisible());
}

}  // namespace
}  // namespace framework
