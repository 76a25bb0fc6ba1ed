#include "src/api/cache/RequestCacheFolder.h"

#include <cerrno>
#include <mutex>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "src/framework/util/WDTools.h"

namespace api {
namespace {

// Writes killed half-way leave temporary files; they are swept the first time a run uses a folder.
void sweepOnce(const std::string& folder) {
  static std::mutex mutex;
  static foundation::NoDestructor<std::string> swept;
  std::lock_guard lock(mutex);
  if (*swept == folder) return;
  *swept = folder;
  (void)foundation::FileManager::removeStaleTemporaryFiles(folder);
}

}  // namespace

std::string RequestCacheFolder::path() {
  const std::string folder =
      foundation::Paths::appendingPathComponent(framework::WDTools::getCachesFileDir(), kFolderName);
  // A failure shows in the file operation that follows.
  if (!foundation::FileManager::isDirectory(folder)) (void)foundation::FileManager::createDirectory(folder, false);
  sweepOnce(folder);
  return folder;
}

std::string RequestCacheFolder::pathOf(std::string_view fileName) {
  return foundation::Paths::appendingPathComponent(path(), fileName);
}

foundation::Result<std::string> RequestCacheFolder::checkedPathOf(std::string_view fileName) {
  // Names may come from server ids: "../x" must not reach outside the folder.
  if (!foundation::FileManager::isSafePathComponent(fileName)) {
    return foundation::posixError(EINVAL, "refused request cache file name '" + std::string(fileName) + "'");
  }
  return pathOf(fileName);
}

foundation::Result<foundation::Value> RequestCacheFolder::readPropertyList(std::string_view fileName) {
  foundation::Result<foundation::Bytes> bytes = readData(fileName);
  if (!bytes.ok()) return bytes.error();
  return foundation::PropertyList::parse(bytes.value());
}

foundation::Status RequestCacheFolder::writePropertyList(std::string_view fileName, const foundation::Value& value) {
  foundation::Result<std::string> document = foundation::PropertyList::serialize(withoutNulls(value));
  if (!document.ok()) return document.error();
  foundation::Result<std::string> file = checkedPathOf(fileName);
  if (!file.ok()) return file.error();
  return foundation::FileManager::writeAtomically(file.value(), document.value());
}

foundation::Result<foundation::Bytes> RequestCacheFolder::readData(std::string_view fileName) {
  foundation::Result<std::string> file = checkedPathOf(fileName);
  if (!file.ok()) return file.error();
  return foundation::FileManager::readFile(file.value());
}

foundation::Status RequestCacheFolder::writeData(std::string_view fileName, const foundation::Bytes& bytes) {
  foundation::Result<std::string> file = checkedPathOf(fileName);
  if (!file.ok()) return file.error();
  return foundation::FileManager::writeAtomically(file.value(), bytes);
}

foundation::Value RequestCacheFolder::withoutNulls(const foundation::Value& value) {
  if (const foundation::Array* array = value.getArray()) {
    foundation::Array kept;
    kept.reserve(array->size());
    for (const foundation::Value& element : *array)
      if (!element.isNull()) kept.push_back(withoutNulls(element));
    return kept;
  }
  if (const foundation::Dictionary* dictionary = value.getDictionary()) {
    foundation::Dictionary kept;
    for (const auto& [key, element] : *dictionary)
      if (!element.isNull()) kept.set(key, withoutNulls(element));
    return kept;
  }
  return value;
}

}  // namespace api
