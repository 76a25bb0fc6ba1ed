#pragma once

#include <any>
#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace framework {

// Loads the first top-level view of an interface file (nib) of the application package.
class QRVXibViewUtils {
 public:
  // Main thread. The nib's first top-level view, loaded with `owner`; nullptr when the nib does
  // not exist or holds nothing.
  static std::shared_ptr<ui::View> loadViewFromXibNamed(const std::string& nibName, const std::any& owner);
  // Main thread. The same with this utility as the owner.
  static std::shared_ptr<ui::View> loadViewFromXibNamed(const std::string& nibName);
};

}  // namespace framework
