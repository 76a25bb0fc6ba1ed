#include "platform/media/CallCenter.h"

#include <mutex>
#include <vector>

#include "platform/foundation/RunLoop.h"

namespace media {

// The handler of one call centre, kept apart so that its events can outlive it safely.
struct CallCenter::Shared {
  std::mutex mutex;
  std::function<void(const Call&)> handler;
};

namespace {

struct Registry {
  std::mutex mutex;
  std::vector<std::weak_ptr<CallCenter::Shared>> centres;
};

Registry& registry() {
  static Registry* instance = new Registry;  // used by call threads until the process ends
  return *instance;
}

foundation::RunLoop& callQueue() {
  static auto* thread = new foundation::LoopThread("call-events");  // lives for the run
  return thread->loop();
}

}  // namespace

std::shared_ptr<CallCenter> CallCenter::create() {
  std::shared_ptr<CallCenter> centre(new CallCenter);
  centre->shared_ = std::make_shared<Shared>();
  std::lock_guard lock(registry().mutex);
  registry().centres.push_back(centre->shared_);
  return centre;
}

CallCenter::~CallCenter() {
  std::lock_guard lock(shared_->mutex);
  shared_->handler = nullptr;
}

void CallCenter::setCallEventHandler(std::function<void(const Call&)> handler) {
  std::lock_guard lock(shared_->mutex);
  shared_->handler = std::move(handler);
}

void CallCenter::injectCall(const Call& call) {
  std::vector<std::shared_ptr<Shared>> centres;
  {
    std::lock_guard lock(registry().mutex);
    std::erase_if(registry().centres, [](const auto& weak) { return weak.expired(); });
    for (auto& weak : registry().centres) {
      if (auto centre = weak.lock()) centres.push_back(centre);
    }
  }
  callQueue().post([centres = std::move(centres), call] {
    for (auto& centre : centres) {
      // Under the lock, so that a call centre being destroyed waits for its handler to return.
      std::lock_guard lock(centre->mutex);
      if (centre->handler) centre->handler(call);
    }
  });
}

}  // namespace media
