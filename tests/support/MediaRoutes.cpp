#include "tests/support/MediaRoutes.h"

#include <fstream>
#include <iterator>

namespace testsupport {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void routeMedia(LoopbackServer& server, const std::string& path, std::string content, RangeMode mode) {
  server.route("GET", path, [content = std::move(content), mode](const RecordedRequest& request) {
    Reply reply = Reply::ranged(request, content, mode);
    if (mode == RangeMode::kIgnore) std::erase_if(reply.headers, [](auto& h) { return h.first == "Accept-Ranges"; });
    return reply.header("Content-Type", "audio/mpeg");
  });
}

}  // namespace testsupport
