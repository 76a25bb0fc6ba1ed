#pragma once

#include <optional>
#include <string>

#include "platform/ui/Image.h"
#include "src/api/models/ProgramModel.h"
#include "src/api/models/UserModel.h"

namespace playback {

// The badges and titles that screens show for a user's type and a programme's offline state.
// Main thread.
class IconManager {
 public:
  // The user type's badge: 4 common, 3 business, 2 or less DJ; nullptr above 4.
  static ui::ImagePtr getUserIcon(const api::UserModelPtr& user);
  // The same on dark backgrounds: a white DJ badge.
  static ui::ImagePtr getUserIconWhite(const api::UserModelPtr& user);
  // "已离线", "正在离线", "等待离线" or "离线" by the download manager's state of a programme that
  // is collected and kept offline; nullopt when it is not both.
  static std::optional<std::string> getSyncButtonTitle(const api::ProgramModelPtr& program);
};

}  // namespace playback
