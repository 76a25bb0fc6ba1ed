#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"

namespace playback {

// Sends the stored play records to the server in batches of at most ten, one batch at a time,
// on a thread of its own so that reading thousands of small files never holds up the main loop.
// A batch's files are removed only once the server accepted it (on the main thread, as the answer
// comes); a batch that fails ends the commit and its files wait for the next one. A full batch is
// followed by a short pause, which spaces out the posts of a long backlog. Records stored while a
// commit runs are picked up by it before it ends. A commit asked for while one runs joins it:
// nothing ever waits for a commit.
class PlayLogCommit {
 public:
  static constexpr std::size_t kBatchSize = 10;
  static constexpr double kPauseSeconds = 0.05;

  // Any thread. The one commit, with its thread, for the whole run.
  static PlayLogCommit& shared();

  // Any thread. Starts a commit unless one is running.
  void request();
  // Any thread. Whether a commit is under way.
  bool isRunning() const { return running_.load(); }
  // Any thread. Whether a commit is under way or asked for and about to start; the main loop is
  // woken when this turns false, so that an exit can wait for the commit's last answer.
  bool isUnderWay() const { return running_.load() || asked_.load() > 0; }
  // Any thread. Whether the commit waits out the pause after a full batch.
  bool isPausing() const { return pausing_.load(); }

  // Test hook: ends a running commit without waiting for its batch.
  void resetForTesting();
  // Test hook: runs `work` on the commit's thread, after what is queued there already.
  void performForTesting(std::function<void()> work);

 private:
  PlayLogCommit();

  // Commit thread.
  void start();
  void sendNextBatch();
  void send(std::vector<std::string> names, const std::string& logs);
  void answered(std::uint64_t epoch, const std::vector<std::string>& names, bool accepted);
  void finish();

  foundation::LoopThread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> pausing_{false};
  std::atomic<int> asked_{0};            // requests posted to the commit's thread and not yet taken up
  std::atomic<std::uint64_t> epoch_{0};  // a reset makes the answers of earlier batches stale
  // Commit thread only.
  std::vector<std::string> pending_;  // listed, not yet sent, in reverse order
  std::set<std::string> sent_;        // sent in this commit: never sent twice
  std::shared_ptr<foundation::Timer> pause_;
};

}  // namespace playback
