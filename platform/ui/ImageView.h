#pragma once

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

  // Main thread. The picture's size.
  Size sizeThatFits(Size size) const override;
  void draw(GraphicsContext& context, const Rect& rect) override;

 private:
  ImagePtr image_;
};

}  // namespace ui
