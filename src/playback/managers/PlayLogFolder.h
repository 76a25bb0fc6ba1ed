#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Value.h"

namespace playback {

// The play records kept for later: one XML property-list file per record in "play_logs" under
// the Caches folder, named by the record's "time" (whole seconds since 1970), with "_1", "_2"...
// added when that second is taken, so that no record replaces another. Files are written
// atomically, so a reader never sees half a record. Any thread.
class PlayLogFolder {
 public:
  // Any thread. Caches folder + "play_logs".
  static std::string path();
  // Any thread. Where files that cannot be read as a record are put aside.
  static std::string unreadablePath();

  // Any thread. Stores the record under a name of its "time" and answers the name; nothing when
  // it could not be written. A record stored `held` is on its way to the server on its own:
  // batches leave it out, from the moment its file is there, until release().
  static std::optional<std::string> store(const foundation::Dictionary& record, bool held = false);
  // Any thread. The names of the stored records that are not held, sorted; empty when there are
  // none.
  static std::vector<std::string> list();
  // Any thread. A held record the server did not take may go into batches again.
  static void release(const std::string& name);
  // Any thread. A held record the server took: its file goes and its name is released in one step,
  // so that no listing finds the name free while the file is still there.
  static void removeHeld(const std::string& name);
  // Any thread. No record is on its way any more (at exit): batches take them all.
  static void releaseAll();
  // Any thread. The stored record of that name; a file that is not a dictionary of texts is moved
  // to unreadablePath() and answers nothing.
  static std::optional<foundation::Dictionary> read(const std::string& name);
  // Any thread. For a listed record the server took in a batch: whether its file is gone
  // afterwards. Until then the name keeps that record, since a store never takes a name whose
  // file is there, and a held record's file goes only with removeHeld().
  static bool remove(const std::string& name);

  // Test hook: the next store creates the folder again.
  static void resetForTesting();

 private:
  static std::string freeNameFor(const std::string& time);

  // Storing, listing, settling and removing never interleave: a listing never finds a record on
  // its way unheld, and two records never pick the same free name.
  static std::mutex mutex_;
  static bool folderCreated_;
  static foundation::NoDestructor<std::set<std::string>> held_;  // under mutex_
};

}  // namespace playback
