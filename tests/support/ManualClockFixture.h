#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/Clock.h"

namespace testsupport {

// A test whose clock only moves when the test calls clock->advance(); the real clock comes back
// afterwards.
class ManualClockFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    clock = std::make_shared<foundation::ManualClock>();
    foundation::Clock::setCurrent(clock);
  }
  void TearDown() override { foundation::Clock::useRealClock(); }

  std::shared_ptr<foundation::ManualClock> clock;
};

}  // namespace testsupport
