#pragma once

#include <memory>
#include <vector>

#include "platform/foundation/NoDestructor.h"
#include "platform/ui/View.h"

namespace services {

// The sheets of the catalogue and sharing screens belong to screens this program does not have:
// showing one records it with what it was made for and the view it was shown in, so that the
// callers' choices can be read back. Sheet is the class that records itself. Main thread only.
template <class Sheet>
class ShownSheets {
 public:
  // Main thread. Every sheet shown since the start (or the last reset), oldest first.
  static const std::vector<std::shared_ptr<Sheet>>& shownSheets() { return list(); }
  static void resetForTesting() { list().clear(); }

  // Main thread. The view the sheet was shown in; nullptr before it was shown or once that view is gone.
  std::shared_ptr<ui::View> shownInView() const { return host_.lock(); }

 protected:
  void record(std::shared_ptr<Sheet> sheet, ui::View& host) {
    host_ = host.weak_from_this();
    list().push_back(std::move(sheet));
  }

 private:
  static std::vector<std::shared_ptr<Sheet>>& list() {
    static foundation::NoDestructor<std::vector<std::shared_ptr<Sheet>>> sheets;
    return *sheets;
  }
  std::weak_ptr<ui::View> host_;
};

}  // namespace services
