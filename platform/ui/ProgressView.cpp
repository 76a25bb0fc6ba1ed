#include "platform/ui/ProgressView.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/GraphicsContext.h"

namespace ui {

ProgressView::ProgressView(const Rect& frame) : View(frame) { setOpaque(false); }

void ProgressView::setProgress(float progress, bool) {
  // A bad ratio (no songs yet) shows an empty bar rather than garbage.
  progress_ = std::isfinite(progress) ? std::clamp(progress, 0.0f, 1.0f) : 0.0f;
  setNeedsDisplay();
}

void ProgressView::setProgressTintColor(Color color) {
  progressTint_ = color;
  setNeedsDisplay();
}

void ProgressView::setTrackTintColor(Color color) {
  trackTint_ = color;
  setNeedsDisplay();
}

void ProgressView::setTrackImage(ImagePtr image) {
  trackImage_ = std::move(image);
  setNeedsDisplay();
}

void ProgressView::setProgressImage(ImagePtr image) {
  progressImage_ = std::move(image);
  setNeedsDisplay();
}

void ProgressView::draw(GraphicsContext& context, const Rect& rect) {
  Rect filled{rect.minX(), rect.minY(), rect.width() * progress_, rect.height()};
  if (trackImage_) {
    context.drawImage(*trackImage_, rect);
  } else {
    context.setFillColor(trackTint_);
    context.fillRect(rect);
  }
  if (filled.isEmpty()) return;
  if (progressImage_) {
    context.save();
    context.clipToRect(filled);
    context.drawImage(*progressImage_, rect);
    context.restore();
  } else {
    context.setFillColor(progressTint_);
    context.fillRect(filled);
  }
}

}  // namespace ui
