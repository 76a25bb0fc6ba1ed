#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace services {

// Named usage events kept for the next send to the analytics service. Nothing here sends: the
// events wait in order until the sender takes them. At most kMaxPendingEvents wait, so a long
// run without a send does not grow; past that the oldest go and are counted. Any thread.
class UsageAnalytics {
 public:
  struct Event {
    std::string eventId;
    foundation::Dictionary attributes;
  };

  static constexpr std::size_t kMaxPendingEvents = 1000;

  // Any thread. Records one counted event.
  static void event(const std::string& eventId);
  // Any thread. Records one event with its attributes.
  static void event(const std::string& eventId, const foundation::Dictionary& attributes);

  // Any thread. The events recorded since the last send, oldest first.
  static std::vector<Event> pendingEvents();
  // Any thread. How many events were dropped, oldest first, since the last send.
  static std::size_t droppedEventCount();
  // Any thread. Hands over the waiting events and forgets them and the dropped count (the
  // sender's step).
  static std::vector<Event> takePendingEvents();
};

}  // namespace services
