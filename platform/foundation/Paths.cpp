#include "platform/foundation/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"

namespace foundation {
namespace {

constexpr const char* kApplicationFolder = "zunoradio";

std::mutex& overrideMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& homeOverride() {
  static NoDestructor<std::string> path;
  return *path;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string userHome() {
  std::string home = environment("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
    return found->pw_dir;
  }
  return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback below home.
std::string xdgFolder(const char* variable, const char* fallbackBelowHome) {
  std::string value = environment(variable);
  if (!value.empty() && value.front() == '/') return value;
  return Paths::appendingPathComponent(userHome(), fallbackBelowHome);
}

struct Layout {
  std::string home;
  std::string caches;
};

Layout currentLayout() {
  std::string chosen;
  {
    std::lock_guard lock(overrideMutex());
    chosen = homeOverride();
  }
  if (chosen.empty()) chosen = environment("ZUNORADIO_HOME");
  if (!chosen.empty()) return {chosen, Paths::appendingPathComponent(chosen, "Library/Caches")};
  return {Paths::appendingPathComponent(xdgFolder("XDG_DATA_HOME", ".local/share"), kApplicationFolder),
          Paths::appendingPathComponent(xdgFolder("XDG_CACHE_HOME", ".cache"), kApplicationFolder)};
}

std::string ensured(std::string path) {
  (void)FileManager::createDirectory(path);
  return path;
}

}  // namespace

std::string Paths::homeDirectory() { return ensured(currentLayout().home); }

std::string Paths::documentsDirectory() { return ensured(appendingPathComponent(currentLayout().home, "Documents")); }

std::string Paths::cachesDirectory() { return ensured(currentLayout().caches); }

std::string Paths::preferencesDirectory() {
  return ensured(appendingPathComponent(currentLayout().home, "Library/Preferences"));
}

std::string Paths::temporaryDirectory() { return ensured(appendingPathComponent(currentLayout().home, "tmp")); }

std::string Paths::useFreshHomeForTesting() {
  std::string base = environment("TMPDIR");
  if (base.empty() || base.front() != '/') base = "/tmp";
  std::string pattern = appendingPathComponent(base, "zunoradio-test-XXXXXX");
  if (!mkdtemp(pattern.data())) {
    // A test cannot run without its home; failing loudly here beats using the real one.
    std::abort();
  }
  setHomeForTesting(pattern);
  return pattern;
}

void Paths::setHomeForTesting(const std::string& path) {
  std::lock_guard lock(overrideMutex());
  homeOverride() = path;
}

std::string Paths::appendingPathComponent(std::string_view path, std::string_view component) {
  while (!component.empty() && component.front() == '/') component.remove_prefix(1);
  std::string result(path);
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  if (component.empty()) return result;
  if (!result.empty() && result.back() != '/') result += '/';
  result += component;
  return result;
}

std::string Paths::lastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return "/";
  std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string Paths::deletingLastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return "";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string Paths::pathExtension(std::string_view path) {
  std::string last = lastPathComponent(path);
  std::size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == last.size()) return "";
  return last.substr(dot + 1);
}

}  // namespace foundation
