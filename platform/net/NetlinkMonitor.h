#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/Result.h"
#include "platform/net/ReachabilitySource.h"

namespace foundation {
class RunLoop;
}

namespace net {

// Listens on a run loop for the kernel's news of interfaces, addresses and routes. A burst of
// messages read at once makes one call; so does news that the kernel had to drop messages.
class NetlinkMonitor final : public ReachabilityWatch {
 public:
  // Thread of `loop`. Starts listening; `changed` runs on the loop's thread.
  static foundation::Result<std::unique_ptr<NetlinkMonitor>> start(foundation::RunLoop& loop,
                                                                   std::function<void()> changed);
  // Any thread. No call starts after this returns (one already running on the loop may end);
  // from another thread than the loop's the socket is closed on the loop soon after.
  ~NetlinkMonitor() override;

 private:
  struct Impl;
  explicit NetlinkMonitor(std::shared_ptr<Impl> impl);

  std::shared_ptr<Impl> impl_;
};

}  // namespace net
