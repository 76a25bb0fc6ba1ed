#include "src/services/UsageAnalytics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using services::UsageAnalytics;

TEST(UsageAnalyticsTest, KeepsTheNewestEventsAndCountsTheDroppedOnes) {
  (void)UsageAnalytics::takePendingEvents();
  for (std::size_t i = 0; i < UsageAnalytics::kMaxPendingEvents + 3; ++i) {
    UsageAnalytics::event("e" + std::to_string(i));
  }
  auto events = UsageAnalytics::pendingEvents();
  ASSERT_EQ(events.size(), UsageAnalytics::kMaxPendingEvents);
  EXPECT_EQ(events.front().eventId, "e3");
  EXPECT_EQ(events.back().eventId, "e" + std::to_string(UsageAnalytics::kMaxPendingEvents + 2));
  EXPECT_EQ(UsageAnalytics::droppedEventCount(), 3u);

  EXPECT_EQ(UsageAnalytics::takePendingEvents().size(), UsageAnalytics::kMaxPendingEvents);
  EXPECT_EQ(UsageAnalytics::droppedEventCount(), 0u);
  EXPECT_TRUE(UsageAnalytics::pendingEvents().empty());
}

}  // namespace
