#include "src/playback/offlinescreens/OfflineSettingViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "src/api/models/UserModel.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/playback/timer/SleepTimer.h"
#include "src/playback/timer/SleepTimingViewController.h"
#include "src/services/settings/AboutZunoViewController.h"

namespace playback {

namespace {

constexpr const char* kCellIdentifier = "SettingViewDefaultCell";

std::optional<std::string> sleepTimerRemaining() {
  const SleepTimer& timer = SleepTimer::shareSleepTimer();
  if (!timer.isTiming()) return std::nullopt;
  return timer.currentLeftTimeString();
}

}  // namespace

OfflineSettingViewController::OfflineSettingViewController() {
  setOfflineMode(true);
  // The settings base cannot see the sleep timer, which lives in this layer.
  SettingViewController::setSleepTimerText(sleepTimerRemaining);
}

OfflineSettingViewController::~OfflineSettingViewController() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void OfflineSettingViewController::loadView() {
  SettingViewController::loadView();
  settingTable_ = std::make_shared<ui::TableView>(view()->bounds());
  settingTable_->setDataSource(this);
  settingTable_->setTableDelegate(this);
  // Groups the sections; the first gap also holds the offline badge.
  settingTable_->setSectionHeaderHeight(36);
  view()->addSubview(settingTable_);
}

void OfflineSettingViewController::viewDidLoad() {
  SettingViewController::viewDidLoad();
  // The timer row shows the remaining time while the countdown runs.
  auto& center = foundation::NotificationCenter::defaultCenter();
  for (const char* name :
       {kTimerStartNotification, kTimerProgressNotification, kTimerDoneNotification, kTimerStopNotification})
    center.addObserver(this, name, [this](const foundation::Notification&) { settingTable_->reloadRows({{1, 0}}); });
}

void OfflineSettingViewController::viewWillAppear(bool animated) {
  SettingViewController::viewWillAppear(animated);
  offlineIconView()->setHidden(false);
}

int OfflineSettingViewController::numberOfSections(ui::TableView&) { return 3; }

int OfflineSettingViewController::numberOfRows(ui::TableView&, int section) { return section == 1 ? 2 : 1; }

std::shared_ptr<ui::TableViewCell> OfflineSettingViewController::cellForRow(ui::TableView& table,
                                                                            const ui::IndexPath& indexPath) {
  auto cell = std::dynamic_pointer_cast<services::SettingViewDefaultCell>(table.dequeueReusableCell(kCellIdentifier));
  if (!cell) cell = services::SettingViewDefaultCell::loadFromXib();
  if (!cell) return std::make_shared<ui::TableViewCell>();
  cell->setReuseIdentifier(kCellIdentifier);
  cell->setTag(0);
  fillRow(*cell, indexPath);
  cell->setSelectionStyle(ui::TableViewCell::SelectionStyle::None);
  cell->settingTitle().setFont(ui::Font::systemFont(16));
  return cell;
}

void OfflineSettingViewController::fillRow(services::SettingViewDefaultCell& cell, const ui::IndexPath& indexPath) {
  if (indexPath.section == 1 && indexPath.row == 0) cell.setTag(kSleepTimerRowTag);
  loadCellDefaultStyle(cell);
  if (indexPath.section == 0) {
    cell.settingTitle().setText("账户");
    const api::UserModelPtr user = api::UserModel::getUser();
    cell.settingDecription().setText(user ? user->uname().value_or("") : "");
    cell.settingDecription().setHidden(false);
    cell.setShowsDisclosureIndicator(false);
  } else if (indexPath.section == 1 && indexPath.row == 0) {
    cell.settingTitle().setText("定时关闭");
    // The default style already shows the remaining time while the timer counts.
    cell.setShowsDisclosureIndicator(!SleepTimer::shareSleepTimer().isTiming());
  } else if (indexPath.section == 1) {
    fillPlaybackSwitchRow(cell);
  } else {
    cell.settingTitle().setText("关于我们");
  }
}

void OfflineSettingViewController::fillPlaybackSwitchRow(services::SettingViewDefaultCell& cell) {
  cell.settingTitle().setText("2G/3G/4G网络播放");
  cell.setShowsDisclosureIndicator(false);
  ui::Switch& netSwitch = cell.netStatusChangeSwitch();
  netSwitch.setHidden(false);
  const double x = ui::Screen::main().systemVersionNumber() >= 7 ? 253 : 220;
  netSwitch.setFrame({x, 8, 51, 31});
  const std::string setting = framework::DataCacheManager::sharedManager()
                                  .getCachedObjectByKey(framework::kUserSettingForPlayingCacheKey)
                                  .toString();
  if (setting == kPlayOnEveryNetwork) netSwitch.setOn(true);
  if (setting == kPlayOnWiFiOnly) netSwitch.setOn(false);
  netSwitch.removeActions(ui::kValueChanged);
  netSwitch.addAction(ui::kValueChanged, [this](ui::Control& control) {
    handleNetStatusChangeSwitchEvent(static_cast<ui::Switch&>(control));
  });
}

void OfflineSettingViewController::didSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.section == 2) {
    offlineIconView()->setHidden(true);
    if (navigationController())
      navigationController()->pushViewController(std::make_shared<services::AboutZunoViewController>(), true);
  } else if (indexPath.section == 1 && indexPath.row == 0) {
    presentViewController(SleepTimingViewController::share(), true);
  }
}

}  // namespace playback
