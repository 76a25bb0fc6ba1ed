#include "platform/media/NowPlayingInfoCenter.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/RunLoop.h"

namespace media {
namespace {

// Further than this from where it was moving to, the position has jumped; the periodic reports of
// a song that plays on drift by far less.
constexpr double kJumpTolerance = 1.0;

}  // namespace

double PlaybackPosition::at(foundation::TimePoint now) const {
  if (!advancing || now <= sampled) return seconds;
  return seconds + foundation::Duration(now - sampled).count();
}

NowPlayingInfoCenter& NowPlayingInfoCenter::defaultCenter() {
  static auto* center = new NowPlayingInfoCenter();  // lives for the run
  return *center;
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

void NowPlayingInfoCenter::playerPositionChanged(std::uint64_t player, double seconds, bool advancing) {
  const foundation::TimePoint now = foundation::Clock::current().now();
  // A new player's song is expected to start at its beginning.
  const double expected = player == positionPlayer_ ? position_.at(now) : 0;
  position_ = PlaybackPosition{seconds, advancing, now};
  positionPlayer_ = player;
  if (std::abs(seconds - expected) > kJumpTolerance) ++positionJumps_;
  tellWatchers();
}

void NowPlayingInfoCenter::playerGone(std::uint64_t player) {
  if (player != positionPlayer_) return;
  const foundation::TimePoint now = foundation::Clock::current().now();
  position_ = PlaybackPosition{position_.at(now), false, now};
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
  position_ = {};
  positionPlayer_ = 0;
  positionJumps_ = 0;
}

}  // namespace media
