#pragma once

#include <memory>

#include "src/api/models/ProgramModel.h"
#include "src/api/models/SongModel.h"
#include "src/services/ShownSheets.h"

namespace services {

class ShareButtonActionViewController;

// What the share panel may ask of its owner; every method is optional.
class ButtonActionSheetDelegate {
 public:
  virtual ~ButtonActionSheetDelegate() = default;
  virtual void cellForActionAtIndex(ShareButtonActionViewController& /*sheet*/, int /*index*/) {}
  virtual void collectionDiscollectionEvent(ShareButtonActionViewController& /*sheet*/) {}
  virtual void downloadButtonEvetn(ShareButtonActionViewController& /*sheet*/) {}
  virtual void buttonActionSheetDidCancel(ShareButtonActionViewController& /*sheet*/) {}
};

// The share panel of system version 7 and later, for a programme or, with no programme, a single
// song. The sharing screens are not part of this program: it records what it was given.
// Made with std::make_shared. Main thread only.
class ShareButtonActionViewController : public ShownSheets<ShareButtonActionViewController>,
                                        public std::enable_shared_from_this<ShareButtonActionViewController> {
 public:
  ShareButtonActionViewController(api::ProgramModelPtr program, api::SongModelPtr startSong)
      : program_(std::move(program)), startSong_(std::move(startSong)) {}

  // Unretained.
  ButtonActionSheetDelegate* delegate() const { return delegate_; }
  void setDelegate(ButtonActionSheetDelegate* delegate) { delegate_ = delegate; }
  void showInView(ui::View& view) { record(shared_from_this(), view); }

  const api::ProgramModelPtr& program() const { return program_; }
  const api::SongModelPtr& startSong() const { return startSong_; }

 private:
  api::ProgramModelPtr program_;
  api::SongModelPtr startSong_;
  ButtonActionSheetDelegate* delegate_ = nullptr;
};

}  // namespace services
