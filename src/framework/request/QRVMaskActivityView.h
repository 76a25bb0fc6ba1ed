#pragma once

#include <memory>

#include "platform/ui/View.h"
#include "src/framework/ui/QRVXibView.h"

namespace framework {

// The loading mask a data request lays over its caller's view: a dark rounded box with a
// spinner, faded in and out. Built from its nib. Main thread only.
class QRVMaskActivityView : public QRVXibView {
 public:
  static constexpr const char* kXibName = "QRVMaskActivityView";
  static constexpr double kFadeSeconds = 0.3;
  static constexpr double kCornerRadius = 5.0;

  // Main thread. Rounds and clips the box once the nib has connected it.
  void awakeFromNib() override;

  // Main thread. Covers the view's bounds and fades in.
  void showInView(ui::View& view);
  // Main thread. Fades out, then leaves its superview.
  void hide();

  const std::shared_ptr<ui::View>& bgMaskView() const { return bgMaskView_; }
  void setBgMaskView(std::shared_ptr<ui::View> view) { bgMaskView_ = std::move(view); }

 private:
  std::shared_ptr<ui::View> bgMaskView_;
};

}  // namespace framework
