#include "platform/media/MotionManager.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/foundation/Operation.h"
#include "platform/foundation/OperationQueue.h"

namespace media {

struct MotionManager::Updates {
  std::shared_ptr<foundation::OperationQueue> queue;
  std::function<void(const GyroData&)> handler;
  std::atomic<bool> stopped{false};
};

namespace {

class GyroUpdate final : public foundation::Operation {
 public:
  GyroUpdate(std::shared_ptr<MotionManager::Updates> updates, GyroData data)
      : updates_(std::move(updates)), data_(data) {}
  void main() override {
    if (!updates_->stopped) updates_->handler(data_);
  }

 private:
  std::shared_ptr<MotionManager::Updates> updates_;
  GyroData data_;
};

struct Registry {
  std::mutex mutex;
  std::vector<std::weak_ptr<MotionManager::Updates>> active;
};

Registry& registry() {
  static Registry* instance = new Registry;  // reached from any thread until the process ends
  return *instance;
}

}  // namespace

std::shared_ptr<MotionManager> MotionManager::create() { return std::shared_ptr<MotionManager>(new MotionManager); }

MotionManager::~MotionManager() { stopGyroUpdates(); }

bool MotionManager::isGyroActive() const { return updates_ != nullptr; }

void MotionManager::startGyroUpdates(std::shared_ptr<foundation::OperationQueue> queue,
                                     std::function<void(const GyroData&)> handler) {
  stopGyroUpdates();
  if (!queue || !handler) return;
  updates_ = std::make_shared<Updates>();
  updates_->queue = std::move(queue);
  updates_->handler = std::move(handler);
  std::lock_guard lock(registry().mutex);
  registry().active.push_back(updates_);
}

void MotionManager::stopGyroUpdates() {
  if (!updates_) return;
  updates_->stopped = true;
  std::lock_guard lock(registry().mutex);
  std::erase_if(registry().active, [&](const auto& weak) { return weak.expired() || weak.lock() == updates_; });
  updates_.reset();
}

void MotionManager::injectRotationRate(RotationRate rate) {
  std::vector<std::shared_ptr<Updates>> active;
  {
    std::lock_guard lock(registry().mutex);
    for (auto& weak : registry().active) {
      if (auto updates = weak.lock()) active.push_back(updates);
    }
  }
  for (auto& updates : active) updates->queue->addOperation(std::make_shared<GyroUpdate>(updates, GyroData{rate}));
}

}  // namespace media
