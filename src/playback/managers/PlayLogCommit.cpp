#include "src/playback/managers/PlayLogCommit.h"

#include <algorithm>

#include "platform/foundation/Value.h"
#include "src/framework/json/QRVJSONSerializer.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/managers/PlayLogFolder.h"

namespace playback {

PlayLogCommit& PlayLogCommit::shared() {
  // Lives for the run, like the network thread it hands its batches to.
  static PlayLogCommit* commit = new PlayLogCommit();
  return *commit;
}

PlayLogCommit::PlayLogCommit() : thread_("play-log commit") {}

// Counted from the asking, so that an exit sees the commit as under way before its thread takes it
// up: running_ is set before the count drops, leaving no moment when neither says so. A process
// that ends meanwhile drops the request; its records stay in the folder for the next run.
void PlayLogCommit::request() {
  ++asked_;
  thread_.loop().post([this] {
    const bool joined = running_.exchange(true);
    --asked_;
    if (!joined) start();
  });
}

void PlayLogCommit::start() {
  pending_.clear();
  sent_.clear();
  sendNextBatch();
}

void PlayLogCommit::sendNextBatch() {
  if (pending_.empty()) {
    for (std::string& name : PlayLogFolder::list())
      if (!sent_.contains(name)) pending_.push_back(std::move(name));
    std::reverse(pending_.begin(), pending_.end());
  }
  std::vector<std::string> names;
  foundation::Array records;
  while (records.size() < kBatchSize && !pending_.empty()) {
    std::string name = std::move(pending_.back());
    pending_.pop_back();
    sent_.insert(name);
    if (std::optional<foundation::Dictionary> record = PlayLogFolder::read(name)) {
      records.emplace_back(std::move(*record));
      names.push_back(std::move(name));
    }
  }
  if (records.empty()) {
    if (pending_.empty()) return finish();
    return sendNextBatch();  // every file of this round was unreadable
  }
  foundation::Result<std::string> logs = framework::QRVJSONSerializer::serializer().serializeArray(records);
  if (!logs) return finish();
  send(std::move(names), *logs);
}

void PlayLogCommit::send(std::vector<std::string> names, const std::string& logs) {
  const std::uint64_t epoch = epoch_.load();
  if (!PlayApiManager::canSend()) return answered(epoch, names, false);
  // Main thread, where answers come. The records the server took go at once, before the count at
  // exit (which follows the answer on this thread) can find them, however late the commit's thread
  // gets to the answer; that thread waits for this answer meanwhile and reads no file.
  auto reply = [this, epoch, names](bool accepted) {
    if (accepted && epoch == epoch_.load())
      for (const std::string& name : names) (void)PlayLogFolder::remove(name);
    thread_.loop().post([this, epoch, names, accepted] { answered(epoch, names, accepted); });
  };
  PlayApiManager::post({{"js_logs", logs}}, reply);
}

void PlayLogCommit::answered(std::uint64_t epoch, const std::vector<std::string>& names, bool accepted) {
  if (epoch != epoch_.load() || !running_.load()) return;
  if (!accepted) return finish();
  if (names.size() < kBatchSize) return sendNextBatch();
  pause_ = thread_.loop().scheduleTimer(foundation::Duration(kPauseSeconds), false, [this, epoch] {
    pausing_ = false;
    if (epoch == epoch_.load() && running_.load()) sendNextBatch();
  });
  // Said once its timer is in place, so that whoever sees the pause and steps the clock past it
  // (a test's manual clock) finds the timer there; the timer fires on this thread, after this.
  pausing_ = true;
}

void PlayLogCommit::finish() {
  pausing_ = false;
  pending_.clear();
  sent_.clear();
  running_ = false;
  // An exit waiting for the commit looks again.
  foundation::RunLoop::main().post([] {});
}

void PlayLogCommit::performForTesting(std::function<void()> work) { thread_.loop().post(std::move(work)); }

void PlayLogCommit::resetForTesting() {
  thread_.loop().perform(
      [this] {
        ++epoch_;
        if (pause_) pause_->invalidate();
        finish();
      },
      true);
}

}  // namespace playback
