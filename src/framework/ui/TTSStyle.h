#pragma once

#include "platform/ui/Color.h"

namespace framework {

// The application's fixed text and background colours and the status-bar offset. Main thread
// (VersionCheckHeight reads the screen's system version).
class TTSStyle {
 public:
  static ui::Color userSpaceBgColor() { return ui::Color::rgb255(237, 237, 237); }
  static ui::Color lightFontGrayColor() { return ui::Color::rgb255(181, 184, 187); }
  static ui::Color blueFontGrayColor() { return ui::Color::rgb255(119, 196, 211); }
  static ui::Color blueNumBerGrayColor() { return ui::Color::rgb255(1, 161, 191); }
  static ui::Color lightBlueFontColor() { return ui::Color::rgb255(77, 203, 226); }
  static ui::Color firstLevelFontColor() { return ui::Color::rgb255(85, 90, 95); }
  static ui::Color secondLevelFontColor() { return ui::Color::rgb255(140, 150, 155); }
  static ui::Color thirdLevelFontColor() { return ui::Color::rgb255(156, 166, 170); }

  // Main thread. How far screens move their content down under the status bar: 20 on system 7
  // and later, else 0.
  static float VersionCheckHeight();
};

}  // namespace framework
