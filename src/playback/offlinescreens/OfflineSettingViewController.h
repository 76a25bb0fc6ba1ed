#pragma once

#include <memory>

#include "platform/ui/TableView.h"
#include "src/services/settings/SettingViewController.h"

namespace playback {

// The settings shown while the application is offline: the account, the sleep timer, playback on
// mobile networks and "about". Made with std::make_shared. Main thread only.
class OfflineSettingViewController : public services::SettingViewController,
                                     public ui::TableViewDataSource,
                                     public ui::TableViewDelegate {
 public:
  OfflineSettingViewController();
  ~OfflineSettingViewController() override;

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;

  int numberOfSections(ui::TableView& table) override;
  int numberOfRows(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  const std::shared_ptr<ui::TableView>& settingTable() const { return settingTable_; }

 private:
  void fillRow(services::SettingViewDefaultCell& cell, const ui::IndexPath& indexPath);
  void fillPlaybackSwitchRow(services::SettingViewDefaultCell& cell);

  std::shared_ptr<ui::TableView> settingTable_;
};

}  // namespace playback
