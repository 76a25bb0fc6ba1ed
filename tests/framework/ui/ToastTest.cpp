#include "src/framework/ui/Toast.h"

#include <gtest/gtest.h>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using framework::toast::Position;
using ui::Rect;
using ui::View;
namespace toast = framework::toast;

class ToastTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    host = std::make_shared<View>(Rect{0, 0, 320, 460});
    host->setBackgroundColor(ui::Color::white());
  }

  std::shared_ptr<View> lastToast() const { return host->subviews().empty() ? nullptr : host->subviews().back(); }
  static ui::Label* labelIn(View& box, std::size_t index) {
    return dynamic_cast<ui::Label*>(box.subviews()[index].get());
  }

  std::shared_ptr<View> host;
};

TEST_F(ToastTest, NothingIsShownWithoutMessageTitleOrPicture) {
  toast::makeToast(*host, std::nullopt, 3.0, "center", std::nullopt, nullptr);
  toast::makeToast(*host, std::nullopt);
  EXPECT_TRUE(host->subviews().empty());
  EXPECT_EQ(toast::viewForMessage(*host, std::nullopt, std::nullopt, nullptr), nullptr);
}

TEST_F(ToastTest, AMessageBoxHasTenPointMarginsAndTheToastLook) {
  toast::makeToast(*host, "当前无网络，请稍后再试！", 2.0, "center");
  auto box = lastToast();
  ASSERT_TRUE(box);
  ASSERT_EQ(box->subviews().size(), 1u);
  ui::Label* message = labelIn(*box, 0);
  ASSERT_NE(message, nullptr);
  ui::Size text = ui::sizeOfText("当前无网络，请稍后再试！", ui::Font::systemFont(16), {256, 368});
  EXPECT_EQ(message->frame(), (Rect{10, 10, text.width, text.height}));
  EXPECT_EQ(box->bounds().size, (ui::Size{text.width + 20, text.height + 20}));
  EXPECT_EQ(box->autoresizingMask(), 45u);
  EXPECT_EQ(box->layer().cornerRadius(), 10);
  EXPECT_EQ(box->layer().shadowOffset(), (ui::Size{4, 4}));
  EXPECT_EQ(box->backgroundColor(), ui::Color::black().withAlpha(0.8));
  EXPECT_EQ(message->textColor(), ui::Color::white());
}

TEST_F(ToastTest, PositionsFollowTheTableOnA568PointScreen) {
  View toastView(Rect{0, 0, 100, 40});
  host->setCenter({160, 300});
  EXPECT_EQ(toast::centerPointForPosition(*host, "TOP", toastView), (ui::Point{160, 100}));
  EXPECT_EQ(toast::centerPointForPosition(*host, "bottom", toastView), (ui::Point{160, 460 - 20 - 10}));
  EXPECT_EQ(toast::centerPointForPosition(*host, "left", toastView), (ui::Point{160, 430}));
  EXPECT_EQ(toast::centerPointForPosition(*host, Position(), toastView), (ui::Point{160, 430}));
  EXPECT_EQ(toast::centerPointForPosition(*host, "Special", toastView), (ui::Point{160, 300}));
  EXPECT_EQ(toast::centerPointForPosition(*host, ui::Point{12, 34}, toastView), (ui::Point{12, 34}));
  EXPECT_EQ(toast::centerPointForPosition(*host, "center", toastView), (ui::Point{160, 230 + 140}));
}

TEST_F(ToastTest, CenterSitsLowerOnlyOnThe568PointScreen) {
  View toastView(Rect{0, 0, 100, 40});
  ui::Screen::setMain(ui::Screen({320, 480}));
  EXPECT_EQ(toast::centerPointForPosition(*host, "center", toastView), (ui::Point{160, 230 + 110}));
  ui::Screen::setMain(ui::Screen({320, 667}));
  EXPECT_EQ(toast::centerPointForPosition(*host, "center", toastView), (ui::Point{160, 230 + 110}));
}

TEST_F(ToastTest, LongMessagesWrapWithinFourFifthsOfTheHost) {
  std::string sentence;
  for (int i = 0; i < 12; ++i) sentence += "a rather long message that keeps going ";
  auto box = toast::viewForMessage(*host, sentence, std::nullopt, nullptr);
  ui::Label* message = labelIn(*box, 0);
  EXPECT_LE(message->frame().width(), 0.8 * 320);
  EXPECT_GT(message->frame().height(), 3 * ui::Font::systemFont(16).lineHeight());
  std::string endless;
  for (int i = 0; i < 40; ++i) endless += sentence;
  auto cut = toast::viewForMessage(*host, endless, std::nullopt, nullptr);
  EXPECT_LE(labelIn(*cut, 0)->frame().height(), 0.8 * 460);
}

TEST_F(ToastTest, APictureToastIsAtLeastAHundredTallWithTextAtAHundred) {
  auto picture = ui::Image::named("errorToastIcon.png");
  auto box = toast::viewForMessage(*host, "OK", std::nullopt, picture);
  ASSERT_EQ(box->subviews().size(), 2u);
  EXPECT_EQ(box->bounds().height(), 100);
  EXPECT_EQ(labelIn(*box, 0)->frame().minX(), 100);
  auto* image = dynamic_cast<ui::ImageView*>(box->subviews()[1].get());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->frame(), (Rect{10, 10, 80, 80}));
  EXPECT_EQ(image->contentMode(), ui::ContentMode::ScaleAspectFit);
  auto narrower = toast::viewForMessage(*host, std::string(300, 'x'), std::nullopt, picture);
  EXPECT_LE(labelIn(*narrower, 0)->frame().width(), 0.8 * 320 - 80);
}

TEST_F(ToastTest, TitleComesAboveTheMessage) {
  auto box = toast::viewForMessage(*host, "message", "Title", nullptr);
  ui::Label* title = labelIn(*box, 0);
  ui::Label* message = labelIn(*box, 1);
  EXPECT_TRUE(title->font().isBold());
  EXPECT_EQ(title->frame().origin, (ui::Point{10, 10}));
  EXPECT_EQ(message->frame().minY(), title->frame().maxY() + 10);
  EXPECT_EQ(box->bounds().height(), message->frame().maxY() + 10);
}

TEST_F(ToastTest, ATitleWithoutAMessageStaysInsideItsBox) {
  auto box = toast::viewForMessage(*host, std::nullopt, "Title only", nullptr);
  EXPECT_GE(box->bounds().height(), labelIn(*box, 0)->frame().maxY() + 10);
}

TEST_F(ToastTest, AToastFadesInStaysAndFadesOutByItself) {
  toast::makeToast(*host, "hello", 3.0, "bottom");
  auto shown = lastToast();
  EXPECT_EQ(shown->presentation().alpha, 0);
  step(0.1);
  double fading = shown->presentation().alpha;
  EXPECT_GT(fading, 0.5);  // ease-out: most of the way at half time
  EXPECT_LT(fading, 1);
  step(0.1);
  EXPECT_DOUBLE_EQ(shown->presentation().alpha, 1);
  step(3.0);
  EXPECT_DOUBLE_EQ(shown->presentation().alpha, 1);
  EXPECT_EQ(shown->superview(), host.get());
  step(0.1);
  EXPECT_LT(shown->presentation().alpha, 1);
  step(0.1);
  EXPECT_EQ(shown->superview(), nullptr);
  EXPECT_TRUE(host->subviews().empty());
}

TEST_F(ToastTest, TwoToastsAtOnceBothShowTheSecondOnTop) {
  toast::makeToast(*host, "first", 3.0, "bottom");
  toast::makeToast(*host, "second", 1.0, "bottom");
  ASSERT_EQ(host->subviews().size(), 2u);
  EXPECT_EQ(labelIn(*host->subviews()[1], 0)->text(), "second");
  step(1.4);
  ASSERT_EQ(host->subviews().size(), 1u);
  EXPECT_EQ(labelIn(*host->subviews()[0], 0)->text(), "first");
}

TEST_F(ToastTest, OneActivityToastPerHost) {
  toast::hideToastActivity(*host);  // none: nothing happens
  toast::makeToastActivity(*host);
  toast::makeToastActivity(*host);
  ASSERT_EQ(host->subviews().size(), 1u);
  auto box = host->subviews()[0];
  EXPECT_EQ(box->bounds().size, (ui::Size{100, 100}));
  EXPECT_EQ(box->center(), (ui::Point{160, 230 + 140}));
  ASSERT_EQ(box->subviews().size(), 1u);
  EXPECT_EQ(box->subviews()[0]->center(), (ui::Point{50, 50}));
  step(0.2);
  toast::hideToastActivity(*host);
  step(0.1);
  EXPECT_EQ(host->subviews().size(), 1u);
  step(0.1);
  EXPECT_TRUE(host->subviews().empty());
  toast::makeToastActivity(*host, "top");
  ASSERT_EQ(host->subviews().size(), 1u);
  EXPECT_EQ(host->subviews()[0]->center(), (ui::Point{160, 100}));
}

TEST_F(ToastTest, TopViewToastGoesToTheKeyWindow) {
  toast::topViewToast("收藏成功", 2.0, "center");  // no window yet: nothing, no harm
  auto window = std::make_shared<ui::Window>();
  window->makeKeyAndVisible();
  auto screen = std::make_shared<View>(window->bounds());
  window->addSubview(screen);
  toast::topViewToast("收藏成功", 2.0, "center");
  EXPECT_TRUE(screen->subviews().empty());
  ASSERT_EQ(window->subviews().size(), 2u);
  screen->removeFromSuperview();  // the screen changes; the toast stays
  EXPECT_EQ(window->subviews().size(), 1u);
  step(2.4);
  EXPECT_TRUE(window->subviews().empty());
}

TEST_F(ToastTest, BadgesShowTheirIconAndText) {
  toast::showProgramIsCancelCeollectedToast(*host);
  auto badge = std::dynamic_pointer_cast<ui::ImageView>(lastToast());
  ASSERT_TRUE(badge);
  EXPECT_EQ(badge->bounds().size, (ui::Size{102, 58}));
  EXPECT_NE(badge->image(), nullptr);
  auto* icon = dynamic_cast<ui::ImageView*>(badge->subviews()[0].get());
  EXPECT_EQ(icon->image(), ui::Image::named("programCancelCollectedToastIcon.png"));
  EXPECT_EQ(icon->center(), (ui::Point{51, 19}));
  EXPECT_EQ(labelIn(*badge, 1)->text(), "已取消收藏");
  EXPECT_EQ(labelIn(*badge, 1)->frame(), (Rect{0, 32, 102, 26}));

  auto empty = toast::getCollectedViewWithType(9);
  EXPECT_EQ(dynamic_cast<ui::ImageView&>(*empty->subviews()[0]).image(), nullptr);
  EXPECT_EQ(labelIn(*empty, 1)->text(), "");

  step(1.0);
  host->setCenter({160, 250});
  toast::showErrorToastForTitle(*host, "节目取消离线失败!");
  auto error = lastToast();
  EXPECT_EQ(error->center(), (ui::Point{160, 250}));  // "special": the host's own centre
  EXPECT_EQ(dynamic_cast<ui::ImageView&>(*error->subviews()[0]).image(), ui::Image::named("errorToastIcon.png"));
  step(1.4);
  EXPECT_EQ(host->subviews().size(), 1u);  // the collection badge is gone, the error badge not yet
  step(1.0);
  EXPECT_TRUE(host->subviews().empty());
}

TEST_F(ToastTest, AnIconBadgeGrowsToItsWholeTitleWithinTheHost) {
  const ui::Font font = ui::Font::systemFont(13);
  auto badgeFor = [&](const std::string& title) {
    toast::showToastWithTitle(*host, title, ui::Image::named("errorToastIcon.png"));
    return lastToast();
  };
  auto shortBadge = badgeFor("失败");
  EXPECT_EQ(shortBadge->bounds().size, (ui::Size{122, 58}));
  EXPECT_EQ(shortBadge->subviews()[0]->frame(), (Rect{50, 6, 24, 24}));
  EXPECT_EQ(labelIn(*shortBadge, 1)->frame(), (Rect{0, 32, 122, 26}));
  EXPECT_EQ(dynamic_cast<ui::ImageView&>(*shortBadge).image(), ui::Image::named("collectedToastBG.png"));

  const std::string added = "节目加入离线节目成功!";
  auto wide = badgeFor(added);
  const double width = wide->bounds().width();
  EXPECT_GT(width, 122);
  EXPECT_EQ(wide->bounds().height(), 58);
  EXPECT_EQ(dynamic_cast<ui::ImageView&>(*wide).image(), ui::Image::named("collectedToastBG.png"));
  EXPECT_EQ(labelIn(*wide, 1)->text(), added);
  EXPECT_GE(labelIn(*wide, 1)->frame().width(), ui::sizeOfText(added, font).width) << "the title fits on one line";
  EXPECT_EQ(wide->subviews()[0]->frame().midX(), 62 + (width - 122) / 2) << "the icon stays over the middle";
  EXPECT_EQ(wide->center().x, host->center().x);

  std::string longTitle;
  for (int i = 0; i < 6; ++i) longTitle += added;
  auto wrapped = badgeFor(longTitle);
  EXPECT_LE(wrapped->bounds().width(), 300) << "ten points from each side of the host";
  ui::Rect label = labelIn(*wrapped, 1)->frame();
  EXPECT_GE(label.height(), ui::sizeOfText(longTitle, font, {label.width(), ui::kNoLimit}).height);
  EXPECT_LE(label.maxY(), wrapped->bounds().height());
  EXPECT_GT(wrapped->bounds().height(), 58);
}

TEST_F(ToastTest, ARenderedToastShowsItsBoxWhereTheGeometrySaysWithTextInside) {
  toast::makeToast(*host, "当前无网络，请稍后再试！", 2.0, "center");
  step(0.2);
  auto box = lastToast();
  auto image = ui::render(*host);
  ASSERT_TRUE(image.ok());
  Rect frame = box->frame();
  auto inside = uitest::rgbaAt(**image, static_cast<int>(frame.minX()) + 4, static_cast<int>(frame.midY()));
  EXPECT_LT(inside.red, 60);  // black at 0.8 over its own shadow
  auto above = uitest::rgbaAt(**image, static_cast<int>(frame.midX()), static_cast<int>(frame.minY()) - 8);
  auto left = uitest::rgbaAt(**image, static_cast<int>(frame.minX()) - 8, static_cast<int>(frame.midY()));
  EXPECT_EQ(above.red, 255);
  EXPECT_EQ(left.red, 255);
  Rect text = box->convertRect(box->subviews()[0]->frame(), host.get());
  int lit = 0;
  for (int y = static_cast<int>(text.minY()); y < text.maxY(); ++y) {
    for (int x = static_cast<int>(text.minX()); x < text.maxX(); ++x) lit += uitest::rgbaAt(**image, x, y).red > 200;
  }
  EXPECT_GT(lit, 40);
}

// Every kind of toast, drawn for people to look at.
TEST_F(ToastTest, EachKindIsRenderedForPeopleToLookAt) {
  auto draw = [&](const std::string& name) {
    step(0.2);
    ASSERT_TRUE(ui::renderToPNG(*host, renderedPath("toast-" + name), {.scale = 2}).ok());
    step(10);
    EXPECT_TRUE(host->subviews().empty()) << name;
  };
  toast::makeToast(*host, "当前无网络，请稍后再试！", 2.0, "center");
  draw("message");
  toast::makeToast(*host, "A long message that wraps over several lines inside the toast box", 2.0, "top", "标题 Title",
                   ui::Image::named("programCollectedToastIcon.png"));
  draw("title-picture");
  toast::showMusicIsCollectedToast(*host);
  draw("collected");
  toast::showErrorToastForTitle(*host, "节目取消离线失败!");
  draw("error");
  toast::showToastWithTitle(*host, "节目加入离线节目成功!", ui::Image::named("programCollectedToastIcon.png"));
  draw("badge-wide");
  toast::showErrorToastForTitle(*host, "节目加入离线失败，请检查网络连接后再试一次，或者稍后在离线列表里重新下载");
  draw("badge-wrapped");
  toast::makeToastActivity(*host);
  step(0.2);
  ASSERT_TRUE(ui::renderToPNG(*host, renderedPath("toast-activity"), {.scale = 2}).ok());
  toast::hideToastActivity(*host);
}

}  // namespace
