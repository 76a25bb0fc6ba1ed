#pragma once

#include <memory>

#include "src/api/models/ProgramModel.h"
#include "src/api/models/SongModel.h"
#include "src/services/ShownSheets.h"

namespace services {

// The share sheet of systems before version 7, for a programme or, with no programme, a single
// song. The sharing screens are not part of this program: it records what it was given.
// Made with std::make_shared. Main thread only.
class ShareActionSheet : public ShownSheets<ShareActionSheet>, public std::enable_shared_from_this<ShareActionSheet> {
 public:
  ShareActionSheet(api::ProgramModelPtr program, api::SongModelPtr startSong)
      : program_(std::move(program)), startSong_(std::move(startSong)) {}

  void showInView(ui::View& view) { record(shared_from_this(), view); }

  const api::ProgramModelPtr& program() const { return program_; }
  const api::SongModelPtr& startSong() const { return startSong_; }

 private:
  api::ProgramModelPtr program_;
  api::SongModelPtr startSong_;
};

}  // namespace services
