#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/foundation/Paths.h"
#include "platform/net/ProxySettings.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/framework/images/QRVImageDataOperation.h"
#include "src/http/HTTPRequestErrors.h"
#include "tests/support/LoopbackServer.h"

namespace {

// The fetch still reading when the process leaves, and the request errors its end may take;
// looked at by exit's last handler.
foundation::Operation* fetchLeftAtExit = nullptr;
std::vector<std::weak_ptr<const foundation::Error>>* requestErrorsAtExit = nullptr;

// Far beyond what an exit takes: one that cancels the fetch and waits for it never ends.
constexpr unsigned kExitBoundSeconds = 10;

void lookAtWhatExitLeft() {
  const bool cancelled = fetchLeftAtExit->isCancelled();
  const bool errorDestroyed =
      std::ranges::any_of(*requestErrorsAtExit, [](const auto& error) { return error.expired(); });
  if (cancelled) std::fputs("Exit cancelled the fetch.\n", stderr);
  if (errorDestroyed) std::fputs("Exit destroyed a request error.\n", stderr);
  std::_Exit(cancelled || errorDestroyed ? 1 : 0);
}

// Makes the errors a request's end takes, watched without keeping them.
void watchTheRequestErrors() {
  requestErrorsAtExit = new std::vector<std::weak_ptr<const foundation::Error>>{
      http::requestCancelledError(), http::requestTimedOutError(), http::authenticationNeededError(),
      http::unableToCreateRequestError(), http::tooManyRedirectsError()};
}

void endAnExitThatHangs(int) {
  constexpr char kSaid[] = "Exit did not end within its bound.\n";
  (void)::write(STDERR_FILENO, kSaid, sizeof kSaid - 1);
  ::_exit(3);
}

// The fetch's worker and the network thread outlive main: exit must leave them, and what they
// use, to the process's end rather than cancel the fetch and wait for it beside them.
TEST(ImageFetchAtExitTest, AFetchStillReadingIsLeftToTheProcesssEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Registered before the manager and the errors are made, so it runs after whatever exit
        // does to them.
        std::atexit(lookAtWhatExitLeft);
        (void)foundation::Paths::useFreshHomeForTesting();
        net::ProxySettings::setSystemForTesting(net::ProxySettings());
        testsupport::LoopbackServer server;
        testsupport::Reply held;
        held.holdUntilReleased = "gate";
        server.route("GET", "/held.png", held);
        auto& manager = framework::QRVImageCacheManager::sharedManager();
        // Made after the manager, as in a run that cancelled a request: the cancellation at exit
        // would use them after exit destroyed them.
        watchTheRequestErrors();
        auto fetch = framework::QRVImageDataOperation::create(server.url("/held.png"), {});
        fetchLeftAtExit = fetch.get();
        manager.imageQueue().addOperation(fetch);
        if (!server.waitFor([&] { return server.heldCount("gate") == 1; })) std::_Exit(2);
        std::signal(SIGALRM, endAnExitThatHangs);
        ::alarm(kExitBoundSeconds);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
