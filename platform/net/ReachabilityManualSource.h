#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/net/ReachabilitySource.h"

namespace net {

// A source whose flags a test sets: every endpoint has the same flags, and each change is
// announced to the watchers on their loops, as a network change would be. Any thread.
class ReachabilityManualSource final : public ReachabilitySource {
 public:
  // Any thread. Starts with the given flags (nullopt: the flags cannot be read).
  explicit ReachabilityManualSource(std::optional<ReachabilityFlags> flags = kReachabilityReachable);
  ~ReachabilityManualSource() override;

  // Any thread.
  std::optional<ReachabilityFlags> flags(const ReachabilityEndpoint& endpoint) override;
  // Thread of `loop`. Fails with the error given to failWatchesWith, if any. The watch may
  // outlive the source.
  foundation::Result<std::unique_ptr<ReachabilityWatch>> watch(foundation::RunLoop& loop,
                                                               std::function<void()> changed) override;

  // Any thread. New flags for every endpoint; each watcher hears of it on its loop (also when
  // the flags are the same as before, as after a change that did not matter).
  void setFlags(std::optional<ReachabilityFlags> flags);
  // Any thread. Later watch() calls fail with `error`; nullptr lets them succeed again.
  void failWatchesWith(foundation::ErrorPtr error);
  // Any thread. How many watches are alive.
  std::size_t watchCount() const;

 private:
  struct State;
  class Registration;

  std::shared_ptr<State> state_;
};

}  // namespace net
