#include "src/framework/ui/QRVBlurView.h"

#include <gtest/gtest.h>

#include "platform/ui/Label.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using framework::QRVBlurView;
using ui::Rect;

class QRVBlurViewTest : public uitest::UiFixture {
 protected:
  void TearDown() override {
    ui::Screen::setMain(ui::Screen());
    UiFixture::TearDown();
  }
  // Red on the left, blue on the right, with the blur view across the edge between them.
  std::shared_ptr<ui::View> scene(const std::shared_ptr<QRVBlurView>& blur) {
    auto root = std::make_shared<ui::View>(Rect{0, 0, 200, 100});
    auto red = std::make_shared<ui::View>(Rect{0, 0, 100, 100});
    red->setBackgroundColor(ui::Color::rgb255(255, 0, 0));
    auto blue = std::make_shared<ui::View>(Rect{100, 0, 100, 100});
    blue->setBackgroundColor(ui::Color::rgb255(0, 0, 255));
    root->addSubview(red);
    root->addSubview(blue);
    root->addSubview(blur);
    return root;
  }
};

TEST_F(QRVBlurViewTest, ItsContentStandsOnTheBlurOfWhatIsBehind) {
  auto blur = std::make_shared<QRVBlurView>(Rect{50, 20, 100, 60});
  auto label = std::make_shared<ui::Label>(Rect{10, 36, 100, 20});
  label->setText("模糊 Blur");
  blur->addSubview(label);
  blur->setup();  // a second set-up keeps the one toolbar
  ASSERT_EQ(blur->subviews().size(), 2u);
  EXPECT_EQ(blur->subviews()[0], blur->toolbar());
  EXPECT_TRUE(blur->clipsToBounds());

  blur->setFrame({40, 20, 120, 60});
  blur->layoutIfNeeded();
  EXPECT_EQ(blur->toolbar()->frame(), (Rect{0, 0, 120, 60}));
  auto root = scene(blur);
  auto image = ui::render(*root);
  ASSERT_TRUE(image.ok());
  ASSERT_TRUE(ui::renderToPNG(*root, renderedPath("blur-view"), {.scale = 2}).ok());
  // Near the edge each side takes on the other's colour through the glass, far from it less;
  // outside the glass both stay pure.
  auto nearLeft = uitest::rgbaAt(**image, 97, 30), farLeft = uitest::rgbaAt(**image, 45, 30);
  auto nearRight = uitest::rgbaAt(**image, 103, 30), farRight = uitest::rgbaAt(**image, 155, 30);
  EXPECT_GT(nearLeft.blue, farLeft.blue + 15);
  EXPECT_GT(nearRight.red, farRight.red + 15);
  EXPECT_EQ(uitest::rgbaAt(**image, 97, 5).blue, 0);
  EXPECT_EQ(uitest::rgbaAt(**image, 103, 5).red, 0);
}

TEST_F(QRVBlurViewTest, TheTintGoesToTheGlassFromSystemSevenElseToTheBackground) {
  auto blur = std::make_shared<QRVBlurView>(Rect{40, 20, 120, 60});
  blur->setBlurTintColor(ui::Color::rgb255(0, 200, 0));
  EXPECT_EQ(blur->toolbar()->barTintColor(), ui::Color::rgb255(0, 200, 0));

  ui::Screen::setMain(ui::Screen({320, 480}, "6.1"));
  auto old = std::make_shared<QRVBlurView>(Rect{40, 20, 120, 60});
  old->setBlurTintColor(ui::Color::rgb255(0, 200, 0));
  EXPECT_FALSE(old->toolbar()->barTintColor());
  auto root = scene(old);
  auto image = ui::render(*root);
  ASSERT_TRUE(image.ok());
  ASSERT_TRUE(ui::renderToPNG(*root, renderedPath("blur-view-before-7"), {.scale = 2}).ok());
  auto middle = uitest::rgbaAt(**image, 100, 50);
  EXPECT_EQ(middle.red, middle.blue) << "the background hides what is behind";
  EXPECT_GT(middle.green, 150);
}

}  // namespace
