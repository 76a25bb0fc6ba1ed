#pragma once

#include <memory>

#include "src/services/ShownSheets.h"
#include "src/services/sharing/SharedItem.h"

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
class ShareButtonActionViewController : public SharedItem,
                                        public ShownSheets<ShareButtonActionViewController>,
                                        public std::enable_shared_from_this<ShareButtonActionViewController> {
 public:
  ShareButtonActionViewController(api::ProgramModelPtr program, api::SongModelPtr startSong)
      : SharedItem(std::move(program), std::move(startSong)) {}

  // Unretained.
  ButtonActionSheetDelegate* delegate() const { return delegate_; }
  void setDelegate(ButtonActionSheetDelegate* delegate) { delegate_ = delegate; }
  void showInView(ui::View& view) { record(shared_from_this(), view); }

 private:
  ButtonActionSheetDelegate* delegate_ = nullptr;
};

}  // namespace services
