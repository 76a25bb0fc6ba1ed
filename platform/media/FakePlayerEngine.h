#pragma once

#include <memory>

#include "platform/media/FakeAudioBackend.h"
#include "platform/media/PlayerEngine.h"

namespace media {

// The engine behind a FakeAudioItem: forwards the player's commands to the item and the item's
// injected events to the player.
class FakePlayerEngine final : public PlayerEngine {
 public:
  FakePlayerEngine(std::shared_ptr<FakeAudioItem> item, std::shared_ptr<PlayerEvents> events);
  ~FakePlayerEngine() override;

  void setPlaying(bool playing) override { item_->setPlaying(playing); }
  Seconds position() const override { return item_->position(); }
  void seek(Seconds to, std::uint64_t seekId) override;

  PlayerEvents& events() { return *events_; }

 private:
  std::shared_ptr<FakeAudioItem> item_;
  std::shared_ptr<PlayerEvents> events_;
};

class FakeEngineFactory final : public EngineFactory {
 public:
  explicit FakeEngineFactory(std::shared_ptr<FakeAudioBackend> backend) : backend_(std::move(backend)) {}
  std::unique_ptr<PlayerEngine> make(const std::string& source, std::shared_ptr<PlayerEvents> events) override;

 private:
  std::shared_ptr<FakeAudioBackend> backend_;
};

}  // namespace media
