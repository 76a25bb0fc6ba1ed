#pragma once

#include <memory>
#include <string>

#include "platform/ui/BarButtonItem.h"

namespace ui {

class View;

// What a controller shows in the navigation bar while it is on top. Main thread only.
struct NavigationItem {
  std::string title;
  // A line of text above the title; the bar grows to make room for it.
  std::string prompt;
  std::shared_ptr<View> titleView;
  std::shared_ptr<BarButtonItem> leftBarButtonItem;
  std::shared_ptr<BarButtonItem> rightBarButtonItem;
  bool hidesBackButton = false;
};

}  // namespace ui
