#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/net/ReachabilityEndpoint.h"
#include "platform/net/ReachabilityFlags.h"
#include "platform/net/ReachabilitySource.h"

namespace foundation {
class RunLoop;
}

namespace net {

// Watches whether a host name or an address can be reached, with the flags of the source that
// was the system source when the target was made. Once scheduled on a run loop it calls its
// callback there whenever the flags change. A host-name target also makes one call soon after
// it is first scheduled, as the answer for its name comes in; an address target reports
// changes only.
class ReachabilityTarget {
 public:
  using Callback = std::function<void(ReachabilityFlags flags)>;

  // Any thread. Fails for a name that ReachabilityEndpoint refuses.
  static foundation::Result<std::unique_ptr<ReachabilityTarget>> withHostName(std::string_view hostName);
  // Any thread. An IPv4 address in host byte order; 0.0.0.0 means any internet connection.
  static std::unique_ptr<ReachabilityTarget> withAddress(std::uint32_t ipv4);
  // Any thread. Unschedules.
  ~ReachabilityTarget();
  ReachabilityTarget(const ReachabilityTarget&) = delete;
  ReachabilityTarget& operator=(const ReachabilityTarget&) = delete;

  // Any thread. The flags now; nullopt when they cannot be read.
  std::optional<ReachabilityFlags> flags() const;

  // Any thread. The callback for later changes (an empty one stops the calls).
  void setCallback(Callback callback);
  // Thread of `loop`. Starts watching on `loop`; scheduling again on the same loop changes
  // nothing, on another loop moves the target there. Fails when the source cannot be watched.
  foundation::Status scheduleWithRunLoop(foundation::RunLoop& loop);
  // Any thread. Stops watching; on the loop's thread no call comes afterwards. Nothing when not
  // scheduled.
  void unscheduleFromRunLoop();
  // Any thread.
  bool isScheduled() const;

 private:
  struct State;
  ReachabilityTarget(ReachabilityEndpoint endpoint, std::shared_ptr<ReachabilitySource> source);

  std::shared_ptr<State> state_;
};

}  // namespace net
