#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Image.h"
#include "platform/ui/ImageView.h"
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
  // The matching badge: kept, or waiting (also while downloading); nullptr when not kept offline.
  static ui::ImagePtr getSyncIcon(const api::ProgramModelPtr& program);
  // New image views that cycle through three frames in 0.7 s once started, on light and on dark
  // backgrounds.
  static std::shared_ptr<ui::ImageView> syncAnimationImage();
  static std::shared_ptr<ui::ImageView> syncAnimationImageBlackBG();
};

}  // namespace playback
