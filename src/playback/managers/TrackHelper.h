#pragma once

#include <string>

namespace playback {

// Tracking hooks that the player and the shell call at their events. Nothing is sent: the
// program has no tracking service behind them.
class TrackHelper {
 public:
  // The logged-in user's id, or "_" when nobody is logged in.
  static std::string labelForUid();
  static void sendClickEventWithAction(const std::string& /*action*/) {}
  static void sendMp3LoadtimeWithInterval(double /*seconds*/, const std::string& /*songId*/) {}
  static void sendDimension() {}
};

}  // namespace playback
