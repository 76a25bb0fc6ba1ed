#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "src/api/models/SongModel.h"
#include "src/framework/ui/QRVXibTableCellView.h"

namespace services {

// A song's row: its number, name and artist, with a picture while it plays and a spinner while
// it loads. Loaded from the nib "IndexSongCell", 320 x 60, reused under that name. Main thread only.
class SingleSongCell : public framework::QRVXibTableCellView {
 public:
  static constexpr const char* kXibName = "IndexSongCell";
  static constexpr double kRowHeight = 60;

  SingleSongCell();

  // Main thread. Fills the row: number (row + 1), name and artist; the playing picture hidden and
  // the spinner stopped. `programId` is the programme the user may edit, else nullopt.
  void ResetSongCell(const api::SongModelPtr& song, const std::optional<std::string>& programId,
                     const ui::IndexPath& indexPath);

  const std::shared_ptr<ui::Label>& musicIndex() const { return musicIndex_; }
  const std::shared_ptr<ui::ImageView>& playingImageView() const { return playingImageView_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& songActivity() const { return songActivity_; }
  const std::shared_ptr<ui::Label>& songNameLabel() const { return songNameLabel_; }
  const std::shared_ptr<ui::Label>& artistLabel() const { return artistLabel_; }
  const api::SongModelPtr& song() const { return song_; }
  const std::optional<std::string>& editableProgramId() const { return programId_; }

 private:
  std::shared_ptr<ui::Label> musicIndex_;
  std::shared_ptr<ui::ImageView> playingImageView_;
  std::shared_ptr<ui::ActivityIndicatorView> songActivity_;
  std::shared_ptr<ui::Label> songNameLabel_;
  std::shared_ptr<ui::Label> artistLabel_;
  api::SongModelPtr song_;
  std::optional<std::string> programId_;
};

}  // namespace services
