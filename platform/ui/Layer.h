#pragma once

#include <string>
#include <vector>

#include "platform/ui/Animation.h"
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

namespace ui {

class View;

// The drawing side of a view: rounded corners, border, shadow and layer animations. Every view
// has one. Main thread only.
class Layer {
 public:
  // Main thread. Corners are rounded for the background, the border and, with masksToBounds, the clip.
  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double radius) { cornerRadius_ = radius; }
  // Main thread. The same switch as the view's clipsToBounds.
  bool masksToBounds() const;
  void setMasksToBounds(bool masks);
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double width) { borderWidth_ = width; }
  Color borderColor() const { return borderColor_; }
  void setBorderColor(Color color) { borderColor_ = color; }
  // Main thread. A shadow of the layer's shape, drawn when the opacity is above 0.
  Color shadowColor() const { return shadowColor_; }
  void setShadowColor(Color color) { shadowColor_ = color; }
  double shadowOpacity() const { return shadowOpacity_; }
  void setShadowOpacity(double opacity) { shadowOpacity_ = opacity; }
  double shadowRadius() const { return shadowRadius_; }
  void setShadowRadius(double radius) { shadowRadius_ = radius; }
  Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(Size offset) { shadowOffset_ = offset; }

  // Main thread. Layer animations by key; adding under a used key replaces the old one.
  void addAnimation(KeyframeAnimation animation, const std::string& key);
  void removeAnimation(const std::string& key);
  void removeAllAnimations();
  std::vector<std::string> animationKeys() const;

 private:
  friend class View;
  explicit Layer(View& view) : view_(view) {}

  View& view_;
  double cornerRadius_ = 0;
  double borderWidth_ = 0;
  Color borderColor_ = Color::black();
  Color shadowColor_ = Color::black();
  double shadowOpacity_ = 0;
  double shadowRadius_ = 3;
  Size shadowOffset_{0, -3};
};

}  // namespace ui
