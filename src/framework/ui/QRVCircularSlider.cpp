#include "src/framework/ui/QRVCircularSlider.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ui/GraphicsContext.h"

namespace framework {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kTwelveOClock = -std::numbers::pi / 2;

}  // namespace

QRVCircularSlider::QRVCircularSlider(const ui::Rect& frame) : ui::Control(frame) { setup(); }

void QRVCircularSlider::setup() {
  continuous_ = true;
  value_ = 0;
  minimumValue_ = 0;
  maximumValue_ = 1;
  sliderStyle_ = kCircular;
  minimumTrackTintColor_ = ui::Color::white();
  maximumTrackTintColor_ = ui::Color::lightGray();
  thumbTintColor_ = ui::Color::clear();
  thumbCenterPoint_ = {};
  if (tap_) return;
  tap_ = std::make_shared<ui::TapGestureRecognizer>(
      [this](ui::GestureRecognizer& recognizer) { tapGestureHappened(recognizer); });
  addGestureRecognizer(tap_);
}

void QRVCircularSlider::setValue(float value) {
  if (std::isnan(value)) return;
  // Compared after clamping, so that asking for the same bound again sends nothing.
  const float clamped = std::clamp(value, minimumValue_, maximumValue_);
  if (clamped == value_) return;
  value_ = clamped;
  setNeedsDisplay();
  sendActions(ui::kValueChanged);
}

void QRVCircularSlider::setMinimumValue(float minimumValue) {
  if (std::isnan(minimumValue) || minimumValue == minimumValue_) return;
  minimumValue_ = minimumValue;
  if (maximumValue_ < minimumValue_) maximumValue_ = minimumValue_;
  if (value_ < minimumValue_) setValue(minimumValue_);
}

void QRVCircularSlider::setMaximumValue(float maximumValue) {
  if (std::isnan(maximumValue) || maximumValue == maximumValue_) return;
  maximumValue_ = maximumValue;
  if (minimumValue_ > maximumValue_) minimumValue_ = maximumValue_;
  if (value_ > maximumValue_) setValue(maximumValue_);
}

void QRVCircularSlider::setSliderStyle(int style) {
  if (style == sliderStyle_) return;
  sliderStyle_ = style;
  setNeedsDisplay();
}

void QRVCircularSlider::setMinimumTrackTintColor(ui::Color color) {
  if (color == minimumTrackTintColor_) return;
  minimumTrackTintColor_ = color;
  setNeedsDisplay();
}

void QRVCircularSlider::setMaximumTrackTintColor(ui::Color color) {
  if (color == maximumTrackTintColor_) return;
  maximumTrackTintColor_ = color;
  setNeedsDisplay();
}

void QRVCircularSlider::setThumbTintColor(ui::Color color) {
  if (color == thumbTintColor_) return;
  thumbTintColor_ = color;
  setNeedsDisplay();
}

double QRVCircularSlider::sliderRadius() const {
  return std::min(bounds().width(), bounds().height()) / 2 - kLineWidth;
}

double QRVCircularSlider::angleFor(float value) const {
  const double range = static_cast<double>(maximumValue_) - minimumValue_;
  // An empty range has no angle: dividing by it would draw a not-a-number arc.
  if (!(range > 0) || !std::isfinite(range)) return 0;
  return kTwoPi * (static_cast<double>(value) - minimumValue_) / range;
}

ui::Point QRVCircularSlider::pointAt(ui::Point center, double radius, double angle) const {
  return {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)};
}

void QRVCircularSlider::draw(ui::GraphicsContext& context, const ui::Rect& /*rect*/) {
  const ui::Point center{bounds().width() / 2, bounds().height() / 2};
  const double radius = sliderRadius();
  if (!(radius > 0)) return;
  context.setLineWidth(kLineWidth);
  ui::Point end;
  if (sliderStyle_ == kPie) {
    context.setFillColor(maximumTrackTintColor_);
    fillSlice(kTwoPi, center, radius, context);
    context.setStrokeColor(minimumTrackTintColor_);
    strokeArc(kTwoPi, center, radius, context);
    context.setFillColor(minimumTrackTintColor_);
    end = drawPieTrack(value_, center, radius, context);
  } else {
    context.setStrokeColor(maximumTrackTintColor_);
    strokeArc(kTwoPi, center, radius, context);
    context.setStrokeColor(minimumTrackTintColor_);
    end = drawCircularTrack(value_, center, radius, context);
  }
  thumbCenterPoint_ = end;
  context.setFillColor(thumbTintColor_);
  drawThumbAtPoint(end, context);
}

ui::Point QRVCircularSlider::drawCircularTrack(float value, ui::Point center, double radius,
                                               ui::GraphicsContext& context) {
  return strokeArc(angleFor(value), center, radius, context);
}

ui::Point QRVCircularSlider::drawPieTrack(float value, ui::Point center, double radius, ui::GraphicsContext& context) {
  return fillSlice(angleFor(value), center, radius, context);
}

ui::Point QRVCircularSlider::strokeArc(double angle, ui::Point center, double radius, ui::GraphicsContext& context) {
  const double end = kTwelveOClock + angle;
  context.moveTo(pointAt(center, radius, kTwelveOClock));
  context.addArc(center, radius, kTwelveOClock, end, true);
  context.strokePath();
  return pointAt(center, radius, end);
}

ui::Point QRVCircularSlider::fillSlice(double angle, ui::Point center, double radius, ui::GraphicsContext& context) {
  const double end = kTwelveOClock + angle;
  context.moveTo(center);
  context.addArc(center, radius, kTwelveOClock, end, true);
  context.closePath();
  context.fillPath();
  return pointAt(center, radius, end);
}

void QRVCircularSlider::drawThumbAtPoint(ui::Point point, ui::GraphicsContext& context) {
  context.fillEllipse({point.x - kThumbRadius, point.y - kThumbRadius, 2 * kThumbRadius, 2 * kThumbRadius});
}

bool QRVCircularSlider::isPointInThumb(ui::Point point) const {
  return ui::Rect{thumbCenterPoint_.x - kThumbRadius, thumbCenterPoint_.y - kThumbRadius, 2 * kThumbRadius,
                  2 * kThumbRadius}
      .contains(point);
}

void QRVCircularSlider::panGestureHappened(ui::GestureRecognizer& recognizer) {
  if (recognizer.state() != ui::GestureState::Changed) return;
  const ui::Point touch = recognizer.locationInView(this);
  const float r = static_cast<float>(sliderRadius());
  const float px = static_cast<float>(touch.x - bounds().width() / 2);
  const float py = static_cast<float>(touch.y - bounds().height() / 2);
  // The signed turn from twelve o'clock, (0, -r), to the finger; negative turns clockwise here.
  const float cross = px * -r;
  const float dot = py * -r;
  const float turn = std::atan2(cross, dot);
  const float clockwise = turn >= 0 ? static_cast<float>(kTwoPi) - turn : -turn;
  setValue(clockwise * (maximumValue_ - minimumValue_) / static_cast<float>(kTwoPi) + minimumValue_);
}

void QRVCircularSlider::tapGestureHappened(ui::GestureRecognizer& /*recognizer*/) {}

}  // namespace framework
