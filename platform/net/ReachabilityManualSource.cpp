#include "platform/net/ReachabilityManualSource.h"

#include <mutex>
#include <vector>

#include "platform/foundation/RunLoop.h"

namespace net {

namespace {

struct Watcher {
  foundation::RunLoop* loop;
  std::function<void()> changed;
};

}  // namespace

struct ReachabilityManualSource::State {
  std::mutex mutex;
  std::optional<ReachabilityFlags> flags;
  foundation::ErrorPtr watchError;
  std::vector<std::shared_ptr<Watcher>> watchers;
};

// Removes its watcher when destroyed; a call already posted to the loop then finds the watcher
// gone and does nothing.
class ReachabilityManualSource::Registration final : public ReachabilityWatch {
 public:
  Registration(std::weak_ptr<State> state, std::shared_ptr<Watcher> watcher)
      : state_(std::move(state)), watcher_(std::move(watcher)) {}
  ~Registration() override {
    auto state = state_.lock();
    if (!state) return;
    std::lock_guard lock(state->mutex);
    std::erase(state->watchers, watcher_);
  }

 private:
  std::weak_ptr<State> state_;
  std::shared_ptr<Watcher> watcher_;
};

ReachabilityManualSource::ReachabilityManualSource(std::optional<ReachabilityFlags> flags)
    : state_(std::make_shared<State>()) {
  state_->flags = flags;
}

ReachabilityManualSource::~ReachabilityManualSource() = default;

std::optional<ReachabilityFlags> ReachabilityManualSource::flags(const ReachabilityEndpoint&) {
  std::lock_guard lock(state_->mutex);
  return state_->flags;
}

foundation::Result<std::unique_ptr<ReachabilityWatch>> ReachabilityManualSource::watch(foundation::RunLoop& loop,
                                                                                       std::function<void()> changed) {
  std::lock_guard lock(state_->mutex);
  if (state_->watchError) return state_->watchError;
  auto watcher = std::make_shared<Watcher>(Watcher{&loop, std::move(changed)});
  state_->watchers.push_back(watcher);
  return std::unique_ptr<ReachabilityWatch>(std::make_unique<Registration>(state_, std::move(watcher)));
}

void ReachabilityManualSource::setFlags(std::optional<ReachabilityFlags> flags) {
  std::vector<std::shared_ptr<Watcher>> watchers;
  {
    std::lock_guard lock(state_->mutex);
    state_->flags = flags;
    watchers = state_->watchers;
  }
  for (const auto& watcher : watchers) {
    watcher->loop->post([weak = std::weak_ptr<Watcher>(watcher)] {
      if (auto alive = weak.lock()) alive->changed();
    });
  }
}

void ReachabilityManualSource::failWatchesWith(foundation::ErrorPtr error) {
  std::lock_guard lock(state_->mutex);
  state_->watchError = std::move(error);
}

std::size_t ReachabilityManualSource::watchCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->watchers.size();
}

}  // namespace net
