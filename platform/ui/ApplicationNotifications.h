#pragma once

// Names of the notifications the application posts on its life-cycle events (Application), when
// the on-screen keyboard comes up (Application) and when the device turns (Device).
namespace ui {

inline constexpr const char* kApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* kApplicationWillEnterForegroundNotification =
    "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* kApplicationDidReceiveMemoryWarningNotification =
    "UIApplicationDidReceiveMemoryWarningNotification";
inline constexpr const char* kKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
// The keyboard's frame once shown, in screen points: a dictionary of "X", "Y", "Width", "Height"
// (read it with keyboardFrameEnd() of Application.h).
inline constexpr const char* kKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr const char* kDeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

}  // namespace ui
