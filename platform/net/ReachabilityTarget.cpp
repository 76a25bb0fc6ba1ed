#include "platform/net/ReachabilityTarget.h"

#include <mutex>

#include "platform/foundation/RunLoop.h"

namespace net {

// Shared with the watch's change calls, which hold it weakly: a call that comes after the
// target is gone does nothing.
struct ReachabilityTarget::State {
  State(ReachabilityEndpoint watched, std::shared_ptr<ReachabilitySource> from)
      : endpoint(std::move(watched)), source(std::move(from)) {}

  const ReachabilityEndpoint endpoint;
  const std::shared_ptr<ReachabilitySource> source;

  mutable std::mutex mutex;
  Callback callback;
  foundation::RunLoop* loop = nullptr;
  std::unique_ptr<ReachabilityWatch> watch;
  std::uint64_t schedule = 0;  // counts schedulings, so calls of an earlier one are ignored
  std::optional<ReachabilityFlags> reported;

  // Loop thread. Calls back when the flags differ from those last reported.
  void check(std::uint64_t scheduling) {
    const std::optional<ReachabilityFlags> now = source->flags(endpoint);
    Callback call;
    {
      std::lock_guard lock(mutex);
      if (scheduling != schedule || !watch || !now || now == reported) return;
      reported = now;
      call = callback;
    }
    if (call) call(*now);
  }
};

ReachabilityTarget::ReachabilityTarget(ReachabilityEndpoint endpoint, std::shared_ptr<ReachabilitySource> source)
    : state_(std::make_shared<State>(std::move(endpoint), std::move(source))) {}

foundation::Result<std::unique_ptr<ReachabilityTarget>> ReachabilityTarget::withHostName(std::string_view hostName) {
  auto endpoint = ReachabilityEndpoint::forHostName(hostName);
  if (!endpoint) return endpoint.error();
  return std::unique_ptr<ReachabilityTarget>(new ReachabilityTarget(*endpoint, ReachabilitySource::system()));
}

std::unique_ptr<ReachabilityTarget> ReachabilityTarget::withAddress(std::uint32_t ipv4) {
  return std::unique_ptr<ReachabilityTarget>(
      new ReachabilityTarget(ReachabilityEndpoint::forAddress(ipv4), ReachabilitySource::system()));
}

ReachabilityTarget::~ReachabilityTarget() { unscheduleFromRunLoop(); }

std::optional<ReachabilityFlags> ReachabilityTarget::flags() const { return state_->source->flags(state_->endpoint); }

void ReachabilityTarget::setCallback(Callback callback) {
  std::lock_guard lock(state_->mutex);
  state_->callback = std::move(callback);
}

foundation::Status ReachabilityTarget::scheduleWithRunLoop(foundation::RunLoop& loop) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->watch && state_->loop == &loop) return {};
  }
  unscheduleFromRunLoop();
  std::uint64_t scheduling;
  {
    std::lock_guard lock(state_->mutex);
    scheduling = ++state_->schedule;
  }
  std::weak_ptr<State> weak = state_;
  auto watch = state_->source->watch(loop, [weak, scheduling] {
    if (auto state = weak.lock()) state->check(scheduling);
  });
  if (!watch) return watch.error();

  // A host name's first answer counts as news; an address starts from what holds now.
  const bool answerSoon = state_->endpoint.isHostName();
  const std::optional<ReachabilityFlags> initial = answerSoon ? std::nullopt : flags();
  {
    std::lock_guard lock(state_->mutex);
    state_->loop = &loop;
    state_->watch = std::move(watch).value();
    state_->reported = initial;
  }
  if (answerSoon) {
    loop.post([weak, scheduling] {
      if (auto state = weak.lock()) state->check(scheduling);
    });
  }
  return {};
}

void ReachabilityTarget::unscheduleFromRunLoop() {
  std::unique_ptr<ReachabilityWatch> watch;
  {
    std::lock_guard lock(state_->mutex);
    watch = std::move(state_->watch);
    state_->loop = nullptr;
    ++state_->schedule;
  }
  // Destroyed outside the lock, as a watch may call into its source on the way out.
}

bool ReachabilityTarget::isScheduled() const {
  std::lock_guard lock(state_->mutex);
  return state_->watch != nullptr;
}

}  // namespace net
