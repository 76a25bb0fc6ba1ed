#pragma once

#include <map>
#include <string>

#include "platform/foundation/Result.h"

namespace station {

// Each user's kept programmes (programme id -> "sync" flag: "1" kept for offline use, "0"
// collected), by e-mail address, for the user who logged in last. With a file they outlive the
// station: every change is written to it at once, and a new station reads it. Not thread-safe:
// the station guards it.
class StationUsers {
 public:
  // `file` empty: kept in memory only.
  explicit StationUsers(std::string file);

  void logIn(const std::string& email) { current_ = email; }
  // The current user's programmes.
  const std::map<std::string, std::string>& programs() const;
  // Fails, naming the file, when the change could not be stored; it is kept in memory then.
  foundation::Status keep(const std::string& programId, const std::string& sync);
  foundation::Status letGo(const std::string& programId);

 private:
  void load();
  foundation::Status save() const;

  std::string file_;
  std::string current_;                                                 // "" before anybody logged in
  std::map<std::string, std::map<std::string, std::string>> programs_;  // by e-mail address
};

}  // namespace station
