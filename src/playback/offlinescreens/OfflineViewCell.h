#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressView.h"
#include "src/api/models/ProgramModel.h"
#include "src/framework/images/QRVImageView.h"
#include "src/framework/ui/QRVXibTableCellView.h"
#include "src/playback/offline/DownloadDataModel.h"
#include "src/services/catalogue/SudokuImageView.h"

namespace playback {

// One programme's row of the offline list: cover, name, how many songs are kept and how far the
// download is, its genre and creator. A tap on the row plays the programme; a tap on its end
// opens the programme's sheet. Main thread only.
class OfflineViewCell : public framework::QRVXibTableCellView {
 public:
  static constexpr const char* kXibName = "OfflineViewCell";
  static constexpr double kRowHeight = 90;

  OfflineViewCell();

  // Main thread. A row for the offline row `download`; nullptr when the nib is missing.
  static std::shared_ptr<OfflineViewCell> initWithProgramDownloadData(const DownloadDataModel& download);

  // Main thread. The taps' actions.
  void playProgram();
  void showActionSheet();

  // The looks of a waiting and of a working row; nothing calls them yet.
  void waitStyle();
  void workStyle();

  // The programme is the screen's: the cell only looks at it while it lives.
  api::ProgramModelPtr program() const { return program_.lock(); }
  ui::Label& titleLabel() { return *titleLabel_; }
  ui::Label& detailLabel() { return *detailLabel_; }
  ui::ImageView& statusImageView() { return *statusImageView_; }
  services::SudokuImageView& programImageView() { return *programImageView_; }
  ui::ProgressView& downloadProgress() { return *downloadProgress_; }
  ui::Label& genreLabel() { return *genreLabel_; }
  framework::QRVImageView& djIconLabel() { return *djIconLabel_; }
  ui::Label& djName() { return *djName_; }
  ui::View& actionView() { return *actionView_; }
  ui::View& playProgramView() { return *playProgramView_; }

 private:
  void fill(const DownloadDataModel& download, const api::ProgramModelPtr& program);
  void showCover(const api::ProgramModel& program);
  void showProgress(const DownloadDataModel& download);
  void showCreator(const api::ProgramModel& program);

  std::weak_ptr<api::ProgramModel> program_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> detailLabel_;
  std::shared_ptr<ui::ImageView> statusImageView_;
  std::shared_ptr<services::SudokuImageView> programImageView_;
  std::shared_ptr<ui::ProgressView> downloadProgress_;
  std::shared_ptr<ui::Label> genreLabel_;
  std::shared_ptr<framework::QRVImageView> djIconLabel_;
  std::shared_ptr<ui::Label> djName_;
  std::shared_ptr<ui::View> actionView_;
  std::shared_ptr<ui::View> playProgramView_;
};

}  // namespace playback
