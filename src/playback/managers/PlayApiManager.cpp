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

}  // namespace

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
  api::PlayLogRequest::requestWithParameters(
      record, nullptr, {}, {},
      [kept](framework::QRVBaseDataRequest& request) {
        // Only an accepted record says the server is worth sending the backlog to.
        if (static_cast<api::BaseDataRequest&>(request).succeeded()) return commitOfflineLog();
        store(kept);
      },
      [kept](framework::QRVBaseDataRequest&) { store(kept); },
      [kept](framework::QRVBaseDataRequest&, const foundation::ErrorPtr&) { store(kept); });
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
