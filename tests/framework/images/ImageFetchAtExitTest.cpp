#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/foundation/Paths.h"
#include "platform/net/ProxySettings.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/framework/images/QRVImageDataOperation.h"
#include "src/http/HTTPRequestErrors.h"
#include "tests/support/LoopbackServer.h"

namespace {

// The fetch still reading when the process leaves; looked at by exit's last handler.
foundation::Operation* fetchLeftAtExit = nullptr;

// The fetch's worker and the network thread outlive main: exit must leave them, and what they
// use, to the process's end rather than cancel the fetch and wait for it beside them.
TEST(ImageFetchAtExitTest, AFetchStillReadingIsLeftToTheProcesssEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Registered before the manager is made, so it runs after whatever exit does to it.
        std::atexit([] {
          if (fetchLeftAtExit->isCancelled()) std::fputs("Exit cancelled the fetch.\n", stderr);
          std::_Exit(fetchLeftAtExit->isCancelled() ? 1 : 0);
        });
        (void)foundation::Paths::useFreshHomeForTesting();
        net::ProxySettings::setSystemForTesting(net::ProxySettings());
        testsupport::LoopbackServer server;
        testsupport::Reply held;
        held.holdUntilReleased = "gate";
        server.route("GET", "/held.png", held);
        auto& manager = framework::QRVImageCacheManager::sharedManager();
        // Made after the manager, as in a run that cancelled a request: the cancellation at exit
        // would use it after exit destroyed it.
        (void)http::requestCancelledError();
        auto fetch = framework::QRVImageDataOperation::create(server.url("/held.png"), {});
        fetchLeftAtExit = fetch.get();
        manager.imageQueue().addOperation(fetch);
        if (!server.waitFor([&] { return server.heldCount("gate") == 1; })) std::_Exit(2);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
