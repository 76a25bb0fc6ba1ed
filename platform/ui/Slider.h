#pragma once

#include <map>

#include "platform/ui/Control.h"
#include "platform/ui/Image.h"

namespace ui {

// A horizontal slider from minimumValue to maximumValue. Dragging the thumb sets the value from
// the finger's x and sends ValueChanged while moving when continuous, else once when released;
// setting the value in code sends nothing. Main thread only.
class Slider : public Control {
 public:
  // Main thread.
  explicit Slider(const Rect& frame = {});

  // Main thread. The value stays within the range.
  float value() const { return value_; }
  void setValue(float value, bool animated = false);
  float minimumValue() const { return minimumValue_; }
  void setMinimumValue(float value);
  float maximumValue() const { return maximumValue_; }
  void setMaximumValue(float value);
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool continuous) { continuous_ = continuous; }

  // Main thread. Appearance.
  Color minimumTrackTintColor() const { return minimumTrackTint_; }
  void setMinimumTrackTintColor(Color color);
  Color maximumTrackTintColor() const { return maximumTrackTint_; }
  void setMaximumTrackTintColor(Color color);
  void setThumbImage(ImagePtr image, unsigned state = kStateNormal);
  ImagePtr thumbImageForState(unsigned state) const;

  // Main thread. The thumb's frame in the slider's bounds for the current value.
  Rect thumbRect() const;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override { return DrawnContent::Overlapping; }

 protected:
  void beginTracking(const Touch& touch) override;
  void continueTracking(const Touch& touch) override;
  void endTracking(const Touch& touch) override;

 private:
  Size thumbSize() const;
  void track(const Touch& touch);
  void clampValue();

  float value_ = 0;
  float minimumValue_ = 0;
  float maximumValue_ = 1;
  bool continuous_ = true;
  bool changedWhileTracking_ = false;
  Color minimumTrackTint_ = Color::rgb255(0, 122, 255);
  Color maximumTrackTint_ = Color::rgb255(183, 183, 183);
  std::map<unsigned, ImagePtr> thumbImages_;
};

}  // namespace ui
