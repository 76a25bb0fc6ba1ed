#pragma once

#include <memory>

#include "platform/ui/Color.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/View.h"

namespace framework {

// A view whose content stands on frosted glass: a toolbar as large as the view lies below all
// its subviews and shows what is behind the view, blurred. Main thread only.
class QRVBlurView : public ui::View {
 public:
  // Main thread. The view's own set-up, then setup().
  explicit QRVBlurView(const ui::Rect& frame = {});

  // Main thread. Clips to the bounds and, once, puts a toolbar of the view's size lowest.
  void setup();
  // Main thread. The glass's tint from system 7 on; before, the toolbar's background colour.
  void setBlurTintColor(ui::Color color);
  const std::optional<ui::Color>& blurTintColor() const { return blurTintColor_; }
  // Main thread. The toolbar follows the view's size.
  void layoutSubviews() override;
  // Main thread. Whether the screen's system version is 7.0 or later.
  static bool runningiOS7();

  const std::shared_ptr<ui::Toolbar>& toolbar() const { return toolbar_; }
  void setToolbar(std::shared_ptr<ui::Toolbar> toolbar) { toolbar_ = std::move(toolbar); }

 private:
  std::optional<ui::Color> blurTintColor_;
  std::shared_ptr<ui::Toolbar> toolbar_;
};

}  // namespace framework
