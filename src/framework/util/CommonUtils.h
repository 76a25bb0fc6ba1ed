#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace framework {

// Folder, validation, device and text operations the system shares.
class CommonUtils {
 public:
  // Creates the folder and its missing parents under one lock for all callers; true when a
  // folder is there afterwards (a file of that name is not a folder: false).
  static bool createDirectorysAtPath(const std::string& path);
  // The path without its last component and the separator before it; "" for nil or "".
  static std::string getDirectoryPathByFilePath(const std::optional<std::string>& path);
  // The elements' texts joined by ",", and the parts between ",".
  static std::string convertArrayToString(const foundation::Array& array);
  static std::vector<std::string> convertStringToArray(const std::string& text);
  static bool validateEmail(const std::string& text);
  // An 11-digit mobile number, or a fixed-line number with optional area code and extension.
  static bool validateCellPhone(const std::string& text);
  // The size attribute of the named entry of the Caches folder; 0 when it has none or the name
  // would lead outside the folder.
  static std::int64_t getDocumentSize(const std::string& name);
  // "a" to "z" and "A" to "Z".
  static std::vector<std::string> getLetters();
  static std::vector<std::string> getUpperLetters();
  // The IPv4 address of the device's network interface in dotted form ("en0" where the device
  // has it, else the first interface that is up and not the loopback); "Unknown" without one.
  static std::string getIPAddress();
  // The IPv4 address of the named interface; "Unknown" without one.
  static std::string getIPAddressOf(const std::string& interfaceName);
  // "%0.1f MB used/%0.1f MB free" of the machine's memory.
  static std::string getFreeMemory();
  // "%0.1f GB of %0.1f GB": used and total size of the file system holding the home folder.
  static std::string getDiskUsed();
  // nil for null and for ""; text as it is; the text of numbers and booleans; nil for values
  // without a text (arrays, dictionaries, data, objects).
  static std::optional<std::string> getStringValue(const foundation::Value& value);
};

}  // namespace framework
