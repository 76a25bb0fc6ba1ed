#pragma once

#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace services {

// Named usage events kept for the next send to the analytics service. Nothing here sends: the
// events wait in order until the sender takes them. Any thread.
class UsageAnalytics {
 public:
  struct Event {
    std::string eventId;
    foundation::Dictionary attributes;
  };

  // Any thread. Records one counted event.
  static void event(const std::string& eventId);
  // Any thread. Records one event with its attributes.
  static void event(const std::string& eventId, const foundation::Dictionary& attributes);

  // Any thread. The events recorded since the last send, oldest first.
  static std::vector<Event> pendingEvents();
  // Any thread. Hands over the waiting events and forgets them (the sender's step).
  static std::vector<Event> takePendingEvents();
};

}  // namespace services
