#include "src/services/settings/SettingViewDefaultCell.h"

#include "platform/ui/Nib.h"

namespace services {
namespace {

const ui::Nib::Registration kNib(SettingViewDefaultCell::kXibName, [](const std::any&) {
  return ui::Nib::TopLevelObjects{std::make_shared<SettingViewDefaultCell>()};
});

}  // namespace

SettingViewDefaultCell::SettingViewDefaultCell()
    : settingTitle_(std::make_shared<ui::Label>(ui::Rect{15, 11, 170, 22})),
      settingDecription_(std::make_shared<ui::Label>(ui::Rect{185, 11, 105, 22})),
      netStatusChangeSwitch_(std::make_shared<ui::Switch>(ui::Rect{251, 6, 51, 31})) {
  settingDecription_->setTextAlignment(ui::TextAlignment::Right);
  contentView().addSubview(settingTitle_);
  contentView().addSubview(settingDecription_);
  contentView().addSubview(netStatusChangeSwitch_);
}

std::shared_ptr<SettingViewDefaultCell> SettingViewDefaultCell::loadFromXib() {
  return QRVXibTableCellView::loadFromXib<SettingViewDefaultCell>();
}

}  // namespace services
