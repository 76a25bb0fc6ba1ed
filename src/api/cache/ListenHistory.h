#pragma once

#include <cstddef>
#include <vector>

#include "platform/foundation/Result.h"
#include "src/api/models/ProgramModel.h"

namespace api {

// The programmes the user played last, newest first, kept as a keyed archive in
// "listenHistory.json". The player adds to it; a history fetched from the server replaces it.
// Main thread only.
class ListenHistory {
 public:
  static constexpr const char* kFileName = "listenHistory.json";
  static constexpr std::size_t kMaxPrograms = 50;

  // The archived history; empty when the file is missing or unreadable.
  static std::vector<ProgramModelPtr> load();
  // Replaces the history with the list as it is.
  static foundation::Status save(const std::vector<ProgramModelPtr>& programmes);
  // Puts the programme at the head, removing an earlier entry with its id, and keeps the first
  // kMaxPrograms.
  static foundation::Status add(const ProgramModelPtr& programme);
};

}  // namespace api
