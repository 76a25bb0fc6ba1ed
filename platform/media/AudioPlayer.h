#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Error.h"

namespace media {

class PlayerEngine;
class PlayerEvents;

// Whether the item can be played yet.
enum class ItemStatus { unknown = 0, readyToPlay = 1, failed = 2 };

// Identifies one periodic time observer; a default-made token identifies none.
struct TimeObserverToken {
  std::uint64_t id = 0;
  bool isValid() const { return id != 0; }
};

// One audio player for one item: an http(s) URL or a file path, chosen when it is made. Made on the
// main thread through the installed backend (AudioBackend). Every method runs on the main thread;
// every event reaches its callback later on the main run loop, never inside the call that caused
// it, and never after the player is gone.
class AudioPlayer : public std::enable_shared_from_this<AudioPlayer> {
 public:
  using Seconds = double;  // NaN where the platform answers "not a number"

  // Main thread. A source beginning with "http:" or "https:" is a URL, anything else a file path.
  static std::shared_ptr<AudioPlayer> create(const std::string& source);
  ~AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  // Main thread.
  const std::string& source() const { return source_; }
  ItemStatus status() const { return status_; }
  // Main thread. Why the item failed (to load or to play to its end); null otherwise.
  const foundation::ErrorPtr& error() const { return error_; }

  // Main thread. The requested rate: 1 after play(), 0 after pause(), whatever comes out.
  float rate() const { return rate_; }
  void play();
  void pause();

  // Main thread. NaN while unknown (before ready, or a stream that does not tell).
  Seconds duration() const { return duration_; }
  // Main thread. The playing position, within 0..duration when the duration is known.
  Seconds currentTime() const;

  // Main thread. Moves to `to` (clamped); `completion` gets true once the position is there, false
  // when the item refused the seek or a later seek replaced this one (the item plays on).
  void seekTo(Seconds to, std::function<void(bool finished)> completion = {});

  // Main thread. `handler` gets currentTime() every `interval` on the main run loop while the
  // player lives, and once more after each play, pause and finished seek.
  TimeObserverToken addPeriodicTimeObserver(foundation::Duration interval, std::function<void(Seconds)> handler);
  void removeTimeObserver(TimeObserverToken token);

  // Main thread. Callbacks for the observed values and the item's notifications; an empty
  // function stops the reports.
  void setOnRateChange(std::function<void()> handler) { onRateChange_ = std::move(handler); }
  void setOnStatusChange(std::function<void()> handler) { onStatusChange_ = std::move(handler); }
  void setOnDurationChange(std::function<void()> handler) { onDurationChange_ = std::move(handler); }
  void setOnDidPlayToEnd(std::function<void()> handler) { onDidPlayToEnd_ = std::move(handler); }
  void setOnFailedToPlayToEnd(std::function<void()> handler) { onFailedToPlayToEnd_ = std::move(handler); }

 private:
  friend class PlayerEvents;
  explicit AudioPlayer(std::string source);

  void setRate(float rate);
  // Main thread; called by PlayerEvents once an engine event reaches the main loop.
  void becameReady(Seconds duration);
  void failed(foundation::ErrorPtr error);
  void durationChanged(Seconds duration);
  void reachedEnd();
  void seekFinished(std::uint64_t seekId, bool finished);
  void reportTime();
  // Tells the now-playing centre where this player is.
  void reportPosition();
  void post(std::function<void(AudioPlayer&)> work);

  struct TimeObserver;
  std::string source_;
  const std::uint64_t serial_;
  std::unique_ptr<PlayerEngine> engine_;
  std::shared_ptr<PlayerEvents> events_;
  ItemStatus status_ = ItemStatus::unknown;
  foundation::ErrorPtr error_;
  float rate_ = 0;
  Seconds duration_ = std::numeric_limits<double>::quiet_NaN();
  bool ended_ = false;
  std::uint64_t seekId_ = 0;
  std::function<void(bool)> seekCompletion_;
  std::vector<std::shared_ptr<TimeObserver>> timeObservers_;
  std::uint64_t lastObserverId_ = 0;
  std::function<void()> onRateChange_, onStatusChange_, onDurationChange_, onDidPlayToEnd_, onFailedToPlayToEnd_;
};

}  // namespace media
