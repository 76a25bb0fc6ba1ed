#pragma once

#include <string>
#include <string_view>

namespace foundation {

// The application's folders and the text operations on paths.
//
// The home is $ZUNORADIO_HOME when set; otherwise it is "zunoradio" in the XDG data folder
// ($XDG_DATA_HOME, else ~/.local/share) and Caches is "zunoradio" in the XDG cache folder
// ($XDG_CACHE_HOME, else ~/.cache). Below the home: Documents, Library/Caches (only under
// $ZUNORADIO_HOME), Library/Preferences and tmp. Each folder accessor creates its folder when
// missing, as the platform guarantees these folders exist; if that fails, the path is returned
// anyway and the first file operation in it reports the error.
class Paths {
 public:
  // Any thread. The application home folder.
  static std::string homeDirectory();
  // Any thread. Where the user's documents (the offline database) live.
  static std::string documentsDirectory();
  // Any thread. Where re-creatable files (request caches, song files, logs) live.
  static std::string cachesDirectory();
  // Any thread. Where user defaults and the device identifier live.
  static std::string preferencesDirectory();
  // Any thread. Scratch files (request bodies); nothing here must outlive a run.
  static std::string temporaryDirectory();

  // Any thread. Test hook: makes a fresh empty folder under the system's temporary folder and
  // uses it as the home from now on, whatever the environment says. Returns its path.
  static std::string useFreshHomeForTesting();
  // Any thread. Test hook: uses the given folder as home; an empty path returns to the
  // environment's choice.
  static void setHomeForTesting(const std::string& path);

  // Any thread; pure text operations, no file access.
  // "a/b" + "c" = "a/b/c"; a separator is added or dropped so that exactly one stands between.
  static std::string appendingPathComponent(std::string_view path, std::string_view component);
  // The part after the last "/" (trailing separators ignored): "/a/b.mp3" -> "b.mp3".
  static std::string lastPathComponent(std::string_view path);
  // The path without its last component and the separator before it: "/a/b" -> "/a".
  static std::string deletingLastPathComponent(std::string_view path);
  // The extension of the last component without the dot; "" when it has none.
  static std::string pathExtension(std::string_view path);
};

}  // namespace foundation
