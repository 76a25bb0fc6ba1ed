#pragma once

#include <memory>

#include "src/api/models/ProgramModel.h"
#include "src/api/models/SongModel.h"
#include "src/services/ShownSheets.h"

namespace services {

// The programme's sheet of share, collect, offline, edit and audit choices, offered by the
// catalogue screens; here it records the programme, the start song and the view it covers.
// Made with std::make_shared. Main thread only.
class ProgramActionSheet : public ShownSheets<ProgramActionSheet>,
                           public std::enable_shared_from_this<ProgramActionSheet> {
 public:
  ProgramActionSheet(api::ProgramModelPtr program, api::SongModelPtr startSong, std::weak_ptr<ui::View> coverView)
      : program_(std::move(program)), startSong_(std::move(startSong)), coverView_(std::move(coverView)) {}

  void showInView(ui::View& view) { record(shared_from_this(), view); }

  const api::ProgramModelPtr& program() const { return program_; }
  const api::SongModelPtr& startSong() const { return startSong_; }
  std::shared_ptr<ui::View> coverView() const { return coverView_.lock(); }

 private:
  api::ProgramModelPtr program_;
  api::SongModelPtr startSong_;
  std::weak_ptr<ui::View> coverView_;
};

}  // namespace services
