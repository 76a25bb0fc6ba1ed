#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "src/framework/ui/QRVXibView.h"

namespace playback {

// One row of the sleep-timer picker: the number of minutes. Loaded from its nib. Main thread only.
class SleepTimingPickerRowView : public framework::QRVXibView {
 public:
  static constexpr const char* kXibName = "SleepTimingPickerRowView";

  // Main thread. A row from the nib; nullptr when the nib is missing.
  static std::shared_ptr<SleepTimingPickerRowView> loadRow();

  // Main thread. The nib's steps: the view, then its parts.
  using framework::QRVXibView::QRVXibView;
  void makeParts();

  const std::shared_ptr<ui::ImageView>& selectedIcon() const { return selectedIcon_; }
  const std::shared_ptr<ui::Label>& timingLabel() const { return timingLabel_; }

 private:
  std::shared_ptr<ui::ImageView> selectedIcon_;
  std::shared_ptr<ui::Label> timingLabel_;
};

}  // namespace playback
