#include "platform/net/MIMETypes.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/net/URLParts.h"

namespace net {

const MIMETypes& MIMETypes::system() {
  static const MIMETypes* table = [] {
    auto loaded = fromFile("/etc/mime.types");
    return new MIMETypes(loaded ? std::move(*loaded) : MIMETypes());
  }();
  return *table;
}

MIMETypes MIMETypes::fromText(std::string_view text) {
  MIMETypes table;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string type;
    if (!(words >> type) || type.find('/') == std::string::npos) continue;
    std::string extension;
    // The first type listed for an extension wins, as in the system's own look-ups.
    while (words >> extension) table.types_.emplace(toLowerASCII(extension), type);
  }
  return table;
}

foundation::Result<MIMETypes> MIMETypes::fromFile(const std::string& path) {
  std::ifstream file(path);
  if (!file) return foundation::posixError(errno, "Cannot read MIME types from '" + path + "'");
  std::ostringstream text;
  text << file.rdbuf();
  return fromText(text.str());
}

std::optional<std::string> MIMETypes::typeForExtension(std::string_view extension) const {
  auto found = types_.find(toLowerASCII(std::string(extension)));
  if (found == types_.end()) return std::nullopt;
  return found->second;
}

std::string MIMETypes::typeForFileName(std::string_view fileName) const {
  const auto slash = fileName.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return kDefaultType;
  return typeForExtension(name.substr(dot + 1)).value_or(kDefaultType);
}

}  // namespace net
