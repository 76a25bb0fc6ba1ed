#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/ui/Geometry.h"
#include "platform/ui/ViewController.h"

namespace services {

// The base of every screen: navigation-bar buttons of the application's own look and the way
// back to the side menu. Main thread only.
class BaseViewController : public ui::ViewController {
 public:
  using Action = std::function<void()>;

  // A button with the title, the named pictures (the highlighted one may be absent) and the
  // frame that runs `action` when tapped, set as the left or right bar item; a second call
  // replaces the item.
  void setLeftBarButtonItemTitle(const std::string& title, Action action, const std::string& image,
                                 const std::optional<std::string>& highLightedImage, const ui::Rect& frame);
  void setRightBarButtonItemTitle(const std::string& title, Action action, const std::string& image,
                                  const std::optional<std::string>& highLightedImage, const ui::Rect& frame);
  // Opens the left side menu.
  void backToSideBar();
};

}  // namespace services
