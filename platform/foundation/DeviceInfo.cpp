#include "platform/foundation/DeviceInfo.h"

#include <sys/utsname.h>

#include <map>
#include <mutex>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"

namespace foundation {
namespace {

constexpr const char* kIdentifierFile = "device-identifier";

struct State {
  std::mutex mutex;
  std::optional<DeviceInfo> override;
  std::map<std::string, std::string> identifierByFile;  // per home, as tests change homes
};

State& state() {
  static NoDestructor<State> instance;
  return *instance;
}

// "6.1.0" of "6.1.0-18-amd64": only the dotted numbers are a version.
std::string versionNumbers(const std::string& release) {
  std::size_t end = release.find_first_not_of("0123456789.");
  std::string version = release.substr(0, end);
  while (!version.empty() && version.back() == '.') version.pop_back();
  return version.empty() ? release : version;
}

DeviceInfo fromSystem() {
  DeviceInfo info;
  utsname system{};
  if (uname(&system) == 0) {
    info.name = system.nodename;
    info.model = system.machine;
    info.systemName = system.sysname;
    info.systemVersion = versionNumbers(system.release);
  }
  info.bundleName = "ZunoRadio";
  info.bundleIdentifier = "org.zunoradio.ZunoRadio";
  info.bundleVersion = "1.0";
  info.bundleShortVersion = "1.0";
  info.multitaskingSupported = true;
  return info;
}

}  // namespace

DeviceInfo DeviceInfo::current() {
  {
    std::lock_guard lock(state().mutex);
    if (state().override) return *state().override;
  }
  static const NoDestructor<DeviceInfo> system(fromSystem());
  return *system;
}

void DeviceInfo::setCurrentForTesting(std::optional<DeviceInfo> info) {
  std::lock_guard lock(state().mutex);
  state().override = std::move(info);
}

std::string DeviceInfo::deviceIdentifier() {
  std::string file = Paths::appendingPathComponent(Paths::preferencesDirectory(), kIdentifierFile);
  std::lock_guard lock(state().mutex);
  if (auto known = state().identifierByFile.find(file); known != state().identifierByFile.end()) return known->second;
  std::string identifier;
  if (auto stored = FileManager::readTextFile(file); stored && isUuidString(*stored)) {
    identifier = *stored;
  } else {
    identifier = newUuidString();
    // Not stored means a new identifier next run; this run still answers one and the same.
    (void)FileManager::writeAtomically(file, identifier);
  }
  state().identifierByFile.emplace(file, identifier);
  return identifier;
}

}  // namespace foundation
