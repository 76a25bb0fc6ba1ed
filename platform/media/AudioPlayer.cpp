#include "platform/media/AudioPlayer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/RunLoop.h"
#include "platform/media/NowPlayingInfoCenter.h"
#include "platform/media/PlayerEngine.h"

namespace media {

struct AudioPlayer::TimeObserver {
  std::uint64_t id;
  std::function<void(Seconds)> handler;
  std::shared_ptr<foundation::Timer> timer;
};

std::shared_ptr<AudioPlayer> AudioPlayer::create(const std::string& source) {
  std::shared_ptr<AudioPlayer> player(new AudioPlayer(source));
  player->events_ = std::make_shared<PlayerEvents>(player);
  player->engine_ = EngineFactory::current().make(source, player->events_);
  return player;
}

namespace {
std::uint64_t nextPlayerSerial() {
  static std::uint64_t last = 0;
  return ++last;
}
}  // namespace

AudioPlayer::AudioPlayer(std::string source) : source_(std::move(source)), serial_(nextPlayerSerial()) {}

AudioPlayer::~AudioPlayer() {
  auto& center = NowPlayingInfoCenter::defaultCenter();
  if (rate_ == 1) center.playerRateChanged(false);
  center.playerGone(serial_);
  for (auto& observer : timeObservers_) observer->timer->invalidate();
}

void AudioPlayer::play() { setRate(1); }

void AudioPlayer::pause() { setRate(0); }

void AudioPlayer::setRate(float rate) {
  engine_->setPlaying(rate == 1);
  if (rate_ == rate) return;
  rate_ = rate;
  NowPlayingInfoCenter::defaultCenter().playerRateChanged(rate == 1);
  reportPosition();
  post([](AudioPlayer& self) {
    if (self.onRateChange_) self.onRateChange_();
    self.reportTime();
  });
}

AudioPlayer::Seconds AudioPlayer::currentTime() const {
  if (status_ != ItemStatus::readyToPlay) return 0;
  Seconds position = std::max(0.0, engine_->position());
  if (std::isfinite(duration_)) position = std::min(position, duration_);
  return position;
}

void AudioPlayer::seekTo(Seconds to, std::function<void(bool)> completion) {
  if (seekCompletion_) {
    // The platform answers a replaced seek with NO at once.
    post([replaced = std::move(seekCompletion_)](AudioPlayer&) { replaced(false); });
  }
  seekCompletion_ = std::move(completion);
  if (!std::isfinite(to)) to = 0;
  to = std::max(0.0, to);
  if (std::isfinite(duration_)) to = std::min(to, duration_);
  engine_->seek(to, ++seekId_);
}

TimeObserverToken AudioPlayer::addPeriodicTimeObserver(foundation::Duration interval,
                                                       std::function<void(Seconds)> handler) {
  auto observer = std::make_shared<TimeObserver>();
  observer->id = ++lastObserverId_;
  observer->handler = std::move(handler);
  std::weak_ptr<AudioPlayer> weak = weak_from_this();
  std::weak_ptr<TimeObserver> weakObserver = observer;
  observer->timer = foundation::RunLoop::main().scheduleTimer(interval, true, [weak, weakObserver] {
    auto self = weak.lock();
    auto alive = weakObserver.lock();
    if (!self || !alive) return;
    self->reportPosition();
    alive->handler(self->currentTime());
  });
  timeObservers_.push_back(observer);
  return TimeObserverToken{observer->id};
}

void AudioPlayer::removeTimeObserver(TimeObserverToken token) {
  std::erase_if(timeObservers_, [&](const std::shared_ptr<TimeObserver>& observer) {
    if (observer->id != token.id) return false;
    observer->timer->invalidate();
    return true;
  });
}

void AudioPlayer::becameReady(Seconds duration) {
  if (status_ != ItemStatus::unknown) return;
  status_ = ItemStatus::readyToPlay;
  duration_ = duration > 0 ? duration : std::numeric_limits<double>::quiet_NaN();
  reportPosition();
  if (onStatusChange_) onStatusChange_();
}

void AudioPlayer::failed(foundation::ErrorPtr error) {
  if (status_ == ItemStatus::unknown) {
    status_ = ItemStatus::failed;
    error_ = std::move(error);
    if (onStatusChange_) onStatusChange_();
    return;
  }
  if (status_ != ItemStatus::readyToPlay || ended_) return;  // reported once
  ended_ = true;
  error_ = std::move(error);
  reportPosition();
  if (onFailedToPlayToEnd_) onFailedToPlayToEnd_();
}

void AudioPlayer::durationChanged(Seconds duration) {
  if (status_ != ItemStatus::readyToPlay || !(duration > 0) || duration == duration_) return;
  duration_ = duration;
  if (onDurationChange_) onDurationChange_();
}

void AudioPlayer::reachedEnd() {
  if (status_ != ItemStatus::readyToPlay || ended_) return;
  ended_ = true;
  reportPosition();
  if (onDidPlayToEnd_) onDidPlayToEnd_();
}

void AudioPlayer::seekFinished(std::uint64_t seekId, bool finished) {
  if (seekId != seekId_) return;
  if (finished) reportPosition();
  if (!seekCompletion_) return;
  auto completion = std::move(seekCompletion_);
  seekCompletion_ = nullptr;
  if (finished) reportTime();
  completion(finished);
}

void AudioPlayer::reportTime() {
  auto observers = timeObservers_;  // a handler may remove itself
  for (auto& observer : observers) observer->handler(currentTime());
}

void AudioPlayer::reportPosition() {
  const bool advancing = rate_ == 1 && status_ == ItemStatus::readyToPlay && !ended_;
  NowPlayingInfoCenter::defaultCenter().playerPositionChanged(serial_, currentTime(), advancing);
}

void AudioPlayer::post(std::function<void(AudioPlayer&)> work) {
  foundation::RunLoop::main().post([weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void PlayerEvents::ready(Seconds duration) {
  foundation::RunLoop::main().post([weak = player_, duration] {
    if (auto player = weak.lock()) player->becameReady(duration);
  });
}

void PlayerEvents::failed(foundation::ErrorPtr error) {
  foundation::RunLoop::main().post([weak = player_, error = std::move(error)] {
    if (auto player = weak.lock()) player->failed(error);
  });
}

void PlayerEvents::durationChanged(Seconds duration) {
  foundation::RunLoop::main().post([weak = player_, duration] {
    if (auto player = weak.lock()) player->durationChanged(duration);
  });
}

void PlayerEvents::reachedEnd() {
  foundation::RunLoop::main().post([weak = player_] {
    if (auto player = weak.lock()) player->reachedEnd();
  });
}

void PlayerEvents::seekFinished(std::uint64_t seekId, bool finished) {
  foundation::RunLoop::main().post([weak = player_, seekId, finished] {
    if (auto player = weak.lock()) player->seekFinished(seekId, finished);
  });
}

}  // namespace media
