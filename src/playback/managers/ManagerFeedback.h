#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace playback::feedback {

// What the module managers show and post, on the application's window and default centre.
void iconToast(const std::string& title, const std::string& iconName);
void errorToast(const std::string& title);
void topToast(const std::string& message, const char* position);
void plainToast(const std::string& message);
void post(const char* name, foundation::Dictionary userInfo);
// An expired login: forget the user, tell everyone, sign the social accounts out and ask the
// user to log in again.
void loginExpired();

}  // namespace playback::feedback
