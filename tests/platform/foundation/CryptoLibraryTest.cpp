#include "platform/foundation/CryptoLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/foundation/Uuid.h"

namespace foundation {
namespace {

// What a worker still drawing random bytes, or the network thread still in a TLS exchange, meets
// once main has returned: the library's tables are still there.
TEST(CryptoLibraryTest, OpenSSLStillServesWhileExitRunsItsHandlers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Registered before the library's first use, so it runs after any handler the library adds.
        std::atexit([] { std::fputs(isUuidString(newUuidString()) ? "served\n" : "refused\n", stderr); });
        (void)newUuidString();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "served");
}

}  // namespace
}  // namespace foundation
