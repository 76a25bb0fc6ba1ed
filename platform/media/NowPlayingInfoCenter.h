#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
};

}  // namespace media
