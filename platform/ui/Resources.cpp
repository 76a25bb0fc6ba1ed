#include "platform/ui/Resources.h"

#include <filesystem>
#include <mutex>

#include "platform/foundation/NoDestructor.h"

namespace ui {
namespace {

std::mutex& directoryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& directoryStorage() {
  static foundation::NoDestructor<std::string> directory(ZR_RESOURCES_DIR);
  return *directory;
}

// A resource name comes from code and nibs but may also be built from server data: it must
// name a file directly inside the resource folder.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

std::string Resources::directory() {
  std::lock_guard lock(directoryMutex());
  return directoryStorage();
}

void Resources::setDirectory(std::string directory) {
  std::lock_guard lock(directoryMutex());
  directoryStorage() = std::move(directory);
}

std::optional<std::string> Resources::pathFor(const std::string& name) {
  if (!isPlainFileName(name)) return std::nullopt;
  std::error_code error;
  for (const std::string& folder : {directory(), std::string(ZR_GENERATED_RESOURCES_DIR)}) {
    std::filesystem::path path = std::filesystem::path(folder) / name;
    if (std::filesystem::is_regular_file(path, error)) return path.string();
  }
  return std::nullopt;
}

}  // namespace ui
