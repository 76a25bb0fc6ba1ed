#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/CookieStore.h"
#include "platform/net/ProxySettings.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestDelegate.h"
#include "src/http/ProgressDelegate.h"
#include "tests/http/TemporaryDirectory.h"
#include "tests/support/LoopbackServer.h"

namespace http::test {

// Everything a request told its delegate, in order. Calls made off the main thread are counted.
class RecordingDelegate : public HTTPRequestDelegate {
 public:
  bool respondsTo(Optional method) const override {
    return (method == Optional::willRedirect && confirmsRedirects) || (method == Optional::didReceiveData && takesData);
  }
  void requestStarted(HTTPRequest&) override { note("started"); }
  void requestDidReceiveResponseHeaders(HTTPRequest&, const foundation::Dictionary& headers) override {
    note("headers");
    lastHeaders = headers;
  }
  void requestWillRedirectToURL(HTTPRequest&, const std::string& url) override {
    note("willRedirect");
    redirectTarget = url;
  }
  void requestFinished(HTTPRequest&) override { note("finished"); }
  void requestFailed(HTTPRequest& request) override {
    note("failed");
    failure = request.error();
  }
  void requestRedirected(HTTPRequest&) override { note("redirected"); }
  void requestDidReceiveData(HTTPRequest&, const foundation::Bytes& data) override {
    note("data");
    received.insert(received.end(), data.begin(), data.end());
  }

  bool ended() const { return count("finished") + count("failed") > 0; }
  int count(const std::string& event) const {
    int n = 0;
    for (const auto& e : events) n += e == event;
    return n;
  }

  bool confirmsRedirects = false;
  bool takesData = false;
  std::vector<std::string> events;
  int offMainThreadCalls = 0;
  foundation::Dictionary lastHeaders;
  std::optional<std::string> redirectTarget;
  foundation::ErrorPtr failure;
  foundation::Bytes received;

 private:
  void note(const std::string& event) {
    if (!foundation::RunLoop::isMainThread()) ++offMainThreadCalls;
    events.push_back(event);
  }
};

// Progress as a progress bar or a queue would see it.
class RecordingProgress : public ProgressDelegate {
 public:
  void setProgress(float progress) override { fractions.push_back(progress); }
  void requestDidReceiveBytes(HTTPRequest&, std::int64_t amount) override { received += amount; }
  void requestDidSendBytes(HTTPRequest&, std::int64_t amount) override { sent += amount; }
  void requestIncrementDownloadSizeBy(HTTPRequest&, std::int64_t amount) override { downloadSize += amount; }
  void requestIncrementUploadSizeBy(HTTPRequest&, std::int64_t amount) override { uploadSize += amount; }

  std::vector<float> fractions;
  std::int64_t received = 0;
  std::int64_t sent = 0;
  std::int64_t downloadSize = 0;
  std::int64_t uploadSize = 0;
};

// A fresh home, direct connections and no cookies for every test; the main loop belongs to the
// test's thread.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::RunLoop::main();
    foundation::Paths::useFreshHomeForTesting();
    net::ProxySettings::setSystemForTesting(net::ProxySettings());
    net::CookieStore::shared().removeAllCookies();
  }
  void TearDown() override { net::ProxySettings::setSystemForTesting(std::nullopt); }

  static bool runUntil(const std::function<bool()>& condition, double seconds = 20) {
    return foundation::RunLoop::main().runUntil(condition, foundation::Duration(seconds));
  }

  // A request with the recording delegate.
  std::shared_ptr<HTTPRequest> makeRequest(const std::string& url) {
    auto request = HTTPRequest::requestWithURL(url);
    request->setDelegate(delegate);
    wakeMainLoopWhenFinished(*request);
    return request;
  }
  // The main loop only looks at a condition after it ran something: finishing happens on the
  // network thread, so it posts a no-op there.
  static void wakeMainLoopWhenFinished(HTTPRequest& request) {
    request.setCompletionHandler([] { foundation::performOnMainThread([] {}); });
  }
  // Starts the request and drives the main loop until its delegate hears the end.
  void runToEnd(const std::shared_ptr<HTTPRequest>& request) {
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); })) << "request did not end";
  }

  testsupport::LoopbackServer server;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

}  // namespace http::test
