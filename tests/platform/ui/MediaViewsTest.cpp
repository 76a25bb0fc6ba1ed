#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioSession.h"
#include "platform/ui/Button.h"
#include "platform/ui/GraphicsContext.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/VolumeView.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

class MediaViewsTest : public uitest::UiFixture {
 protected:
  void TearDown() override {
    media::AudioSession::sharedInstance().resetForTesting();
    UiFixture::TearDown();
  }
};

TEST_F(MediaViewsTest, RouteButtonAlphaFollowsWirelessRoutesAndIsObserved) {
  auto volume = std::make_shared<ui::VolumeView>(ui::Rect{0, 0, 200, 22});
  EXPECT_EQ(volume->routeButton().alpha(), 0);
  std::vector<double> seen;
  volume->setOnRouteButtonAlphaChange([&](double alpha) { seen.push_back(alpha); });
  media::AudioSession::sharedInstance().injectWirelessRoutesAvailable(true);
  media::AudioSession::sharedInstance().injectWirelessRoutesAvailable(false);
  foundation::RunLoop::main().runUntil([&] { return seen.size() == 2; });
  EXPECT_EQ(seen, (std::vector<double>{1, 0}));
  EXPECT_EQ(volume->routeButton().alpha(), 0);
}

TEST_F(MediaViewsTest, AnimationImagesShowInTurnForTheirShareOfTheDuration) {
  auto frame = [](std::uint32_t colour) { return ui::Image::fromPixels(1, 1, {colour}); };
  auto still = frame(0xff000000);
  std::vector<ui::ImagePtr> frames{frame(0xffff0000), frame(0xff00ff00), frame(0xff0000ff)};
  auto view = std::make_shared<ui::ImageView>(still);
  view->setAnimationImages(frames);
  view->setAnimationDuration(foundation::Duration(0.7));
  view->setAnimationRepeatCount(1);
  EXPECT_EQ(view->displayedImage(), still) << "not started";
  view->startAnimating();
  EXPECT_EQ(view->displayedImage(), frames[0]);
  step(0.3);
  EXPECT_EQ(view->displayedImage(), frames[1]);
  step(0.3);
  EXPECT_EQ(view->displayedImage(), frames[2]);
  step(0.2);
  EXPECT_FALSE(view->isAnimating()) << "one round only";
  EXPECT_EQ(view->displayedImage(), still);
}

// A view drawing an arc whose angles came from an empty range.
class EmptyRangeArc : public ui::View {
 public:
  using View::View;
  void draw(ui::GraphicsContext& context, const ui::Rect&) override {
    context.addArc({10, 10}, 8, 0, std::nan(""), true);
    context.addArc({10, 10}, 8, 0, 1, true);
    context.strokePath();
  }
};

TEST_F(MediaViewsTest, ArcWithANonFiniteAngleDrawsNothingInsteadOfEndingTheProcess) {
  EmptyRangeArc view(ui::Rect{0, 0, 20, 20});
  EXPECT_TRUE(ui::render(view).ok());
}

}  // namespace
