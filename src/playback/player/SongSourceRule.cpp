#include "src/playback/player/SongSourceRule.h"

namespace playback {

SongSourceRule::Choice SongSourceRule::fromFile(const std::string& file, int networkStatus, bool offline) {
  Choice choice{Outcome::play, file, std::nullopt, 0};
  if (!offline && isMobileNetwork(networkStatus)) {
    choice.toast = kOfflineFileToast;
    choice.toastSeconds = kOfflineFileToastSeconds;
  }
  return choice;
}

SongSourceRule::Choice SongSourceRule::forStream(const std::optional<std::string>& setting, int networkStatus,
                                                 bool offline) {
  // In offline mode only downloaded songs play; streaming one would break the mode's promise.
  if (offline) return {Outcome::skip, {}, std::nullopt, 0};
  if (!isMobileNetwork(networkStatus)) return {};
  if (setting == kWiFiOnly) return {Outcome::refused, {}, std::nullopt, 0};
  return {Outcome::play, {}, kMobileStreamToast, kMobileStreamToastSeconds};
}

}  // namespace playback
