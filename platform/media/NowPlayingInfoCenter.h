#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"

namespace ui {
class Image;
}

namespace media {

// What the lock screen (and, on the desktop, the session bus) shows of the playing song.
struct NowPlayingInfo {
  std::string title;
  std::string artist;
  std::string albumTitle;
  std::shared_ptr<const ui::Image> artwork;
  std::string artworkFile;  // the artwork's file on disk; empty when it has none
  double duration = 0;      // seconds; 0 while unknown
};

// Where the playing song is: `seconds` at the time `sampled`, moving on in real time while
// `advancing`.
struct PlaybackPosition {
  double seconds = 0;
  bool advancing = false;
  foundation::TimePoint sampled{};
  // Any thread. The position at `now`.
  double at(foundation::TimePoint now) const;
};

// The process's now-playing information. Main thread.
class NowPlayingInfoCenter {
 public:
  static NowPlayingInfoCenter& defaultCenter();

  const std::optional<NowPlayingInfo>& nowPlayingInfo() const { return info_; }
  // Watchers hear of the change later on the main run loop.
  void setNowPlayingInfo(std::optional<NowPlayingInfo> info);

  // Main thread. Whether any audio player has been told to play and not to pause since; kept by
  // the players themselves.
  bool isPlaying() const { return playingPlayers_ > 0; }
  void playerRateChanged(bool playing);

  // Main thread. The position of the player that reported last, as the players report it.
  const PlaybackPosition& playbackPosition() const { return position_; }
  // Main thread. How many reports so far put the position elsewhere than where it was moving to
  // (a seek, a stall, a song that starts elsewhere than at 0). Watchers hear of every report.
  std::uint64_t positionJumps() const { return positionJumps_; }
  // Main thread; for the players. `player` tells one player's reports from another's.
  void playerPositionChanged(std::uint64_t player, double seconds, bool advancing);
  // Main thread; for the players. The player is gone: its position stays where it was. Watchers
  // hear of it with the player's last change of rate.
  void playerGone(std::uint64_t player);

  // Main thread. For the platform's own publishers (the session bus); returns a handle for
  // removeWatcher.
  std::uint64_t addWatcher(std::function<void()> watcher);
  void removeWatcher(std::uint64_t id);

  // Main thread; tests only.
  void resetForTesting();

 private:
  NowPlayingInfoCenter() = default;
  void tellWatchers();
  std::optional<NowPlayingInfo> info_;
  std::vector<std::pair<std::uint64_t, std::function<void()>>> watchers_;
  std::uint64_t lastWatcherId_ = 0;
  int playingPlayers_ = 0;
  PlaybackPosition position_;
  std::uint64_t positionPlayer_ = 0;
  std::uint64_t positionJumps_ = 0;
};

}  // namespace media
