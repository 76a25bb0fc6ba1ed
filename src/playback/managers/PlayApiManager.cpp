#include "src/playback/managers/PlayApiManager.h"

#include <cmath>
#include <cstdint>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "src/api/requests/PlayRequests.h"
#include "src/playback/managers/PlayLogCommit.h"
#include "src/playback/managers/PlayLogFolder.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {

namespace {

// The record with "time": now in whole seconds since 1970, kept when the record has one already
// (a record of a batch that is being stored again).
foundation::Dictionary stamped(const foundation::Dictionary& record) {
  foundation::Dictionary copy = record;
  if (!copy.contains("time")) {
    const double now = foundation::Clock::current().wallNow().secondsSince1970;
    copy.set("time", std::to_string(static_cast<std::int64_t>(std::trunc(now))));
  }
  return copy;
}

PlayApiManager::SendObserver& sendObserver() {
  static PlayApiManager::SendObserver observer;
  return observer;
}

void tellObserver(const foundation::Dictionary& sent, bool accepted, const std::string& answer) {
  if (sendObserver()) sendObserver()(sent, accepted, answer);
}

}  // namespace

void PlayApiManager::setSendObserver(SendObserver observer) { sendObserver() = std::move(observer); }

void PlayApiManager::post(const foundation::Dictionary& sent, std::function<void(bool accepted)> answered) {
  auto answer = [sent, answered](bool accepted, const std::string& text) {
    tellObserver(sent, accepted, text);
    answered(accepted);
  };
  api::PlayLogRequest::requestWithParameters(
      sent, {.onRequestFinished =
                 [answer](framework::QRVBaseDataRequest& request) {
                   const std::string* err = request.resultDic()["err"].getString();
                   answer(static_cast<api::BaseDataRequest&>(request).succeeded(),
                          err ? *err : "a reply without \"err\"");
                 },
             .onRequestCanceled = [answer](framework::QRVBaseDataRequest&) { answer(false, "cancelled"); },
             .onRequestFailed =
                 [answer](framework::QRVBaseDataRequest&, const foundation::ErrorPtr& error) {
                   answer(false, "no answer (" + (error ? error->description() : std::string("failed")) + ")");
                 }});
}

bool PlayApiManager::canSend() {
  services::AppDelegate& app = services::AppDelegate::sharedDelegate();
  return !app.isOffline() && app.networkStatus() != framework::kNotReachable;
}

std::string PlayApiManager::offlineLogPath() { return PlayLogFolder::path(); }

void PlayApiManager::playLog(const foundation::Dictionary& record) {
  if (!foundation::RunLoop::isMainThread()) {
    foundation::performOnMainThread([record] { playLog(record); });
    return;
  }
  const foundation::Dictionary kept = record.contains("js_logs") ? record : stamped(record);
  if (canSend()) return send(record, kept);
  store(kept);
}

void PlayApiManager::send(const foundation::Dictionary& record, const foundation::Dictionary& kept) {
  post(record, [kept](bool accepted) {
    // Only an accepted record says the server is worth sending the backlog to.
    if (accepted) return commitOfflineLog();
    store(kept);
  });
}

void PlayApiManager::store(const foundation::Dictionary& kept) {
  const foundation::Value* logs = kept.find("js_logs");
  if (!logs) {
    (void)PlayLogFolder::store(kept);
    return;
  }
  foundation::Result<foundation::Value> batch = foundation::Json::parse(logs->toString());
  if (!batch || !batch->isArray()) return;
  for (const foundation::Value& entry : *batch->getArray())
    if (const foundation::Dictionary* record = entry.getDictionary()) (void)PlayLogFolder::store(stamped(*record));
}

void PlayApiManager::commitOfflineLog() { PlayLogCommit::shared().request(); }

void PlayApiManager::resetForTesting() {
  PlayLogCommit::shared().resetForTesting();
  PlayLogFolder::resetForTesting();
}

}  // namespace playback
