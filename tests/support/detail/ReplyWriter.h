#pragma once

#include <string>

#include "tests/support/LoopbackServer.h"

namespace testsupport::detail {

// The bytes of a scripted reply, and whether the connection closes after it.
struct ReplyBytes {
  std::string bytes;
  bool closeAfter = false;
};

ReplyBytes writeReply(const Reply& reply, const RecordedRequest& request);

std::string base64(std::string_view bytes);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace testsupport::detail
