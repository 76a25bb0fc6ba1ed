#include "src/services/UsageAnalytics.h"

#include <mutex>
#include <utility>

namespace services {
namespace {

struct PendingEvents {
  std::mutex mutex;
  std::vector<UsageAnalytics::Event> events;
};

PendingEvents& pending() {
  static PendingEvents instance;
  return instance;
}

}  // namespace

void UsageAnalytics::event(const std::string& eventId) { event(eventId, {}); }

void UsageAnalytics::event(const std::string& eventId, const foundation::Dictionary& attributes) {
  std::scoped_lock lock(pending().mutex);
  pending().events.push_back({eventId, attributes});
}

std::vector<UsageAnalytics::Event> UsageAnalytics::pendingEvents() {
  std::scoped_lock lock(pending().mutex);
  return pending().events;
}

std::vector<UsageAnalytics::Event> UsageAnalytics::takePendingEvents() {
  std::scoped_lock lock(pending().mutex);
  return std::exchange(pending().events, {});
}

}  // namespace services
