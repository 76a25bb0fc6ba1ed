#include "platform/foundation/UserDefaults.h"

#include <filesystem>

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace foundation {
namespace {

std::string preferencesFile() {
  return Paths::appendingPathComponent(Paths::preferencesDirectory(),
                                       DeviceInfo::current().bundleIdentifier + ".plist");
}

// The settings in the file; an empty set when there is none or it cannot be read, in which case
// the file is set aside so that the next write does not destroy what might still be rescued.
Dictionary readSettings(const std::string& path) {
  auto data = FileManager::readFile(path);
  if (!data) return {};
  auto parsed = PropertyList::parse(*data);
  if (parsed && parsed->isDictionary()) return *parsed->getDictionary();
  (void)FileManager::moveItem(path, path + ".corrupt");
  return {};
}

}  // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
  static UserDefaults* instance = new UserDefaults();  // lives for the run, as the platform's does
  return *instance;
}

UserDefaults::UserDefaults() {
  std::lock_guard lock(mutex_);
  load();
}

void UserDefaults::load() {
  path_ = preferencesFile();
  // Writes killed half-way leave temporary files beside the settings; nothing else removes them.
  (void)FileManager::removeStaleTemporaryFiles(std::filesystem::path(path_).parent_path());
  values_ = readSettings(path_);
  writtenGeneration_ = generation_;
}

void UserDefaults::reloadForTesting() {
  std::lock_guard writing(writeMutex_);
  std::lock_guard lock(mutex_);
  load();
}

Value UserDefaults::valueForKey(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const Value* value = values_.find(key);
  return value ? *value : Value();
}

Value UserDefaults::objectForKey(std::string_view key) const { return valueForKey(key); }

Status UserDefaults::setObject(Value value, std::string_view key) {
  if (value.isNull()) {
    removeObjectForKey(key);
    return Status::success();
  }
  // What cannot be written, key or value, must not get in: it would make every later
  // synchronize() fail.
  Dictionary entry;
  entry.set(std::string(key), value);
  if (auto written = PropertyList::serialize(Value(std::move(entry))); !written) return written.error();
  std::lock_guard lock(mutex_);
  // Setting what is already there is no change: the next synchronize() need not rewrite the file.
  if (const Value* current = values_.find(key); current && *current == value) return Status::success();
  values_.set(std::string(key), std::move(value));
  ++generation_;
  return Status::success();
}

void UserDefaults::removeObjectForKey(std::string_view key) {
  std::lock_guard lock(mutex_);
  if (values_.erase(key)) ++generation_;
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
  Value value = valueForKey(key);
  if (!value.isString() && !value.isNumber()) return std::nullopt;
  return value.toString();
}

bool UserDefaults::boolForKey(std::string_view key) const {
  Value value = valueForKey(key);
  if (const std::string* text = value.getString()) {
    if (*text == "YES" || *text == "yes" || *text == "true") return true;
  }
  return value.toBool();
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const { return valueForKey(key).toInt64(); }

double UserDefaults::doubleForKey(std::string_view key) const { return valueForKey(key).toDouble(); }

std::optional<Dictionary> UserDefaults::dictionaryForKey(std::string_view key) const {
  Value value = valueForKey(key);
  if (const Dictionary* dictionary = value.getDictionary()) return *dictionary;
  return std::nullopt;
}

std::optional<Array> UserDefaults::arrayForKey(std::string_view key) const {
  Value value = valueForKey(key);
  if (const Array* array = value.getArray()) return *array;
  return std::nullopt;
}

std::optional<Bytes> UserDefaults::dataForKey(std::string_view key) const {
  Value value = valueForKey(key);
  if (const Bytes* bytes = value.getBytes()) return *bytes;
  return std::nullopt;
}

Dictionary UserDefaults::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  return values_;
}

Status UserDefaults::synchronize() {
  std::lock_guard writing(writeMutex_);
  Dictionary snapshot;
  std::string path;
  std::uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    if (generation_ == writtenGeneration_) return Status::success();
    snapshot = values_;
    path = path_;
    generation = generation_;
  }
  auto document = PropertyList::serialize(Value(std::move(snapshot)));
  if (!document) return document.error();
  if (Status folder = FileManager::createDirectory(Paths::deletingLastPathComponent(path)); !folder) return folder;
  if (Status written = FileManager::writeAtomically(path, *document); !written) return written;
  std::lock_guard lock(mutex_);
  writtenGeneration_ = generation;
  return Status::success();
}

}  // namespace foundation
