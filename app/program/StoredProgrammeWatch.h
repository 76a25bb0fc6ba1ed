#pragma once

#include <cstdint>
#include <functional>

#include "app/program/Console.h"

namespace zunoradio {

// Offline, the programme playing can leave the offline list under the listener (a sync removed
// it with its files): the run goes on with another stored programme, or says that nothing stored
// is left and ends, instead of falling silent. Online the player goes on from the station by
// itself. Main thread.
class StoredProgrammeWatch {
 public:
  StoredProgrammeWatch(Console& console, std::function<void()> onNothingLeft);
  ~StoredProgrammeWatch();
  StoredProgrammeWatch(const StoredProgrammeWatch&) = delete;
  StoredProgrammeWatch& operator=(const StoredProgrammeWatch&) = delete;

 private:
  void programmeRemoved(std::int64_t programId);

  Console& console_;
  std::function<void()> onNothingLeft_;
};

}  // namespace zunoradio
