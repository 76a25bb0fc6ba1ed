#include "platform/ui/ImageView.h"

#include "platform/ui/GraphicsContext.h"

namespace ui {

ImageView::ImageView(const Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

ImageView::ImageView(ImagePtr image) : ImageView(Rect{}) {
  if (image) setBounds({0, 0, image->size().width, image->size().height});
  image_ = std::move(image);
}

void ImageView::setImage(ImagePtr image) {
  image_ = std::move(image);
  setNeedsDisplay();
}

Size ImageView::sizeThatFits(Size) const { return image_ ? image_->size() : Size{}; }

void ImageView::draw(GraphicsContext& context, const Rect& rect) {
  if (!image_) return;
  context.drawImage(*image_, placeContent(contentMode(), image_->size(), rect));
}

}  // namespace ui
