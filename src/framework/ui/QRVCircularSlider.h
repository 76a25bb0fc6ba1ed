#pragma once

#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"

namespace ui {
class GraphicsContext;
}

namespace framework {

// A value between a minimum and a maximum shown as an arc (or a pie slice) running clockwise
// from twelve o'clock, with a small thumb at its end. A pan recogniser that an owner attaches
// sets the value by the finger's angle (panGestureHappened). Sends kValueChanged whenever the
// value changes. Main thread only.
class QRVCircularSlider : public ui::Control {
 public:
  enum SliderStyle { kCircular = 0, kPie = 1 };
  static constexpr double kLineWidth = 1.5;
  static constexpr double kThumbRadius = 1.0;

  // Main thread.
  explicit QRVCircularSlider(const ui::Rect& frame = {});
  // Main thread. Back to the defaults, as after loading from the interface file.
  void awakeFromNib() override { setup(); }
  void setup();

  float value() const { return value_; }
  // Main thread. Clamped to the range; a change redraws and sends kValueChanged. Not-a-number
  // values are ignored.
  void setValue(float value);
  float minimumValue() const { return minimumValue_; }
  // Main thread. Pulls the maximum (and the value) up to it when they are below.
  void setMinimumValue(float minimumValue);
  float maximumValue() const { return maximumValue_; }
  // Main thread. Pulls the minimum (and the value) down to it when they are above.
  void setMaximumValue(float maximumValue);

  bool isContinuous() const { return continuous_; }
  void setContinuous(bool continuous) { continuous_ = continuous; }
  int sliderStyle() const { return sliderStyle_; }
  void setSliderStyle(int style);
  ui::Color minimumTrackTintColor() const { return minimumTrackTintColor_; }
  void setMinimumTrackTintColor(ui::Color color);
  ui::Color maximumTrackTintColor() const { return maximumTrackTintColor_; }
  void setMaximumTrackTintColor(ui::Color color);
  ui::Color thumbTintColor() const { return thumbTintColor_; }
  void setThumbTintColor(ui::Color color);
  ui::Point thumbCenterPoint() const { return thumbCenterPoint_; }
  void setThumbCenterPoint(ui::Point point) { thumbCenterPoint_ = point; }

  // Half the smaller side of the bounds, less 1.5.
  double sliderRadius() const;
  void draw(ui::GraphicsContext& context, const ui::Rect& rect) override;
  DrawnContent drawnContent() const override { return DrawnContent::Overlapping; }
  // Main thread. Stroke (or fill) the arc (or slice) for the value; both return the arc's end.
  // The track behind them is always the whole circle, also when the range is empty.
  ui::Point drawCircularTrack(float value, ui::Point center, double radius, ui::GraphicsContext& context);
  ui::Point drawPieTrack(float value, ui::Point center, double radius, ui::GraphicsContext& context);
  void drawThumbAtPoint(ui::Point point, ui::GraphicsContext& context);
  // Whether the point is in the 2 x 2 square around the thumb.
  bool isPointInThumb(ui::Point point) const;

  // Main thread. While the pan changes: the value for the finger's clockwise angle from twelve.
  void panGestureHappened(ui::GestureRecognizer& recognizer);
  // Main thread. Taps on the control are taken and ignored, so that they never reach what lies
  // beneath it.
  void tapGestureHappened(ui::GestureRecognizer& recognizer);

 private:
  // The clockwise angle from twelve o'clock for a value; 0 when the range is empty.
  double angleFor(float value) const;
  ui::Point pointAt(ui::Point center, double radius, double angle) const;
  // The arc or slice from twelve o'clock turning clockwise by the angle; returns its end.
  ui::Point strokeArc(double angle, ui::Point center, double radius, ui::GraphicsContext& context);
  ui::Point fillSlice(double angle, ui::Point center, double radius, ui::GraphicsContext& context);

  bool continuous_ = true;
  float value_ = 0;
  float minimumValue_ = 0;
  float maximumValue_ = 1;
  int sliderStyle_ = kCircular;
  ui::Color minimumTrackTintColor_ = ui::Color::white();
  ui::Color maximumTrackTintColor_ = ui::Color::lightGray();
  ui::Color thumbTintColor_ = ui::Color::clear();
  ui::Point thumbCenterPoint_;
  std::shared_ptr<ui::TapGestureRecognizer> tap_;
};

}  // namespace framework
