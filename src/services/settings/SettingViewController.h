#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Switch.h"
#include "platform/ui/View.h"
#include "src/services/settings/SettingViewDefaultCell.h"
#include "src/services/shell/BaseViewController.h"

namespace services {

// The settings screen, which the offline settings screen extends: the offline-mode flag that
// picks the table, the default look of a row, the playback network switch and the sleep-timer
// row. Main thread only.
class SettingViewController : public BaseViewController {
 public:
  // The row that shows the sleep timer's remaining time.
  static constexpr int kSleepTimerRowTag = 301;
  // What "userSettingForPlaying" holds with the switch on and off.
  static constexpr const char* kPlayOnEveryNetwork = "2G/3G/4G和WiFi";
  static constexpr const char* kPlayOnWiFiOnly = "WiFi";

  // The sleep timer's remaining time as text while it counts, nullopt otherwise. The timer lives
  // in a layer above this one and installs it.
  using SleepTimerText = std::function<std::optional<std::string>()>;
  static void setSleepTimerText(SleepTimerText source);

  bool offlineMode() const { return offlineMode_; }
  void setOfflineMode(bool offline) { offlineMode_ = offline; }

  // The default look: no description (except the sleep-timer row while the timer counts), no
  // switch, a disclosure arrow.
  void loadCellDefaultStyle(SettingViewDefaultCell& cell) const;
  // Stores the playback network choice of the switch in the data cache.
  void handleNetStatusChangeSwitchEvent(const ui::Switch& netSwitch) const;

  void viewDidLoad() override;
  const std::shared_ptr<ui::View>& offlineIconView() const { return offlineIconView_; }

 private:
  bool offlineMode_ = false;
  std::shared_ptr<ui::View> offlineIconView_;
};

}  // namespace services
