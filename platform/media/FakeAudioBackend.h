#pragma once

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"

namespace media {

class FakePlayerEngine;

// The sound of one player of the fake backend, driven by the test. Its position moves with the
// installed clock while it is ready and told to play, and with tick(). Each injected event reaches
// the player later on the main run loop, as a real backend's would. Main thread.
class FakeAudioItem {
 public:
  using Seconds = double;

  const std::string& source() const { return source_; }
  // Whether its player still exists.
  bool isAlive() const { return alive_; }
  // Whether the player has told it to play (and not to pause since).
  bool isPlaying() const { return playing_; }
  bool isReady() const { return ready_; }
  Seconds position() const;

  // Loaded; `duration` NaN for a stream that does not tell its length.
  void becomeReady(Seconds duration);
  // Before ready the item fails to load; after ready it fails to play to its end.
  void fail(const std::string& description);
  // The stream found out its length after all, or it changed.
  void changeDuration(Seconds duration);
  // Moves the position forward as if `by` had been played.
  void tick(foundation::Duration by);
  // Played to the end.
  void reachEnd();

  bool hasPendingSeek() const { return seekId_ != 0; }
  Seconds pendingSeekTarget() const { return seekTarget_; }
  // Finishes the pending seek; `finished` false means the item refused it and plays on.
  void completeSeek(bool finished);

 private:
  friend class FakePlayerEngine;
  friend class FakeEngineFactory;
  explicit FakeAudioItem(std::string source) : source_(std::move(source)) {}
  void setPlaying(bool playing);

  std::string source_;
  FakePlayerEngine* engine_ = nullptr;
  bool alive_ = true;
  bool playing_ = false;
  bool ready_ = false;
  Seconds duration_ = std::numeric_limits<double>::quiet_NaN();
  Seconds base_ = 0;               // position when the clock last started counting
  foundation::TimePoint since_{};  // when playing began, on the installed clock
  unsigned long long seekId_ = 0;
  Seconds seekTarget_ = 0;
};

// The fake backend: remembers the sound of every player it made, newest last. Main thread.
class FakeAudioBackend {
 public:
  std::vector<std::shared_ptr<FakeAudioItem>> items() const { return items_; }
  // The newest item, or null before the first player.
  std::shared_ptr<FakeAudioItem> lastItem() const { return items_.empty() ? nullptr : items_.back(); }

 private:
  friend class FakeEngineFactory;
  std::vector<std::shared_ptr<FakeAudioItem>> items_;
};

}  // namespace media
