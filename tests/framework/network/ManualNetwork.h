#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityManualSource.h"
#include "src/framework/network/NetWorkUitil.h"

namespace framework::testing {

// A test whose network is a manual reachability source, with a fresh shared NetWorkUitil that
// reads it; the machine's source comes back afterwards, and observers registered with the test
// as owner are removed.
class ManualNetwork : public ::testing::Test {
 protected:
  void SetUp() override {
    net::ReachabilitySource::setSystemForTesting(source);
    NetWorkUitil::resetDefaultUitilForTesting();
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    NetWorkUitil::resetDefaultUitilForTesting();
    net::ReachabilitySource::setSystemForTesting(nullptr);
  }
  // Runs what is queued now, so that a notification that should not come has had its chance.
  static void settle() {
    while (foundation::RunLoop::main().pumpOnce() > 0) {
    }
  }

  std::shared_ptr<net::ReachabilityManualSource> source =
      std::make_shared<net::ReachabilityManualSource>(net::kReachabilityReachable);
};

}  // namespace framework::testing
