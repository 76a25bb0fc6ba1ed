#include "src/playback/timer/SleepTimingPickerRowView.h"

#include "platform/ui/Nib.h"
#include "platform/ui/PickerView.h"

namespace playback {
namespace {

const ui::Nib::Registration kRowNib(SleepTimingPickerRowView::kXibName, [](const std::any&) {
  auto row = std::make_shared<SleepTimingPickerRowView>(ui::Rect{0, 0, 320, ui::PickerView::kRowHeight});
  row->makeParts();
  return ui::Nib::TopLevelObjects{row};
});

}  // namespace

std::shared_ptr<SleepTimingPickerRowView> SleepTimingPickerRowView::loadRow() {
  // Defined here so that the nib registration above is linked wherever rows are loaded.
  return loadFromXib<SleepTimingPickerRowView>();
}

void SleepTimingPickerRowView::makeParts() {
  selectedIcon_ = std::make_shared<ui::ImageView>(ui::Rect{90, 8, 16, 16});
  timingLabel_ = std::make_shared<ui::Label>(ui::Rect{110, 0, 60, ui::PickerView::kRowHeight});
  timingLabel_->setFont(ui::Font::systemFont(24));
  timingLabel_->setTextColor(ui::Color::white());
  timingLabel_->setTextAlignment(ui::TextAlignment::Right);
  addSubview(selectedIcon_);
  addSubview(timingLabel_);
}

}  // namespace playback
