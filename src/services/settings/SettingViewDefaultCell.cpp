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
      netStatusChangeSwitch_(std::make_shared<ui::Switch>(ui::Rect{251, 6, 51, 31})),
      disclosureIndicator_(std::make_shared<ui::ImageView>(ui::Image::named("setting_arrow.png"))) {
  settingDecription_->setTextAlignment(ui::TextAlignment::Right);
  // Right of the description, centred in the row.
  disclosureIndicator_->setFrame({297, 15.5, 8, 13});
  disclosureIndicator_->setHidden(true);
  contentView().addSubview(settingTitle_);
  contentView().addSubview(settingDecription_);
  contentView().addSubview(netStatusChangeSwitch_);
  contentView().addSubview(disclosureIndicator_);
}

std::shared_ptr<SettingViewDefaultCell> SettingViewDefaultCell::loadFromXib() {
  return QRVXibTableCellView::loadFromXib<SettingViewDefaultCell>();
}

}  // namespace services
