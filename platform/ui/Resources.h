#pragma once

#include <optional>
#include <string>

namespace ui {

// The folder of files that views load by name (pictures, the font configuration): the
// application package's resources. Defaults to the source tree's resources/ folder.
class Resources {
 public:
  // Any thread.
  static std::string directory();
  // Main thread, before anything is loaded (tests only).
  static void setDirectory(std::string directory);
  // Any thread. The path of the named file in the resource folder or, after it, among the
  // pictures drawn at build time; nullopt when the name is
  // not a plain file name (no folders, no "..") or no such file exists.
  static std::optional<std::string> pathFor(const std::string& name);
};

}  // namespace ui
