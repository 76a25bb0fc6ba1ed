#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/View.h"
#include "src/framework/request/DataRequestDelegate.h"
#include "src/framework/request/QRVBaseDataRequest.h"
#include "src/framework/request/QRVDataRequestManager.h"

namespace framework {

// The class factories callers use on a request class: `PlayChannelRequest::requestWithDelegate(
// self, parameters, view)`. Each makes a `Request`, runs its initialiser (which answers from the
// data cache or starts the call) and hands it to the request manager; none returns it, the
// caller meets it again in its callbacks. Delegate requests are silent only when the factory's
// name says so; block requests are always silent. Any thread: a call made elsewhere is carried
// to the main thread.
template <class Request>
class QRVDataRequestFactories {
 public:
  using Delegate = std::shared_ptr<DataRequestDelegate>;
  using ViewPtr = std::shared_ptr<ui::View>;
  using Parameters = foundation::Dictionary;

  static void silentRequestWithDelegate(Delegate delegate) { withDelegate(std::move(delegate), {}, nullptr, {}, true); }
  static void requestWithDelegate(Delegate delegate) { withDelegate(std::move(delegate), {}, nullptr, {}); }
  static void requestWithDelegate(Delegate delegate, std::string cancelSubject) {
    withDelegate(std::move(delegate), {}, nullptr, std::move(cancelSubject));
  }
  static void silentRequestWithDelegate(Delegate delegate, Parameters parameters) {
    withDelegate(std::move(delegate), std::move(parameters), nullptr, {}, true);
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters) {
    withDelegate(std::move(delegate), std::move(parameters), nullptr, {});
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters, std::string cacheKey,
                                  std::int32_t cacheType) {
    withDelegate(std::move(delegate), std::move(parameters), nullptr, {}, false, std::move(cacheKey), cacheType);
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters, std::string cancelSubject) {
    withDelegate(std::move(delegate), std::move(parameters), nullptr, std::move(cancelSubject));
  }
  static void requestWithDelegate(Delegate delegate, ViewPtr indicatorView, std::string cancelSubject) {
    withDelegate(std::move(delegate), {}, std::move(indicatorView), std::move(cancelSubject));
  }
  static void requestWithDelegate(Delegate delegate, ViewPtr indicatorView) {
    withDelegate(std::move(delegate), {}, std::move(indicatorView), {});
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters, ViewPtr indicatorView) {
    withDelegate(std::move(delegate), std::move(parameters), std::move(indicatorView), {});
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters, ViewPtr indicatorView, std::string cacheKey,
                                  std::int32_t cacheType) {
    withDelegate(std::move(delegate), std::move(parameters), std::move(indicatorView), {}, false, std::move(cacheKey),
                 cacheType);
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters, ViewPtr indicatorView,
                                  std::string cancelSubject) {
    withDelegate(std::move(delegate), std::move(parameters), std::move(indicatorView), std::move(cancelSubject));
  }
  static void requestWithDelegate(Delegate delegate, Parameters parameters, ViewPtr indicatorView,
                                  std::string cancelSubject, std::string filePath) {
    withDelegate(std::move(delegate), std::move(parameters), std::move(indicatorView), std::move(cancelSubject), false,
                 {}, 0, std::move(filePath));
  }

  // The block form with its callbacks named, any of them left out:
  // `Request::requestWithParameters(parameters, {.onRequestFinished = ..., .onRequestFailed = ...})`.
  static void requestWithParameters(Parameters parameters, QRVRequestBlocks blocks, ViewPtr indicatorView = nullptr,
                                    std::string cancelSubject = {}, std::string filePath = {}) {
    withBlocks(std::move(parameters), std::move(indicatorView), std::move(cancelSubject), std::move(filePath),
               std::move(blocks));
  }
  static void requestWithParameters(Parameters parameters, ViewPtr indicatorView, std::string cancelSubject,
                                    QRVRequestBlock onRequestFinished) {
    QRVRequestBlocks blocks;
    blocks.onRequestFinished = std::move(onRequestFinished);
    withBlocks(std::move(parameters), std::move(indicatorView), std::move(cancelSubject), {}, std::move(blocks));
  }
  static void requestWithParameters(Parameters parameters, ViewPtr indicatorView, std::string cancelSubject,
                                    QRVRequestBlock onRequestStart, QRVRequestBlock onRequestFinished,
                                    QRVRequestBlock onRequestCanceled, QRVRequestFailedBlock onRequestFailed) {
    QRVRequestBlocks blocks{std::move(onRequestStart),
                            std::move(onRequestFinished),
                            std::move(onRequestCanceled),
                            std::move(onRequestFailed),
                            {}};
    withBlocks(std::move(parameters), std::move(indicatorView), std::move(cancelSubject), {}, std::move(blocks));
  }
  static void requestWithParameters(Parameters parameters, ViewPtr indicatorView, std::string cancelSubject,
                                    std::string filePath, QRVRequestBlock onRequestFinished,
                                    QRVRequestProgressBlock onProgressChanged) {
    QRVRequestBlocks blocks;
    blocks.onRequestFinished = std::move(onRequestFinished);
    blocks.onProgressChanged = std::move(onProgressChanged);
    withBlocks(std::move(parameters), std::move(indicatorView), std::move(cancelSubject), std::move(filePath),
               std::move(blocks));
  }

 private:
  static void withDelegate(Delegate delegate, Parameters parameters, ViewPtr indicatorView, std::string cancelSubject,
                           bool silent = false, std::string cacheKey = {}, std::int32_t cacheType = 0,
                           std::string filePath = {}) {
    onMainThread([=](Request& request) mutable {
      request.initWithDelegate(std::move(delegate), std::nullopt, std::move(parameters), std::move(indicatorView),
                               std::move(cancelSubject), silent, std::move(cacheKey), cacheType, std::move(filePath));
    });
  }

  static void withBlocks(Parameters parameters, ViewPtr indicatorView, std::string cancelSubject, std::string filePath,
                         QRVRequestBlocks blocks) {
    onMainThread([=](Request& request) mutable {
      request.initWithParameters(std::move(parameters), std::nullopt, std::move(indicatorView),
                                 std::move(cancelSubject), true, {}, 0, std::move(filePath), std::move(blocks));
    });
  }

  // Requests are made, called back and released on the main thread only.
  static void onMainThread(std::function<void(Request&)> initialise) {
    foundation::performOnMainThread([initialise = std::move(initialise)] {
      auto request = std::make_shared<Request>();
      initialise(*request);
      QRVDataRequestManager::sharedManager().addRequest(std::move(request));
    });
  }
};

}  // namespace framework
