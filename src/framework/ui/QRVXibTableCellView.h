#pragma once

#include <memory>
#include <string>

#include "platform/ui/TableViewCell.h"

namespace framework {

// Base of the table cells built from an interface file named after their class. A subclass
// declares `static constexpr const char* kXibName = "ClassName";` and registers its nib.
class QRVXibTableCellView : public ui::TableViewCell {
 public:
  using ui::TableViewCell::TableViewCell;

  // Main thread. The subclass's own nib, loaded with no owner; nullptr when it is missing, holds
  // nothing, or its first view is not a T.
  template <class T>
  static std::shared_ptr<T> loadFromXib() {
    return std::dynamic_pointer_cast<T>(loadFromXib(T::kXibName));
  }
  // Main thread. The first top-level view of the named nib when it is a cell; nullptr otherwise.
  static std::shared_ptr<ui::TableViewCell> loadFromXib(const std::string& nibName);
};

}  // namespace framework
