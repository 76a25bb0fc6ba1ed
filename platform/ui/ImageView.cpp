#include "platform/ui/ImageView.h"

#include <algorithm>
#include <cmath>

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
  ImagePtr image = displayedImage();
  if (!image) return;
  context.drawImage(*image, placeContent(contentMode(), image->size(), rect));
}

View::DrawnContent ImageView::drawnContent() const {
  return displayedImage() ? DrawnContent::OneLayer : DrawnContent::Nothing;
}

void ImageView::setAnimationImages(std::vector<ImagePtr> images) {
  std::erase(images, nullptr);
  animationImages_ = std::move(images);
  if (animationImages_.empty()) stopAnimating();
  setNeedsDisplay();
}

void ImageView::startAnimating() {
  if (animationImages_.empty() || isAnimating()) return;
  animationStart_ = foundation::Clock::current().now();
  setNeedsDisplay();
}

void ImageView::stopAnimating() {
  animationStart_.reset();
  setNeedsDisplay();
}

foundation::Duration ImageView::cycle() const {
  if (animationDuration_.count() > 0) return animationDuration_;
  return foundation::Duration(static_cast<double>(animationImages_.size()) / 30.0);
}

bool ImageView::isAnimating() const {
  if (!animationStart_ || animationImages_.empty()) return false;
  if (animationRepeatCount_ <= 0) return true;
  foundation::Duration elapsed = foundation::Clock::current().now() - *animationStart_;
  return elapsed < cycle() * animationRepeatCount_;
}

ImagePtr ImageView::displayedImage() const {
  if (!isAnimating()) return image_;
  double elapsed = foundation::Duration(foundation::Clock::current().now() - *animationStart_).count();
  double phase = std::fmod(elapsed, cycle().count()) / cycle().count();
  auto index = static_cast<std::size_t>(phase * static_cast<double>(animationImages_.size()));
  return animationImages_[std::min(index, animationImages_.size() - 1)];
}

}  // namespace ui
