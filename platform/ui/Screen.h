#pragma once

#include <string>

#include "platform/ui/Geometry.h"

namespace ui {

// The phone's screen: 320 points wide and 568 or 480 high, with the system version that some
// screens lay out by. Tests set the screen they need. Main thread only.
class Screen {
 public:
  // Main thread.
  Screen(Size size = {320, 568}, std::string systemVersion = "7.0", double scale = 2);

  // Main thread. The screen in use; a 320 x 568 screen with system version 7.0 unless set.
  static const Screen& main();
  // Main thread. Replaces the screen in use (tests, before building views).
  static void setMain(Screen screen);

  Rect bounds() const { return {0, 0, size_.width, size_.height}; }
  // Main thread. The screen less the status bar along its top.
  Rect applicationFrame() const;
  double scale() const { return scale_; }
  // Main thread. The system version as text ("7.0") and its leading number (7.0).
  const std::string& systemVersion() const { return systemVersion_; }
  double systemVersionNumber() const;

 private:
  Size size_;
  std::string systemVersion_;
  double scale_;
};

}  // namespace ui
