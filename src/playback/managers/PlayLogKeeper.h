#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Value.h"

namespace playback {

// Keeps every play record until the server took it: in the play-log folder, or, when the folder
// cannot take it (a full disk), in memory, from where it is offered to the folder again with
// each later record, each commit and at exit. The first record the folder refuses is reported
// once on standard error. Any thread.
class PlayLogKeeper {
 public:
  // Where keep() put a record.
  struct Ticket {
    std::optional<std::string> file;  // its name in the folder
    std::uint64_t memory = 0;         // its number in memory when not in the folder
  };

  // Keeps the record (stamped with its "time"). A record `sending` is on its way to the server
  // on its own: batches leave it out until settle().
  static Ticket keep(const foundation::Dictionary& record, bool sending);
  // The server's answer on a record kept while sending: accepted drops it, otherwise it stays
  // for a later batch.
  static void settle(const Ticket& ticket, bool accepted);
  // Offers the records kept in memory to the folder again; `alsoSending` at exit, when no
  // answer will come any more: those the folder still refuses wait for a batch like the rest.
  static void storeKept(bool alsoSending = false);

  static std::size_t keptInMemory();
  // The records in memory that wait for a batch (not those on their way on their own).
  static std::size_t waitingInMemory();
  // Test hook: forgets the records in memory and that the refusal was reported.
  static void resetForTesting();

 private:
  struct Kept {
    foundation::Dictionary record;
    bool sending;
  };
  static void reportRefusal();

  static std::mutex mutex_;
  static foundation::NoDestructor<std::map<std::uint64_t, Kept>> kept_;
  static std::uint64_t lastNumber_;
  static bool reported_;
};

}  // namespace playback
