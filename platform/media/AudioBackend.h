#pragma once

#include <memory>

#include "platform/foundation/Clock.h"

namespace media {

class FakeAudioBackend;

// Where the GStreamer backend sends the sound.
enum class AudioSink {
  automatic,  // the system's sound output
  fake,       // nowhere: for tests, benchmarks and machines without a sound card
};

struct GStreamerOptions {
  AudioSink sink = AudioSink::automatic;
  // Plays in real time; off (fake sink only) runs through a song as fast as it decodes.
  bool sync = true;
  // An HTTP source that hears nothing for this long fails, so a dropped connection ends a song in
  // seconds rather than a minute.
  foundation::Duration sourceTimeout{10};
  int sourceRetries = 2;
};

// Chooses how the AudioPlayers made from now on play. The GStreamer backend with the automatic
// sink is used until one is chosen. Players already made keep their backend.
class AudioBackend {
 public:
  // Main thread.
  static void useGStreamer(GStreamerOptions options = {});
  // Main thread. Has the chosen backend start what its first player needs (GStreamer opens its
  // plugin registry and loads the player's elements) on another thread, so that a program can
  // let that overlap its first requests. Optional: a player made before it is done waits for it.
  static void prepare();
  // Main thread. Waits at most `patience` for what prepare() started; whether it has ended. A
  // program calls it before it exits, since exiting unloads the libraries that the other thread
  // may still be inside: where it has not ended, the program leaves without exit's clean-up.
  static bool waitUntilPrepared(foundation::Duration patience);
  // Main thread. Players that only do what the returned backend is told; for tests.
  static std::shared_ptr<FakeAudioBackend> useFake();
};

}  // namespace media
