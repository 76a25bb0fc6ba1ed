#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace framework {

// Base of the views built from an interface file named after their class. A subclass declares
// `static constexpr const char* kXibName = "ClassName";` and registers its nib with ui::Nib.
class QRVXibView : public ui::View {
 public:
  using ui::View::View;

  // Main thread. The subclass's own nib, loaded with no owner; nullptr when it is missing, holds
  // nothing, or its first view is not a T.
  template <class T>
  static std::shared_ptr<T> loadFromXib() {
    return std::dynamic_pointer_cast<T>(loadFromXib(T::kXibName));
  }
  // Main thread. The first top-level view of the named nib, loaded with no owner; nullptr when
  // there is none.
  static std::shared_ptr<ui::View> loadFromXib(const std::string& nibName);
};

}  // namespace framework
