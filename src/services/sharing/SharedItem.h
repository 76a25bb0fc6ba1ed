#pragma once

#include <utility>

#include "src/api/models/ProgramModel.h"
#include "src/api/models/SongModel.h"

namespace services {

// What a share sheet offers: a programme or, with no programme, a single song.
class SharedItem {
 public:
  SharedItem(api::ProgramModelPtr program, api::SongModelPtr startSong)
      : program_(std::move(program)), startSong_(std::move(startSong)) {}

  const api::ProgramModelPtr& program() const { return program_; }
  const api::SongModelPtr& startSong() const { return startSong_; }

 private:
  api::ProgramModelPtr program_;
  api::SongModelPtr startSong_;
};

}  // namespace services
