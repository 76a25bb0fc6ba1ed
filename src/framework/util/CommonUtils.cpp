#include "src/framework/util/CommonUtils.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"
#include "src/framework/util/WDTools.h"

namespace framework {
namespace {

constexpr double kBytesToMB = 9.536743e-7;
constexpr double kBytesToGB = 9.313225746154785e-10;
constexpr const char* kUnknownAddress = "Unknown";

std::mutex& directoryLock() {
  static std::mutex lock;
  return lock;
}

std::string format(const char* pattern, double a, double b) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// The first IPv4 address of an interface that `accept` takes.
template <class Accept>
std::string findAddress(Accept accept) {
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return kUnknownAddress;
  std::string address = kUnknownAddress;
  for (ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !accept(*entry)) continue;
    char text[INET_ADDRSTRLEN];
    const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
      address = text;
      break;
    }
  }
  freeifaddrs(interfaces);
  return address;
}

std::optional<double> meminfoBytes(const std::string& content, const std::string& key) {
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, key.size() + 1, key + ":") != 0) continue;
    char* end = nullptr;
    double kilobytes = std::strtod(line.c_str() + key.size() + 1, &end);
    if (end == line.c_str() + key.size() + 1) return std::nullopt;
    return kilobytes * 1024;
  }
  return std::nullopt;
}

}  // namespace

bool CommonUtils::createDirectorysAtPath(const std::string& path) {
  if (path.empty()) return false;
  std::lock_guard lock(directoryLock());
  if (foundation::FileManager::fileExists(path)) return foundation::FileManager::isDirectory(path);
  return foundation::FileManager::createDirectory(path, true).ok();
}

std::string CommonUtils::getDirectoryPathByFilePath(const std::optional<std::string>& path) {
  if (!path || path->empty()) return "";
  return foundation::Paths::deletingLastPathComponent(*path);
}

std::string CommonUtils::convertArrayToString(const foundation::Array& array) {
  std::string joined;
  for (std::size_t i = 0; i < array.size(); ++i) {
    if (i > 0) joined += ",";
    joined += array[i].toString();
  }
  return joined;
}

std::vector<std::string> CommonUtils::convertStringToArray(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

bool CommonUtils::validateEmail(const std::string& text) {
  static const foundation::NoDestructor<std::regex> pattern("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,4}");
  return std::regex_match(text, *pattern);
}

bool CommonUtils::validateCellPhone(const std::string& text) {
  static const foundation::NoDestructor<std::regex> pattern(
      "((\\d{11})|^((\\d{7,8})|(\\d{4}|\\d{3})-(\\d{7,8})|(\\d{4}|\\d{3})-(\\d{7,8})-(\\d{4}|\\d{3}|\\d{2}|\\d{1})|"
      "(\\d{7,8})-(\\d{4}|\\d{3}|\\d{2}|\\d{1}))$)");
  return std::regex_match(text, *pattern);
}

std::int64_t CommonUtils::getDocumentSize(const std::string& name) {
  std::istringstream components(name);
  std::string component;
  while (std::getline(components, component, '/')) {
    if (component == "..") return 0;
  }
  std::string path = WDTools::getCachesFileDir() + "/" + name + "/";
  struct stat attributes {};
  if (::stat(path.c_str(), &attributes) != 0) return 0;
  return static_cast<std::int64_t>(attributes.st_size);
}

std::vector<std::string> CommonUtils::getLetters() {
  std::vector<std::string> letters;
  for (char c = 'a'; c <= 'z'; ++c) letters.emplace_back(1, c);
  return letters;
}

std::vector<std::string> CommonUtils::getUpperLetters() {
  std::vector<std::string> letters;
  for (char c = 'A'; c <= 'Z'; ++c) letters.emplace_back(1, c);
  return letters;
}

std::string CommonUtils::getIPAddress() {
  std::string address = getIPAddressOf("en0");
  if (address != kUnknownAddress) return address;
  return findAddress(
      [](const ifaddrs& entry) { return (entry.ifa_flags & IFF_UP) && !(entry.ifa_flags & IFF_LOOPBACK); });
}

std::string CommonUtils::getIPAddressOf(const std::string& interfaceName) {
  return findAddress([&](const ifaddrs& entry) { return entry.ifa_name && interfaceName == entry.ifa_name; });
}

std::string CommonUtils::getFreeMemory() {
  std::ifstream file("/proc/meminfo");
  std::stringstream content;
  content << file.rdbuf();
  auto active = meminfoBytes(content.str(), "Active");
  auto inactive = meminfoBytes(content.str(), "Inactive");
  auto wired = meminfoBytes(content.str(), "Unevictable");
  auto free = meminfoBytes(content.str(), "MemFree");
  if (!active || !inactive || !free) {
    std::fprintf(stderr, "Failed to fetch vm statistics\n");
    return format("%0.1f MB used/%0.1f MB free", 0, 0);
  }
  double used = *active + *inactive + wired.value_or(0);
  return format("%0.1f MB used/%0.1f MB free", used * kBytesToMB, *free * kBytesToMB);
}

std::string CommonUtils::getDiskUsed() {
  struct statvfs disk {};
  if (::statvfs(foundation::Paths::homeDirectory().c_str(), &disk) != 0) {
    return format("%0.1f GB of %0.1f GB", 0, 0);
  }
  double total = static_cast<double>(disk.f_blocks) * static_cast<double>(disk.f_frsize);
  double free = static_cast<double>(disk.f_bavail) * static_cast<double>(disk.f_frsize);
  return format("%0.1f GB of %0.1f GB", (total - free) * kBytesToGB, total * kBytesToGB);
}

std::optional<std::string> CommonUtils::getStringValue(const foundation::Value& value) {
  if (value.isNull()) return std::nullopt;
  if (const std::string* text = value.getString()) {
    if (text->empty()) return std::nullopt;
    return *text;
  }
  if (const bool* flag = value.getBool()) return *flag ? "1" : "0";
  if (value.isNumber()) return value.toString();
  return std::nullopt;
}

}  // namespace framework
