#pragma once

#include <cstdint>
#include <string>

namespace framework {

// The two folders under which the API client and the playback side keep their files.
class WDTools {
 public:
  // The application's Documents folder (the offline database).
  static std::string getDocumentsDir();
  // The application's Caches folder (request caches, play logs, songs, adverts).
  static std::string getCachesFileDir();
  // The file's size in bytes; 0 when nothing is at the path.
  static std::uint64_t fileContentLengthAtPath(const std::string& path);
};

}  // namespace framework
