#include "src/services/UsageAnalytics.h"

#include <deque>
#include <mutex>
#include <utility>

#include "platform/foundation/NoDestructor.h"

namespace services {
namespace {

struct PendingEvents {
  std::mutex mutex;
  std::deque<UsageAnalytics::Event> events;
  std::size_t dropped = 0;
};

PendingEvents& pending() {
  static foundation::NoDestructor<PendingEvents> instance;
  return *instance;
}

}  // namespace

void UsageAnalytics::event(const std::string& eventId) { event(eventId, {}); }

void UsageAnalytics::event(const std::string& eventId, const foundation::Dictionary& attributes) {
  std::scoped_lock lock(pending().mutex);
  if (pending().events.size() >= kMaxPendingEvents) {
    pending().events.pop_front();
    ++pending().dropped;
  }
  pending().events.push_back({eventId, attributes});
}

std::vector<UsageAnalytics::Event> UsageAnalytics::pendingEvents() {
  std::scoped_lock lock(pending().mutex);
  return {pending().events.begin(), pending().events.end()};
}

std::size_t UsageAnalytics::droppedEventCount() {
  std::scoped_lock lock(pending().mutex);
  return pending().dropped;
}

std::vector<UsageAnalytics::Event> UsageAnalytics::takePendingEvents() {
  std::scoped_lock lock(pending().mutex);
  std::vector<Event> taken(std::make_move_iterator(pending().events.begin()),
                           std::make_move_iterator(pending().events.end()));
  pending().events.clear();
  pending().dropped = 0;
  return taken;
}

}  // namespace services
