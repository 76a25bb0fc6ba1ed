#pragma once

#include <optional>
#include <string>
#include <vector>

namespace media {

// Output port types of a route description.
inline constexpr const char* kAudioOutputSpeaker = "Speaker";
inline constexpr const char* kAudioOutputHeadphones = "Headphones";
inline constexpr const char* kAudioOutputAirPlay = "AirPlay";

struct AudioRouteDescription {
  std::vector<std::string> outputs;  // port types, in the order the system lists them
};

// Posted on the default notification centre, always later on the main run loop.
// userInfo "type": 1 the interruption began, 0 it ended.
inline constexpr const char* kAudioSessionInterruptionNotification = "AudioSessionInterruptionNotification";
// userInfo "reason": why the route changed (the system's number, passed on as given).
inline constexpr const char* kAudioSessionRouteChangeNotification = "AudioSessionRouteChangeNotification";
// userInfo "AVSystemController_AudioVolumeNotificationParameter": the new volume, 0..1.
inline constexpr const char* kSystemVolumeDidChangeNotification =
    "AVSystemController_SystemVolumeDidChangeNotification";
inline constexpr const char* kSystemVolumeParameter = "AVSystemController_AudioVolumeNotificationParameter";
// userInfo "available": whether wireless routes can be chosen now.
inline constexpr const char* kWirelessRoutesAvailableDidChangeNotification =
    "WirelessRoutesAvailableDidChangeNotification";

// The application's one audio session: its category and active flag, the output route and the
// system music volume. Changes from outside the application (a call, headphones pulled, the
// volume buttons) come from inject...(), which stands for the system; each is announced later on
// the main run loop, never inside the call that caused it. Main thread.
class AudioSession {
 public:
  static AudioSession& sharedInstance();

  const std::string& category() const { return category_; }
  void setCategory(std::string category) { category_ = std::move(category); }
  bool isActive() const { return active_; }
  void setActive(bool active) { active_ = active; }

  // Null when the system cannot describe the route.
  const std::optional<AudioRouteDescription>& currentRoute() const { return route_; }

  // The system music volume, 0..1; setting it is announced like a change made with the buttons.
  float outputVolume() const { return volume_; }
  void setOutputVolume(float volume);

  bool wirelessRoutesAvailable() const { return wirelessRoutesAvailable_; }

  // Main thread. Events that only the system produces.
  void injectInterruption(bool began);
  void injectRouteChange(std::optional<AudioRouteDescription> route, int reason);
  void injectWirelessRoutesAvailable(bool available);

  // Main thread; tests only. Back to the state of a fresh start.
  void resetForTesting();

 private:
  AudioSession();
  std::string category_;
  bool active_ = false;
  std::optional<AudioRouteDescription> route_;
  float volume_ = 0.5f;
  bool wirelessRoutesAvailable_ = false;
};

}  // namespace media
