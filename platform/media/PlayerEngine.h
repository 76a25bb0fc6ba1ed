#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Error.h"

namespace media {

// The events an engine reports, from any thread. Each is carried to the player on the main run
// loop and dropped when the player is gone by then.
class PlayerEvents {
 public:
  using Seconds = double;
  explicit PlayerEvents(std::weak_ptr<class AudioPlayer> player) : player_(std::move(player)) {}

  // Any thread.
  void ready(Seconds duration);
  void failed(foundation::ErrorPtr error);
  void durationChanged(Seconds duration);
  void reachedEnd();
  void seekFinished(std::uint64_t seekId, bool finished);

 private:
  std::weak_ptr<class AudioPlayer> player_;
};

// What plays one player's item. The player calls it on the main thread; it answers through the
// PlayerEvents it was made with.
class PlayerEngine {
 public:
  using Seconds = double;
  virtual ~PlayerEngine() = default;
  virtual void setPlaying(bool playing) = 0;
  // The position as the engine knows it, unclamped; 0 when it cannot tell.
  virtual Seconds position() const = 0;
  // Starts a seek; the engine answers with seekFinished(seekId, ...).
  virtual void seek(Seconds to, std::uint64_t seekId) = 0;
};

// Makes the engines of one backend. Main thread.
class EngineFactory {
 public:
  virtual ~EngineFactory() = default;
  virtual std::unique_ptr<PlayerEngine> make(const std::string& source, std::shared_ptr<PlayerEvents> events) = 0;
  // Main thread. Starts, off the main thread, the work that the first engine would otherwise do
  // before it can play; engines made meanwhile wait for what they need of it.
  virtual void prepare() {}
  // Main thread. Waits at most `patience` for what prepare() started; whether it has ended.
  virtual bool waitUntilPrepared(foundation::Duration /*patience*/) { return true; }

  // Main thread. The installed backend's factory (GStreamer with the automatic sink by default).
  static EngineFactory& current();
  static void install(std::shared_ptr<EngineFactory> factory);
};

// Main thread. The GStreamer backend's factory.
std::shared_ptr<EngineFactory> makeGStreamerFactory(const struct GStreamerOptions& options);

inline constexpr const char* kMediaErrorDomain = "MediaErrorDomain";
enum MediaErrorCode : long long {
  kMediaErrorLoadFailed = 1,
  kMediaErrorPlaybackFailed = 2,
};

}  // namespace media
