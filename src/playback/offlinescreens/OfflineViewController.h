#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"
#include "src/playback/offline/DownloadDataModel.h"
#include "src/services/shell/BaseViewController.h"

namespace playback {

// The logged-in user's offline programmes with their download progress: the waiting ones oldest
// first (the first of them is the one downloading), then the complete ones newest first. The
// user starts or pauses downloading, allows it on a mobile network from the notice row and plays
// all programmes in a row. Made with std::make_shared. Main thread only.
class OfflineViewController : public services::BaseViewController,
                              public ui::TableViewDataSource,
                              public ui::TableViewDelegate,
                              public ui::AlertViewDelegate {
 public:
  // Pushed on a navigation stack rather than opened from the side menu.
  static constexpr int kFromNavigationStack = 11;
  static constexpr double kNoticeRowHeight = 25;
  static constexpr const char* kRemoveFailedToast = "节目取消离线失败!";

  ~OfflineViewController() override;

  void loadView() override;
  void viewDidLoad() override;
  // Drops the two views and stops hearing the download events.
  void viewDidUnload();

  void requestData();
  void playAllFavButton();
  void changeDownloadSetting();
  void leftBarButtonItemClicked();
  void pauseButtonSelected();
  void rightBarButtonItemClicked() { pauseButtonSelected(); }
  // "暂停离线" while downloading (true), "开始离线" otherwise.
  void configDownloadButtonTitleForState(bool downloading);

  void handleProgramIsDownloaded(const foundation::Notification& notification);
  void handleSongDownloadOk(const foundation::Notification& notification);

  int numberOfRows(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  bool canEditRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  // Deletes the row's programme: off the server's offline list, then off this one with its
  // files. The table never asks, as no row can be edited.
  void commitEditingStyle(ui::TableView& table, const ui::IndexPath& indexPath);
  std::optional<double> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void clickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

  const std::vector<DownloadDataModelPtr>& sourceArray() const { return sourceArray_; }
  bool isPause() const { return isPause_; }
  int fromType() const { return fromType_; }
  void setFromType(int fromType) { fromType_ = fromType; }
  const std::shared_ptr<ui::TableView>& mainTableView() const { return mainTableView_; }
  const std::shared_ptr<ui::View>& noDownloadView() const { return noDownloadView_; }
  // The start/pause button on the right of the bar.
  std::shared_ptr<ui::Button> pauseButton() const;
  // The play-all button in the table's header.
  ui::Button* playAllButton() const;

  // Test hook: makes the play-all order repeatable.
  void seedShuffleForTesting(std::uint32_t seed) { random_.seed(seed); }

 private:
  void observeDownloads();
  void reloadFirstRows();
  // The entry of the notification's "ProgramId"; end() when the list has none.
  std::vector<DownloadDataModelPtr>::iterator entryOf(const foundation::Notification& notification);
  std::shared_ptr<ui::TableViewCell> noticeCell(ui::TableView& table);
  std::shared_ptr<ui::View> playAllHeader();

  std::vector<DownloadDataModelPtr> sourceArray_;
  bool isPause_ = false;
  int fromType_ = 0;
  std::shared_ptr<ui::TableView> mainTableView_;
  std::shared_ptr<ui::View> noDownloadView_;
  std::shared_ptr<ui::AlertView> settingAlert_;
  std::shared_ptr<foundation::Timer> secondLoad_;
  std::mt19937 random_{std::random_device{}()};
};

}  // namespace playback
