#include "platform/media/NowPlayingInfoCenter.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"

namespace media {

NowPlayingInfoCenter& NowPlayingInfoCenter::defaultCenter() {
  static NowPlayingInfoCenter center;
  return center;
}

void NowPlayingInfoCenter::setNowPlayingInfo(std::optional<NowPlayingInfo> info) {
  info_ = std::move(info);
  tellWatchers();
}

void NowPlayingInfoCenter::playerRateChanged(bool playing) {
  bool wasPlaying = isPlaying();
  playingPlayers_ = std::max(0, playingPlayers_ + (playing ? 1 : -1));
  if (wasPlaying != isPlaying()) tellWatchers();
}

void NowPlayingInfoCenter::tellWatchers() {
  foundation::RunLoop::main().post([this] {
    auto watchers = watchers_;  // a watcher may remove itself
    for (auto& [id, watcher] : watchers) watcher();
  });
}

std::uint64_t NowPlayingInfoCenter::addWatcher(std::function<void()> watcher) {
  watchers_.emplace_back(++lastWatcherId_, std::move(watcher));
  return lastWatcherId_;
}

void NowPlayingInfoCenter::removeWatcher(std::uint64_t id) {
  std::erase_if(watchers_, [id](const auto& entry) { return entry.first == id; });
}

void NowPlayingInfoCenter::resetForTesting() {
  info_.reset();
  watchers_.clear();
  playingPlayers_ = 0;
}

}  // namespace media
