#include "src/playback/managers/PlayLogFolder.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "src/framework/util/WDTools.h"

namespace playback {

std::mutex PlayLogFolder::mutex_;
bool PlayLogFolder::folderCreated_ = false;
foundation::NoDestructor<std::set<std::string>> PlayLogFolder::held_;

namespace {

bool isRecord(const foundation::Value& value) {
  const foundation::Dictionary* record = value.getDictionary();
  if (!record || record->empty()) return false;
  for (const auto& [key, field] : *record)
    if (!field.isString()) return false;
  return true;
}

}  // namespace

std::string PlayLogFolder::path() { return framework::WDTools::getCachesFileDir() + "/play_logs"; }

std::string PlayLogFolder::unreadablePath() { return framework::WDTools::getCachesFileDir() + "/play_logs_unreadable"; }

std::optional<std::string> PlayLogFolder::store(const foundation::Dictionary& record, bool held) {
  const std::string time = record["time"].toString();
  if (!foundation::FileManager::isSafePathComponent(time)) return std::nullopt;
  foundation::Result<std::string> document = foundation::PropertyList::serialize(record);
  if (!document) return std::nullopt;
  std::lock_guard lock(mutex_);
  // Created once per run; again only when something removed the folder meanwhile.
  if (!folderCreated_ || !foundation::FileManager::isDirectory(path())) {
    if (!foundation::FileManager::createDirectory(path())) return std::nullopt;
    folderCreated_ = true;
  }
  std::string name = freeNameFor(time);
  // Held before the file is there: a commit listing the folder meanwhile would batch it too.
  if (held) held_->insert(name);
  if (!foundation::FileManager::writeAtomically(path() + "/" + name, *document).ok()) {
    held_->erase(name);
    return std::nullopt;
  }
  return name;
}

std::string PlayLogFolder::freeNameFor(const std::string& time) {
  std::string name = time;
  for (int suffix = 1; foundation::FileManager::fileExists(path() + "/" + name); ++suffix)
    name = time + "_" + std::to_string(suffix);
  return name;
}

std::vector<std::string> PlayLogFolder::list() {
  // Read under the lock: a name read before a settle and filtered after it would be listed free,
  // and the next record of that second, on its way, would take it.
  std::lock_guard lock(mutex_);
  foundation::Result<std::vector<std::string>> names = foundation::FileManager::contentsOfDirectory(path());
  if (!names) return {};
  std::erase_if(*names, [](const std::string& name) { return held_->contains(name); });
  return std::move(names).value();
}

void PlayLogFolder::release(const std::string& name) {
  std::lock_guard lock(mutex_);
  held_->erase(name);
}

void PlayLogFolder::removeHeld(const std::string& name) {
  std::lock_guard lock(mutex_);
  (void)foundation::FileManager::removeItem(path() + "/" + name);
  held_->erase(name);
}

void PlayLogFolder::releaseAll() {
  std::lock_guard lock(mutex_);
  held_->clear();
}

std::optional<foundation::Dictionary> PlayLogFolder::read(const std::string& name) {
  const std::string file = path() + "/" + name;
  if (foundation::Result<foundation::Bytes> bytes = foundation::FileManager::readFile(file)) {
    foundation::Result<foundation::Value> value = foundation::PropertyList::parse(*bytes);
    if (value && isRecord(*value)) return *value->getDictionary();
  }
  // Kept for whoever wants to look at it, out of the way of later commits.
  if (foundation::FileManager::createDirectory(unreadablePath()))
    (void)foundation::FileManager::moveItem(file, unreadablePath() + "/" + name);
  if (foundation::FileManager::fileExists(file)) (void)foundation::FileManager::removeItem(file);
  return std::nullopt;
}

bool PlayLogFolder::remove(const std::string& name) {
  std::lock_guard lock(mutex_);
  return foundation::FileManager::removeItem(path() + "/" + name).ok();
}

void PlayLogFolder::resetForTesting() {
  std::lock_guard lock(mutex_);
  folderCreated_ = false;
  held_->clear();
}

}  // namespace playback
