#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"

namespace net {

// MIME types by file-name extension, from a table in the format of /etc/mime.types ("type ext
// ext ..." per line, "#" comments). Immutable once made; any thread.
class MIMETypes {
 public:
  static constexpr const char* kDefaultType = "application/octet-stream";

  // Any thread. The system table, read from /etc/mime.types on first use (empty when missing).
  static const MIMETypes& system();
  // Any thread. A table from text in the mime.types format.
  static MIMETypes fromText(std::string_view text);
  // Any thread. A table from a file; fails when it cannot be read.
  static foundation::Result<MIMETypes> fromFile(const std::string& path);

  // The type for an extension (without the dot, any case); nullopt when unknown.
  std::optional<std::string> typeForExtension(std::string_view extension) const;
  // The type for a file name or path by its last extension; kDefaultType when there is none or
  // it is unknown.
  std::string typeForFileName(std::string_view fileName) const;

  std::size_t size() const { return types_.size(); }

 private:
  std::map<std::string, std::string, std::less<>> types_;  // lower-case extension -> type
};

}  // namespace net
