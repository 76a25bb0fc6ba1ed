#include "platform/ui/Slider.h"

#include <algorithm>

#include "platform/ui/GraphicsContext.h"
#include "platform/ui/Touch.h"

namespace ui {
namespace {

constexpr double kDefaultThumbSide = 28;
constexpr double kTrackHeight = 2;

}  // namespace

Slider::Slider(const Rect& frame) : Control(frame) { setOpaque(false); }

void Slider::setValue(float value, bool) {
  value_ = value;
  clampValue();
  setNeedsDisplay();
}

void Slider::setMinimumValue(float value) {
  minimumValue_ = value;
  maximumValue_ = std::max(maximumValue_, value);
  clampValue();
  setNeedsDisplay();
}

void Slider::setMaximumValue(float value) {
  maximumValue_ = value;
  minimumValue_ = std::min(minimumValue_, value);
  clampValue();
  setNeedsDisplay();
}

void Slider::clampValue() { value_ = std::clamp(value_, minimumValue_, maximumValue_); }

void Slider::setMinimumTrackTintColor(Color color) {
  minimumTrackTint_ = color;
  setNeedsDisplay();
}

void Slider::setMaximumTrackTintColor(Color color) {
  maximumTrackTint_ = color;
  setNeedsDisplay();
}

void Slider::setThumbImage(ImagePtr image, unsigned state) {
  if (image) {
    thumbImages_[state] = std::move(image);
  } else {
    thumbImages_.erase(state);
  }
  setNeedsDisplay();
}

ImagePtr Slider::thumbImageForState(unsigned state) const {
  if (auto found = thumbImages_.find(state); found != thumbImages_.end()) return found->second;
  if (auto found = thumbImages_.find(kStateNormal); found != thumbImages_.end()) return found->second;
  return nullptr;
}

Size Slider::thumbSize() const {
  if (ImagePtr image = thumbImageForState(state())) return image->size();
  return {kDefaultThumbSide, kDefaultThumbSide};
}

Rect Slider::thumbRect() const {
  Size thumb = thumbSize();
  double range = maximumValue_ - minimumValue_;
  double fraction = range > 0 ? (value_ - minimumValue_) / range : 0;
  double x = bounds().minX() + fraction * std::max(0.0, bounds().width() - thumb.width);
  return {x, bounds().midY() - thumb.height / 2, thumb.width, thumb.height};
}

void Slider::track(const Touch& touch) {
  Size thumb = thumbSize();
  double usable = bounds().width() - thumb.width;
  double fraction = usable > 0 ? (touch.locationIn(this).x - bounds().minX() - thumb.width / 2) / usable : 0;
  float before = value_;
  value_ = minimumValue_ + static_cast<float>(std::clamp(fraction, 0.0, 1.0)) * (maximumValue_ - minimumValue_);
  setNeedsDisplay();
  if (value_ == before) return;
  changedWhileTracking_ = true;
  if (continuous_) sendActions(kValueChanged);
}

void Slider::beginTracking(const Touch& touch) {
  changedWhileTracking_ = false;
  track(touch);
}

void Slider::continueTracking(const Touch& touch) { track(touch); }

void Slider::endTracking(const Touch&) {
  if (!continuous_ && changedWhileTracking_) sendActions(kValueChanged);
}

void Slider::draw(GraphicsContext& context, const Rect& rect) {
  Rect thumb = thumbRect();
  double trackY = rect.midY() - kTrackHeight / 2;
  context.setFillColor(maximumTrackTint_);
  context.fillRoundedRect({rect.minX(), trackY, rect.width(), kTrackHeight}, kTrackHeight / 2);
  context.setFillColor(minimumTrackTint_);
  context.fillRoundedRect({rect.minX(), trackY, thumb.midX() - rect.minX(), kTrackHeight}, kTrackHeight / 2);
  if (ImagePtr image = thumbImageForState(state())) {
    context.drawImage(*image, thumb);
    return;
  }
  context.setFillColor(Color::white());
  context.fillEllipse(thumb);
  context.setStrokeColor(Color::white(0.7));
  context.setLineWidth(0.5);
  context.strokeEllipse(thumb);
}

}  // namespace ui
