#pragma once

#include <string>

#include "tests/support/LoopbackServer.h"

namespace testsupport {

// The bytes of a file, or an empty string when it cannot be read.
std::string readFile(const std::string& path);

// Serves `content` as audio at `path`: with kHonour a Range request gets its part (206), with
// kIgnore the server knows nothing of ranges and always sends everything.
void routeMedia(LoopbackServer& server, const std::string& path, std::string content, RangeMode mode);

}  // namespace testsupport
