#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/framework/ui/QRVCircularSlider.h"
#include "tests/platform/ui/UiFixture.h"

namespace framework {
namespace {

// Large enough to look at.
const ui::RenderOptions kLook{4, ui::Color::white()};

class QRVCircularSliderTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    slider = std::make_shared<QRVCircularSlider>(ui::Rect{0, 0, 100, 100});
    slider->addAction(ui::kValueChanged, [this](ui::Control&) { ++changes; });
  }

  std::shared_ptr<QRVCircularSlider> slider;
  int changes = 0;
};

TEST_F(QRVCircularSliderTest, TheValueStaysInTheRangeAndOnlyChangesAreSent) {
  slider->setValue(5);
  EXPECT_EQ(slider->value(), 1.0f);
  EXPECT_EQ(changes, 1);
  slider->setValue(5);  // clamps to the value it has
  slider->setValue(1);
  EXPECT_EQ(changes, 1);

  slider->setMaximumValue(0.5f);
  EXPECT_EQ(slider->value(), 0.5f);
  EXPECT_EQ(changes, 2);
  slider->setMinimumValue(3);
  EXPECT_EQ(slider->maximumValue(), 3.0f);
  EXPECT_EQ(slider->value(), 3.0f);
  slider->setValue(-7);
  slider->setValue(7);
  EXPECT_EQ(slider->value(), 3.0f);  // with minimum equal to maximum it is that number
  EXPECT_EQ(changes, 3);
}

TEST_F(QRVCircularSliderTest, APanSetsTheValueByItsClockwiseAngleFromTwelve) {
  ui::Window window(ui::Rect{0, 0, 320, 568});
  window.addSubview(slider);
  slider->setMaximumValue(100);
  slider->addGestureRecognizer(std::make_shared<ui::PanGestureRecognizer>(
      [this](ui::GestureRecognizer& pan) { slider->panGestureHappened(pan); }));
  const ui::Point center{50, 50};
  struct Case {
    ui::Point at;
    float value;
  };
  for (Case c : {Case{{90, 50}, 25}, Case{{50, 90}, 50}, Case{{10, 50}, 75}, Case{{78.2843f, 21.7157f}, 12.5f}}) {
    window.drag(center, c.at);
    EXPECT_NEAR(slider->value(), c.value, 0.01) << c.at.x << "," << c.at.y;
  }
}

TEST_F(QRVCircularSliderTest, DrawsTheArcAndThumbAndAnEmptyRangeDrawsNoArc) {
  slider->setMaximumValue(100);
  slider->setValue(25);
  slider->setBackgroundColor(ui::Color::black());
  slider->setThumbTintColor(ui::Color::rgb(1, 0, 0));
  auto drawn = ui::render(*slider);
  ASSERT_TRUE(drawn.ok());
  ASSERT_TRUE(ui::renderToPNG(*slider, renderedPath("circular_slider_quarter"), kLook).ok());
  EXPECT_NEAR(slider->thumbCenterPoint().x, 50 + slider->sliderRadius(), 1e-9);
  EXPECT_NEAR(slider->thumbCenterPoint().y, 50, 1e-9);
  EXPECT_TRUE(slider->isPointInThumb({98, 50.5}));
  EXPECT_GT(uitest::rgbaAt(*drawn.value(), 84, 15).red, 200);  // on the white arc
  EXPECT_LT(uitest::rgbaAt(*drawn.value(), 15, 84).red, 200);  // the grey rest of the track
  EXPECT_GT(uitest::rgbaAt(*drawn.value(), 15, 84).red, 100);

  slider->setSliderStyle(QRVCircularSlider::kPie);
  ASSERT_TRUE(ui::renderToPNG(*slider, renderedPath("circular_slider_pie"), kLook).ok());

  slider->setSliderStyle(QRVCircularSlider::kCircular);
  slider->setMinimumValue(100);  // minimum equals maximum
  auto empty = ui::render(*slider);
  ASSERT_TRUE(empty.ok());
  ASSERT_TRUE(ui::renderToPNG(*slider, renderedPath("circular_slider_empty_range"), kLook).ok());
  EXPECT_NEAR(slider->thumbCenterPoint().x, 50, 1e-9);  // at twelve o'clock
  EXPECT_NEAR(slider->thumbCenterPoint().y, 50 - slider->sliderRadius(), 1e-9);
  EXPECT_LT(uitest::rgbaAt(*empty.value(), 84, 15).red, 200);  // only the grey track
  EXPECT_GT(uitest::rgbaAt(*empty.value(), 84, 15).red, 100);
}

}  // namespace
}  // namespace framework
