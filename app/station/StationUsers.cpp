#include "app/station/StationUsers.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"

namespace station {

StationUsers::StationUsers(std::string file) : file_(std::move(file)) { load(); }

void StationUsers::load() {
  if (file_.empty() || !foundation::FileManager::fileExists(file_)) return;
  foundation::Result<std::string> text = foundation::FileManager::readTextFile(file_);
  foundation::Result<foundation::Value> parsed =
      text.ok() ? foundation::Json::parse(*text) : foundation::Result<foundation::Value>(text.error());
  if (!parsed.ok() || !parsed->isDictionary()) {
    // Kept for whoever wants to look at it; the next change starts a new file.
    (void)foundation::FileManager::moveItem(file_, file_ + ".damaged");
    return;
  }
  for (const auto& [email, programs] : *parsed->getDictionary()) {
    if (const foundation::Dictionary* kept = programs.getDictionary())
      for (const auto& [programId, sync] : *kept) programs_[email][programId] = sync.toString();
  }
}

const std::map<std::string, std::string>& StationUsers::programs() const {
  static const foundation::NoDestructor<std::map<std::string, std::string>> none;
  const auto found = programs_.find(current_);
  return found == programs_.end() ? *none : found->second;
}

foundation::Status StationUsers::keep(const std::string& programId, const std::string& sync) {
  programs_[current_][programId] = sync;
  return save();
}

foundation::Status StationUsers::letGo(const std::string& programId) {
  programs_[current_].erase(programId);
  return save();
}

foundation::Status StationUsers::save() const {
  if (file_.empty()) return foundation::Status::success();
  foundation::Dictionary users;
  for (const auto& [email, programs] : programs_) {
    foundation::Dictionary kept;
    for (const auto& [programId, sync] : programs) kept.set(programId, sync);
    users.set(email, std::move(kept));
  }
  foundation::Result<std::string> text = foundation::Json::serialize(users);
  if (!text.ok()) return text.error();
  if (foundation::Status made =
          foundation::FileManager::createDirectory(foundation::Paths::deletingLastPathComponent(file_));
      !made)
    return made;
  return foundation::FileManager::writeAtomically(file_, *text);
}

}  // namespace station
