#pragma once

#include <memory>

#include "src/services/ShownSheets.h"
#include "src/services/sharing/SharedItem.h"

namespace services {

// The share sheet of systems before version 7, for a programme or, with no programme, a single
// song. The sharing screens are not part of this program: it records what it was given.
// Made with std::make_shared. Main thread only.
class ShareActionSheet : public SharedItem,
                         public ShownSheets<ShareActionSheet>,
                         public std::enable_shared_from_this<ShareActionSheet> {
 public:
  ShareActionSheet(api::ProgramModelPtr program, api::SongModelPtr startSong)
      : SharedItem(std::move(program), std::move(startSong)) {}

  void showInView(ui::View& view) { record(shared_from_this(), view); }
};

}  // namespace services
