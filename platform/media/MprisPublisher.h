#pragma once

#include <memory>
#include <string>

namespace media {

// Publishes the now-playing information and the playing state as a media player on the desktop
// session bus, and turns the bus's play, pause and track commands into remote commands. It runs
// on a thread of its own; commands reach the main run loop like any remote command. Without a
// session bus it does nothing and the in-process stand-ins carry on alone.
class MprisPublisher {
 public:
  // Main thread. Connects and takes the bus name "org.mpris.MediaPlayer2.<name>"; returns
  // whether it is published. Once published, later calls do nothing and return true.
  static bool start(const std::string& name);
  // Main thread. Leaves the bus; start() may be called again.
  static void stop();

  struct Impl;
};

}  // namespace media
