#pragma once

#include <optional>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/ui/Image.h"
#include "platform/ui/View.h"

namespace ui {

// Shows a picture placed by the view's content mode. Main thread only.
class ImageView : public View {
 public:
  // Main thread.
  explicit ImageView(const Rect& frame = {});
  // Main thread. Sized to the picture.
  explicit ImageView(ImagePtr image);

  const ImagePtr& image() const { return image_; }
  // Main thread.
  void setImage(ImagePtr image);

  // Main thread. Pictures shown in turn while animating, each for duration / count, repeated
  // `repeatCount` times (0: until stopped); the picture of image() shows otherwise. Time is read
  // from the installed clock.
  const std::vector<ImagePtr>& animationImages() const { return animationImages_; }
  void setAnimationImages(std::vector<ImagePtr> images);
  // Main thread. 0 means a thirtieth of a second per picture.
  foundation::Duration animationDuration() const { return animationDuration_; }
  void setAnimationDuration(foundation::Duration duration) { animationDuration_ = duration; }
  int animationRepeatCount() const { return animationRepeatCount_; }
  void setAnimationRepeatCount(int count) { animationRepeatCount_ = count; }
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const;
  // Main thread. What is drawn now: the animation's current picture or image().
  ImagePtr displayedImage() const;

  // Main thread. The picture's size.
  Size sizeThatFits(Size size) const override;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override;

 private:
  foundation::Duration cycle() const;

  ImagePtr image_;
  std::vector<ImagePtr> animationImages_;
  foundation::Duration animationDuration_{0};
  int animationRepeatCount_ = 0;
  std::optional<foundation::TimePoint> animationStart_;
};

}  // namespace ui
