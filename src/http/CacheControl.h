#pragma once

#include <optional>

#include "platform/foundation/Value.h"

namespace http {

// What a response's "Cache-Control" (a list of directives, any order and case) and "Pragma"
// headers say about keeping it. Any thread.
struct CacheControl {
  explicit CacheControl(const foundation::Dictionary& headers);

  // Not to be stored at all: a "no-store" directive, a "Cache-Control" of "no-cache" alone, or
  // "Pragma: no-cache".
  bool noStore = false;
  // Stored, but never used without asking the server first.
  bool noCache = false;
  // Seconds the response stays current, clamped to ten years; nullopt without "max-age".
  std::optional<double> maxAge;
};

}  // namespace http
