#include "src/framework/ui/QRVAlertView.h"

#include <gtest/gtest.h>

#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/framework/ui/ApplicationWindow.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using framework::QRVAlertView;
using ui::Rect;

class Recorder : public framework::QRVAlertViewDelegate {
 public:
  std::vector<std::string> calls;
  void confirmBtnClicked(QRVAlertView&) override { calls.push_back("confirm"); }
  void cancelBtnClicked(QRVAlertView&) override { calls.push_back("cancel"); }
  void keybordPullDown(QRVAlertView&) override { calls.push_back("keyboard"); }
};

// A prompt whose nib was never made.
class MissingPrompt : public QRVAlertView {
 public:
  static constexpr const char* kXibName = "MissingPrompt";
};

class QRVAlertViewTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    ui::Screen::setMain(ui::Screen({320, 480}));
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
    host = std::make_shared<ui::View>(Rect{0, 0, 320, 480});
    host->setBackgroundColor(ui::Color::rgb255(226, 231, 237));
    window->addSubview(host);
    framework::ApplicationWindow::setProvider([this] { return window; });
  }
  void TearDown() override {
    framework::ApplicationWindow::setProvider({});
    UiFixture::TearDown();
  }

  static std::shared_ptr<QRVAlertView> loaded() { return QRVAlertView::loadFromXib<QRVAlertView>(); }
  static bool contains(const ui::View& parent, const ui::View* child) {
    for (const auto& view : parent.subviews())
      if (view.get() == child) return true;
    return false;
  }

  std::shared_ptr<ui::Window> window;
  std::shared_ptr<ui::View> host;
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(QRVAlertViewTest, TheAlertGoesAboveTheKeyboardWhenItShows) {
  auto alert = loaded();
  ASSERT_TRUE(alert && alert->bgControl() && alert->msgLabel());
  EXPECT_FALSE(alert->isAutoHidden());
  EXPECT_EQ(alert->bgControl()->frame(), window->bounds());
  alert->showInView(host.get(), {16, 100}, recorder);
  EXPECT_EQ(host->subviews().back(), alert);
  EXPECT_EQ(host->subviews()[host->subviews().size() - 2], alert->bgControl());
  EXPECT_EQ(alert->frame(), (Rect{16, 100, 288, 160}));

  ui::Application::shared().showKeyboard();
  auto prompt = loaded();
  prompt->showInView(host.get(), {16, 100}, recorder);
  ui::View* keyboardWindow = QRVAlertView::keyboardView()->superview();
  EXPECT_TRUE(contains(*keyboardWindow, prompt.get()));
  EXPECT_TRUE(contains(*keyboardWindow, prompt->bgControl().get()));
  EXPECT_FALSE(contains(*host, prompt.get()));
}

TEST_F(QRVAlertViewTest, ACentredAlertSitsThirtyPointsAboveTheMiddleAndPopsIn) {
  auto alert = loaded();
  alert->setBounds({0, 0, 288, 200});
  alert->showInView(host.get(), "确定要删除吗？", recorder);
  EXPECT_EQ(alert->frame().minY(), 110);
  EXPECT_EQ(alert->frame().minX(), 16);
  EXPECT_EQ(alert->msgLabel()->text(), "确定要删除吗？");
  EXPECT_EQ(alert->layer().animationKeys(), (std::vector<std::string>{QRVAlertView::kAppearKey}));
  step(0.15);
  EXPECT_LT(alert->presentation().alpha, 1);
  step(0.5);
  EXPECT_EQ(alert->presentation().alpha, 1);
  EXPECT_TRUE(alert->layer().animationKeys().empty());

  alert->hide();
  EXPECT_EQ(alert->layer().animationKeys(), (std::vector<std::string>{QRVAlertView::kDisappearKey}));
  step(0.29);
  EXPECT_EQ(alert->superview(), host.get());
  step(0.02);
  EXPECT_EQ(alert->superview(), nullptr);
  EXPECT_EQ(alert->bgControl()->superview(), nullptr);
}

TEST_F(QRVAlertViewTest, ScaleAnimationsSpringInAndShrinkAway) {
  auto in = QRVAlertView::scaleAnimation(true);
  auto out = QRVAlertView::scaleAnimation(false);
  EXPECT_EQ(in.duration.count(), 0.5);
  EXPECT_EQ(out.duration.count(), 0.3);
  auto factors = [](const ui::KeyframeAnimation& animation) {
    std::vector<double> values;
    for (const auto& t : std::get<std::vector<ui::AffineTransform>>(animation.values)) values.push_back(t.a);
    return values;
  };
  EXPECT_EQ(factors(in), (std::vector<double>{0.85, 1.05, 0.95, 1.0}));
  EXPECT_EQ(factors(out), (std::vector<double>{1.0, 0.9, 0.8, 0.6}));
  EXPECT_EQ(in.timing, ui::AnimationCurve::EaseInOut);
}

TEST_F(QRVAlertViewTest, BlocksBeatTheDelegateAndConfirmHidesOnlyWhenTold) {
  auto alert = loaded();
  int cancels = 0, confirms = 0;
  alert->setDelegate(recorder);
  alert->showInView(
      host.get(), {16, 100}, [&] { ++cancels; }, [&] { ++confirms; });
  alert->onConfirmBtnClicked();
  step(1);
  EXPECT_EQ(confirms, 1);
  EXPECT_EQ(alert->superview(), host.get());  // not auto-hidden: the owner decides
  alert->onCancelBtnClicked();
  EXPECT_EQ(cancels, 1);
  EXPECT_TRUE(recorder->calls.empty());
  step(1);
  EXPECT_EQ(alert->superview(), nullptr);

  auto withDelegate = QRVAlertView::alertWithMessage("请先登录", host.get(), {16, 80}, recorder);
  withDelegate->setAutoHidden(true);
  withDelegate->onConfirmBtnClicked();
  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"confirm"}));
  step(1);
  EXPECT_EQ(withDelegate->superview(), nullptr);
}

TEST_F(QRVAlertViewTest, TheBackgroundTellsTheDelegateAndKeepsTheAlert) {
  auto alert = QRVAlertView::alertWithTitle("标题", "请输入节目名称", host.get(), recorder);
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->msgLabel()->text(), "请输入节目名称");
  step(1);
  window->tap({10, 10});
  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"keyboard"}));
  step(1);
  EXPECT_EQ(alert->superview(), host.get());

  // A delegate gone while the alert is up is never called.
  alert->setDelegate(std::make_shared<Recorder>());
  window->tap({10, 10});
  alert->onConfirmBtnClicked();
  alert->onCancelBtnClicked();
  EXPECT_EQ(alert->delegate(), nullptr);
}

TEST_F(QRVAlertViewTest, PlainAlertsMissingNibsAndMissingHostsAreHarmless) {
  auto plain = QRVAlertView::create({0, 0, 200, 100});
  EXPECT_TRUE(plain->isAutoHidden());
  plain->showInView(host.get(), "ignored", recorder);
  EXPECT_EQ(host->subviews().back(), plain);
  plain->onConfirmBtnClicked();
  step(1);
  EXPECT_EQ(plain->superview(), nullptr);
  plain->hide();
  step(1);

  std::size_t before = host->subviews().size();
  EXPECT_EQ(QRVAlertView::alertWithMessage<MissingPrompt>("x", host.get(), recorder), nullptr);
  EXPECT_EQ(host->subviews().size(), before);
  auto alert = loaded();
  alert->showInView(nullptr, ui::Point{0, 0}, recorder);
  EXPECT_EQ(alert->superview(), nullptr);
}

TEST_F(QRVAlertViewTest, TheAlertOverItsDimmedWindow) {
  auto alert = QRVAlertView::alertWithMessage("当前无网络，请稍后再试！", host.get(), QRVAlertView::Block(),
                                              QRVAlertView::Block());
  step(1);
  ASSERT_TRUE(ui::renderToPNG(*window, renderedPath("alert-view"), {.scale = 2}).ok());
}

}  // namespace
