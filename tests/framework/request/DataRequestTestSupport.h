#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/request/DataRequestDelegate.h"
#include "src/framework/request/QRVBaseDataRequest.h"
#include "src/framework/request/QRVDataRequestManager.h"
#include "src/http/HTTPRequest.h"
#include "tests/platform/ui/UiFixture.h"
#include "tests/support/TestStation.h"

namespace datarequesttest {

// Everything a data request told its delegate, in order, with what it held at the time.
class RecordingDelegate : public framework::DataRequestDelegate {
 public:
  void requestDidStartLoad(framework::QRVBaseDataRequest& request) override { note("start", request); }
  void requestDidFinishLoad(framework::QRVBaseDataRequest& request) override {
    note("finish", request);
    resultDic = request.resultDic();
    succeeded = request.isSuccess();
  }
  void requestDidCancelLoad(framework::QRVBaseDataRequest& request) override { note("cancel", request); }
  void requestProgressChanged(framework::QRVBaseDataRequest& request, float progress) override {
    note("progress", request);
    progresses.push_back(progress);
  }
  void requestDidFailLoadWithError(framework::QRVBaseDataRequest& request, const foundation::ErrorPtr& error) override {
    note("fail", request);
    failure = error;
  }

  bool ended() const { return count("finish") + count("fail") > 0; }
  int count(const std::string& event) const {
    int n = 0;
    for (const auto& e : events) n += e == event;
    return n;
  }

  std::vector<std::string> events;
  std::vector<float> progresses;
  foundation::Dictionary resultDic;
  bool succeeded = false;
  foundation::ErrorPtr failure;
  int offMainThreadCalls = 0;

 private:
  void note(const std::string& event, framework::QRVBaseDataRequest&) {
    if (!foundation::RunLoop::isMainThread()) ++offMainThreadCalls;
    events.push_back(event);
  }
};

// A data-request test: manual clock, fresh home and data cache, no live requests, a fixed
// device, and the sample station on loopback.
class DataRequestTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    foundation::RunLoop::main();
    foundation::Paths::useFreshHomeForTesting();
    foundation::UserDefaults::standardUserDefaults().reloadForTesting();
    framework::DataCacheManager::resetSharedManagerForTesting();
    framework::QRVDataRequestManager::sharedManager().restore();
    foundation::DeviceInfo device = foundation::DeviceInfo::current();
    device.systemName = "Linux";
    device.systemVersion = "6.1.0";
    foundation::DeviceInfo::setCurrentForTesting(device);
    host = std::make_shared<ui::View>(ui::Rect{0, 0, 320, 460});
  }
  void TearDown() override {
    api.releaseHeldReplies();
    framework::QRVDataRequestManager::sharedManager().restore();
    framework::DataCacheManager::resetSharedManagerForTesting();
    foundation::DeviceInfo::setCurrentForTesting(std::nullopt);
    UiFixture::TearDown();
  }

  static bool runUntil(const std::function<bool()>& condition, double seconds = 20) {
    return foundation::RunLoop::main().runUntil(condition, foundation::Duration(seconds));
  }
  static const std::vector<framework::QRVDataRequestPtr>& liveRequests() {
    return framework::QRVDataRequestManager::sharedManager().requests();
  }
  // Runs the main loop until the delegate heard the end and the request was released.
  void runToEnd() {
    ASSERT_TRUE(runUntil([&] { return delegate->ended() && liveRequests().empty(); })) << "request did not end";
  }

  // Moves the clock and lets the network thread act on what fell due.
  void advance(double seconds) {
    clock->advance(foundation::Duration(seconds));
    for (int round = 0; round < 3; ++round) {
      bool back = false;
      http::HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
      ASSERT_TRUE(runUntil([&] { return back; }));
    }
  }

  // The labels with this text anywhere below the view: how a toast shows.
  static int labelsWithText(const ui::View& view, const std::string& text) {
    int found = 0;
    for (const auto& subview : view.subviews()) {
      if (auto* label = dynamic_cast<const ui::Label*>(subview.get()); label && label->text() == text) ++found;
      found += labelsWithText(*subview, text);
    }
    return found;
  }

  testsupport::TestStation api;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::shared_ptr<ui::View> host;
};

}  // namespace datarequesttest
