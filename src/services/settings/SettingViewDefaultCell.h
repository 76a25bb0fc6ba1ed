#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "src/framework/ui/QRVXibTableCellView.h"

namespace services {

// A row of the settings table: a title, a description on the right, a switch and the arrow that
// says a tap opens another screen, from its nib.
class SettingViewDefaultCell : public framework::QRVXibTableCellView {
 public:
  static constexpr const char* kXibName = "SettingViewDefaultCell";

  SettingViewDefaultCell();

  // Main thread. A new row from the nib.
  static std::shared_ptr<SettingViewDefaultCell> loadFromXib();

  ui::Label& settingTitle() { return *settingTitle_; }
  ui::Label& settingDecription() { return *settingDecription_; }
  ui::Switch& netStatusChangeSwitch() { return *netStatusChangeSwitch_; }
  // The arrow at the row's end.
  bool showsDisclosureIndicator() const { return !disclosureIndicator_->isHidden(); }
  void setShowsDisclosureIndicator(bool shows) { disclosureIndicator_->setHidden(!shows); }

 private:
  std::shared_ptr<ui::Label> settingTitle_;
  std::shared_ptr<ui::Label> settingDecription_;
  std::shared_ptr<ui::Switch> netStatusChangeSwitch_;
  std::shared_ptr<ui::ImageView> disclosureIndicator_;
};

}  // namespace services
