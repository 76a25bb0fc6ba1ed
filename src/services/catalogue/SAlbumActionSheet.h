#pragma once

#include <memory>

#include "src/api/models/SAlbumModel.h"
#include "src/services/ShownSheets.h"

namespace services {

// The song album's sheet of choices, offered by the catalogue screens; here it records the album
// and the view it was shown in. Made with std::make_shared. Main thread only.
class SAlbumActionSheet : public ShownSheets<SAlbumActionSheet>,
                          public std::enable_shared_from_this<SAlbumActionSheet> {
 public:
  explicit SAlbumActionSheet(api::SAlbumModelPtr salbum) : salbum_(std::move(salbum)) {}

  void showInView(ui::View& view) { record(shared_from_this(), view); }

  const api::SAlbumModelPtr& salbum() const { return salbum_; }

 private:
  api::SAlbumModelPtr salbum_;
};

}  // namespace services
