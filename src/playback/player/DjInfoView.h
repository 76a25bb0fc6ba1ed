#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

namespace playback {

// The creator bar of the programme header: the creator's name takes the width of its text,
// centred in the bar, and the arrow follows it. The name is measured in the layout pass before
// the bar is drawn, so a run that never draws the panel never loads fonts. Main thread.
class DjInfoView : public ui::View {
 public:
  using ui::View::View;

  void setNameAndArrow(std::shared_ptr<ui::Label> name, std::shared_ptr<ui::ImageView> arrow);
  void layoutSubviews() override;

 private:
  std::shared_ptr<ui::Label> name_;
  std::shared_ptr<ui::ImageView> arrow_;
};

}  // namespace playback
