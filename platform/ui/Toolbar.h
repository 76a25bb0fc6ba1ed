#pragma once

#include <optional>

#include "platform/ui/Color.h"
#include "platform/ui/View.h"

namespace ui {

// A bar whose body is frosted glass: it shows the views behind it blurred, under a tint (its bar
// tint colour, or a light one without). A background colour is painted before the glass forms,
// so it hides what is behind, as on systems without the frosted look. Main thread only.
class Toolbar : public View {
 public:
  // Points of blur on each side of a pixel.
  static constexpr double kBlurRadius = 12;

  // Main thread.
  explicit Toolbar(const Rect& frame = {});

  const std::optional<Color>& barTintColor() const { return barTintColor_; }
  void setBarTintColor(std::optional<Color> color);

  DrawnContent drawnContent() const override { return DrawnContent::Overlapping; }
  void draw(GraphicsContext& context, const Rect& rect) override;

 private:
  std::optional<Color> barTintColor_;
};

}  // namespace ui
