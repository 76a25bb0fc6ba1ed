#include "src/services/settings/SettingViewController.h"

#include "platform/foundation/NoDestructor.h"
#include "platform/ui/Image.h"
#include "platform/ui/ImageView.h"
#include "src/framework/cache/DataCacheManager.h"

namespace services {
namespace {

SettingViewController::SleepTimerText& sleepTimerText() {
  static foundation::NoDestructor<SettingViewController::SleepTimerText> source;
  return *source;
}

}  // namespace

void SettingViewController::setSleepTimerText(SleepTimerText source) { sleepTimerText() = std::move(source); }

void SettingViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  setTitle("设置");
  offlineIconView_ = std::make_shared<ui::ImageView>(ui::Image::named("programIsDownload.png"));
  offlineIconView_->setFrame({280, 12, 20, 20});
  offlineIconView_->setHidden(true);
  view()->addSubview(offlineIconView_);
}

void SettingViewController::loadCellDefaultStyle(SettingViewDefaultCell& cell) const {
  std::optional<std::string> remaining;
  if (cell.tag() == kSleepTimerRowTag && sleepTimerText()) remaining = sleepTimerText()();
  cell.settingDecription().setText(remaining.value_or(""));
  cell.settingDecription().setHidden(!remaining);
  cell.netStatusChangeSwitch().setHidden(true);
  cell.setShowsDisclosureIndicator(true);
}

void SettingViewController::handleNetStatusChangeSwitchEvent(const ui::Switch& netSwitch) const {
  const char* choice = netSwitch.isOn() ? kPlayOnEveryNetwork : kPlayOnWiFiOnly;
  // A setting that cannot be written keeps the previous one; the switch shows the new state
  // until the screen is loaded again.
  (void)framework::DataCacheManager::sharedManager().addObject(std::string(choice),
                                                               framework::kUserSettingForPlayingCacheKey);
}

}  // namespace services
