#pragma once

#include "platform/ui/Image.h"
#include "platform/ui/View.h"

namespace ui {

// A bar filled from the left to the progress, from 0 to 1; track and progress may be pictures.
// Main thread only.
class ProgressView : public View {
 public:
  // Main thread.
  explicit ProgressView(const Rect& frame = {});

  float progress() const { return progress_; }
  // Main thread. Kept within 0 and 1.
  void setProgress(float progress, bool animated = false);
  Color progressTintColor() const { return progressTint_; }
  void setProgressTintColor(Color color);
  Color trackTintColor() const { return trackTint_; }
  void setTrackTintColor(Color color);
  const ImagePtr& trackImage() const { return trackImage_; }
  void setTrackImage(ImagePtr image);
  const ImagePtr& progressImage() const { return progressImage_; }
  void setProgressImage(ImagePtr image);

  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override { return DrawnContent::Overlapping; }

 private:
  float progress_ = 0;
  Color progressTint_ = Color::rgb255(0, 122, 255);
  Color trackTint_ = Color::rgb255(183, 183, 183);
  ImagePtr trackImage_;
  ImagePtr progressImage_;
};

}  // namespace ui
