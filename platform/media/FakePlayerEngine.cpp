#include "platform/media/FakePlayerEngine.h"

#include <algorithm>
#include <cmath>

namespace media {

FakePlayerEngine::FakePlayerEngine(std::shared_ptr<FakeAudioItem> item, std::shared_ptr<PlayerEvents> events)
    : item_(std::move(item)), events_(std::move(events)) {
  item_->engine_ = this;
}

FakePlayerEngine::~FakePlayerEngine() {
  item_->engine_ = nullptr;
  item_->alive_ = false;
  item_->playing_ = false;
}

void FakePlayerEngine::seek(Seconds to, std::uint64_t seekId) {
  item_->seekId_ = seekId;
  item_->seekTarget_ = to;
}

std::unique_ptr<PlayerEngine> FakeEngineFactory::make(const std::string& source, std::shared_ptr<PlayerEvents> events) {
  std::shared_ptr<FakeAudioItem> item(new FakeAudioItem(source));
  backend_->items_.push_back(item);
  return std::make_unique<FakePlayerEngine>(item, std::move(events));
}

FakeAudioItem::Seconds FakeAudioItem::position() const {
  Seconds position = base_;
  if (playing_ && ready_) position += foundation::Duration(foundation::Clock::current().now() - since_).count();
  return std::isfinite(duration_) ? std::min(position, duration_) : position;
}

void FakeAudioItem::setPlaying(bool playing) {
  base_ = position();
  since_ = foundation::Clock::current().now();
  playing_ = playing;
}

void FakeAudioItem::becomeReady(Seconds duration) {
  base_ = position();
  since_ = foundation::Clock::current().now();
  ready_ = true;
  duration_ = duration;
  if (engine_) engine_->events().ready(duration);
}

void FakeAudioItem::fail(const std::string& description) {
  if (!engine_) return;
  auto code = ready_ ? kMediaErrorPlaybackFailed : kMediaErrorLoadFailed;
  engine_->events().failed(foundation::makeError(kMediaErrorDomain, code, description));
}

void FakeAudioItem::changeDuration(Seconds duration) {
  base_ = position();
  since_ = foundation::Clock::current().now();
  duration_ = duration;
  if (engine_) engine_->events().durationChanged(duration);
}

void FakeAudioItem::tick(foundation::Duration by) {
  base_ += std::max(0.0, by.count());
  if (std::isfinite(duration_)) base_ = std::min(base_, duration_);
}

void FakeAudioItem::reachEnd() {
  if (std::isfinite(duration_)) base_ = duration_;
  since_ = foundation::Clock::current().now();
  if (engine_) engine_->events().reachedEnd();
}

void FakeAudioItem::completeSeek(bool finished) {
  if (seekId_ == 0) return;
  if (finished) {
    base_ = seekTarget_;
    since_ = foundation::Clock::current().now();
  }
  if (engine_) engine_->events().seekFinished(seekId_, finished);
  seekId_ = 0;
}

}  // namespace media
