#include "src/playback/managers/PlayApiManager.h"

#include <cmath>
#include <cstdint>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/RunLoop.h"
#include "src/api/requests/PlayRequests.h"
#include "src/playback/managers/PlayLogCommit.h"
#include "src/playback/managers/PlayLogFolder.h"
#include "src/playback/managers/PlayLogKeeper.h"
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
  static foundation::NoDestructor<PlayApiManager::SendObserver> observer;
  return *observer;
}

void tellObserver(const foundation::Dictionary& sent, bool accepted, const std::string& answer) {
  if (sendObserver()) sendObserver()(sent, accepted, answer);
}

PlayApiManager::KeepObserver& keepObserver() {
  static foundation::NoDestructor<PlayApiManager::KeepObserver> observer;
  return *observer;
}

void tellKept() {
  if (keepObserver()) keepObserver()(PlayApiManager::storedRecordCount());
}

}  // namespace

void PlayApiManager::setSendObserver(SendObserver observer) { sendObserver() = std::move(observer); }

void PlayApiManager::setKeepObserver(KeepObserver observer) { keepObserver() = std::move(observer); }

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

std::size_t PlayApiManager::storedRecordCount() {
  return PlayLogFolder::list().size() + PlayLogKeeper::waitingInMemory();
}

void PlayApiManager::playLog(const foundation::Dictionary& record) {
  if (!foundation::RunLoop::isMainThread()) {
    foundation::performOnMainThread([record] { playLog(record); });
    return;
  }
  if (record.contains("js_logs")) return sendBatch(record);
  // Kept before it goes out, so that neither a lost answer nor the program's end loses it.
  const bool sending = canSend();
  const PlayLogKeeper::Ticket ticket = PlayLogKeeper::keep(stamped(record), sending);
  if (!sending) return tellKept();
  post(record, [ticket](bool accepted) {
    PlayLogKeeper::settle(ticket, accepted);
    // Only an accepted record says the server is worth sending the backlog to.
    if (accepted) return commitOfflineLog();
    tellKept();
  });
}

void PlayApiManager::sendBatch(const foundation::Dictionary& batch) {
  if (!canSend()) return storeBatch(batch);
  post(batch, [batch](bool accepted) {
    if (accepted) return commitOfflineLog();
    storeBatch(batch);
  });
}

void PlayApiManager::storeBatch(const foundation::Dictionary& batch) {
  foundation::Result<foundation::Value> records = foundation::Json::parse(batch["js_logs"].toString());
  if (!records || !records->isArray()) return;
  for (const foundation::Value& entry : *records->getArray())
    if (const foundation::Dictionary* record = entry.getDictionary())
      (void)PlayLogKeeper::keep(stamped(*record), false);
}

PlayApiManager::KeptAtExit PlayApiManager::storeUnanswered() {
  PlayLogKeeper::storeKept(true);
  PlayLogFolder::releaseAll();
  return {.stored = PlayLogFolder::list().size(), .lost = PlayLogKeeper::keptInMemory()};
}

void PlayApiManager::commitOfflineLog() {
  PlayLogKeeper::storeKept();
  PlayLogCommit::shared().request();
}

bool PlayApiManager::isCommitting() { return PlayLogCommit::shared().isUnderWay(); }

void PlayApiManager::resetForTesting() {
  PlayLogCommit::shared().resetForTesting();
  PlayLogFolder::resetForTesting();
  PlayLogKeeper::resetForTesting();
}

}  // namespace playback
