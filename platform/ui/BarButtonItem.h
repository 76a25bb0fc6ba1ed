#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/Image.h"

namespace ui {

class View;

// A button of a navigation bar: a title, a picture or a view of its own, and the action a tap
// runs. Main thread only.
class BarButtonItem {
 public:
  using Action = std::function<void()>;
  // Done marks the button that confirms (drawn bold).
  enum class Style { Plain, Done };

  // Main thread.
  BarButtonItem(std::string title, Action action);
  BarButtonItem(ImagePtr image, Action action);
  explicit BarButtonItem(std::shared_ptr<View> customView);

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const ImagePtr& image() const { return image_; }
  const std::shared_ptr<View>& customView() const { return customView_; }
  Style style() const { return style_; }
  void setStyle(Style style) { style_ = style; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  // Main thread. What a tap on the item does: runs the action when enabled.
  void press() const;

 private:
  std::string title_;
  ImagePtr image_;
  std::shared_ptr<View> customView_;
  Action action_;
  Style style_ = Style::Plain;
  bool enabled_ = true;
};

}  // namespace ui
