#pragma once

#include "platform/ui/View.h"

namespace ui {

enum class ActivityIndicatorStyle { WhiteLarge, White, Gray };

// A spinner: twelve spokes, 37 points across in the large style and 20 in the others. Hidden while
// stopped unless told otherwise. Main thread only.
class ActivityIndicatorView : public View {
 public:
  // Main thread. Sized for the style.
  explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);

  ActivityIndicatorStyle style() const { return style_; }
  // Main thread. Keeps the view's centre and resizes it for the style.
  void setStyle(ActivityIndicatorStyle style);
  Color color() const { return color_; }
  void setColor(Color color);

  // Main thread.
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);

  Size sizeThatFits(Size size) const override;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override { return DrawnContent::Overlapping; }

 private:
  ActivityIndicatorStyle style_;
  Color color_;
  bool animating_ = false;
  bool hidesWhenStopped_ = true;
};

}  // namespace ui
