#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/Result.h"
#include "platform/net/ReachabilityEndpoint.h"
#include "platform/net/ReachabilityFlags.h"

namespace foundation {
class RunLoop;
}

namespace net {

// A registration for change calls; destroying it (on any thread) ends the calls.
class ReachabilityWatch {
 public:
  virtual ~ReachabilityWatch() = default;
};

// Where reachability flags come from: this machine's interfaces and routes (the system
// source), or a source that tests drive.
class ReachabilitySource {
 public:
  virtual ~ReachabilitySource() = default;

  // Any thread. The flags of `endpoint` now; nullopt when the network state cannot be read.
  // Never waits on the network.
  virtual std::optional<ReachabilityFlags> flags(const ReachabilityEndpoint& endpoint) = 0;

  // Thread of `loop`. Calls `changed` on that thread whenever the network state may have
  // changed (a burst of changes may make one call), until the watch is destroyed. Fails when
  // changes cannot be watched.
  virtual foundation::Result<std::unique_ptr<ReachabilityWatch>> watch(foundation::RunLoop& loop,
                                                                       std::function<void()> changed) = 0;

  // Any thread. The source installed by setSystemForTesting, else the one that reads this
  // machine's network state through netlink.
  static std::shared_ptr<ReachabilitySource> system();
  // Any thread; for tests. Installs the source that system() returns; nullptr goes back to
  // the machine's. Targets made earlier keep the source they were made with.
  static void setSystemForTesting(std::shared_ptr<ReachabilitySource> source);
};

}  // namespace net
