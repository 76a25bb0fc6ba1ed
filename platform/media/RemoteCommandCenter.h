#pragma once

#include <functional>

namespace media {

enum class RemoteCommand { play, pause, togglePlayPause, nextTrack, previousTrack };

// Remote-control commands from the lock screen, a headset or the session bus. They reach the
// handler on the main run loop, only while the application receives them. Main thread unless said.
class RemoteCommandCenter {
 public:
  static RemoteCommandCenter& sharedCenter();

  void setHandler(std::function<void(RemoteCommand)> handler) { handler_ = std::move(handler); }
  void beginReceivingRemoteControlEvents() { receiving_ = true; }
  void endReceivingRemoteControlEvents() { receiving_ = false; }
  bool isReceiving() const { return receiving_; }

  // Any thread. A command from outside (a test, the session bus), delivered later.
  void injectCommand(RemoteCommand command);

  // Main thread; tests only.
  void resetForTesting();

 private:
  RemoteCommandCenter() = default;
  std::function<void(RemoteCommand)> handler_;
  bool receiving_ = false;
};

}  // namespace media
