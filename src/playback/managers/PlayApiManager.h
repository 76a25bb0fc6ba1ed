#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/foundation/Value.h"

namespace playback {

// The play records of the songs that were heard. Every record is stored as a small file first;
// it goes to the server at once when the application is online and the network is up, and its
// file is removed once the server took it. Files left (offline, refused, unanswered at exit) are
// sent later in batches, when the application returns to online mode and after every record the
// server accepted.
class PlayApiManager {
 public:
  // Any thread. Caches folder + "play_logs".
  static std::string offlineLogPath();

  // Main thread (other threads are carried there). Sends or stores one play record (a dictionary
  // of texts), or one batch ({"js_logs": JSON array of stored records}); a batch that cannot go
  // out is stored record by record.
  static void playLog(const foundation::Dictionary& record);

  // Any thread; never waits. Sends every stored record in batches of ten; joins a commit that
  // is already running.
  static void commitOfflineLog();

  // Any thread. Whether stored records are being sent (or about to be); the main loop is woken
  // when they no longer are.
  static bool isCommitting();

  // Any thread. How many kept records wait for a batch, in the folder or in memory (not those on
  // their way on their own).
  static std::size_t storedRecordCount();

  // Any thread. Whether a record would go to the server now: online mode and a network.
  static bool canSend();

  // What the server made of a record or a batch that went out: whether it took it, and its "err"
  // or why no answer came.
  using SendObserver =
      std::function<void(const foundation::Dictionary& sent, bool accepted, const std::string& answer)>;
  // Main thread. The one listener to every answer (the program prints them); empty to stop.
  static void setSendObserver(SendObserver observer);
  // Any thread. Posts a record or a batch as it stands; `answered` runs on the main thread,
  // after the observer, with whether the server took it.
  static void post(const foundation::Dictionary& sent, std::function<void(bool accepted)> answered);

  // Main thread. The one listener to every record kept for later (stored while it cannot be sent,
  // or not taken by the server), told how many now wait for a batch; empty to stop.
  using KeepObserver = std::function<void(std::size_t waiting)>;
  static void setKeepObserver(KeepObserver observer);

  // Main thread, at exit. Stores what is still in memory; the records awaiting an answer, which
  // will not come now, count as stored for a later run. Answers how many the folder keeps for the
  // next run, and how many it could not take (a full disk), which end with the process.
  struct KeptAtExit {
    std::size_t stored = 0;
    std::size_t lost = 0;
  };
  static KeptAtExit storeUnanswered();

  // Test hook: ends a running commit and forgets that the folder was made.
  static void resetForTesting();

 private:
  static void sendBatch(const foundation::Dictionary& batch);
  static void storeBatch(const foundation::Dictionary& batch);
};

}  // namespace playback
