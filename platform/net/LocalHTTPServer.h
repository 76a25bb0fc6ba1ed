#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/Result.h"

namespace net {

using LocalHeaderList = std::vector<std::pair<std::string, std::string>>;

// One request as a LocalHTTPServer received it.
struct LocalRequest {
  std::string method;  // "GET", "POST", "HEAD"
  std::string path;    // the target without its query, still percent-escaped
  std::string query;   // the text after "?", empty when none
  LocalHeaderList headers;
  std::string body;

  // Any thread. The first field of that name, any case.
  std::optional<std::string> header(std::string_view name) const;
};

// What a LocalHTTPServer answers.
struct LocalReply {
  int status = 200;
  LocalHeaderList headers;
  std::string body;

  // Any thread. A reply with that body and Content-Type.
  static LocalReply text(std::string body, std::string contentType, int status = 200);
  static LocalReply notFound();
  // Any thread. The file's content, or the part that the request's "Range: bytes=..." names
  // (206 with Content-Range; 416 when the range starts past the end). A malformed or multiple
  // range gets the whole file, as HTTP allows.
  static LocalReply ranged(const LocalRequest& request, const std::string& content, std::string contentType);
};

// A small HTTP/1.1 server on 127.0.0.1 and a free port, with its own thread: requests are
// answered by the handler of the longest route that is their path or, for a route ending in
// "/", a prefix of it; others get 404. Connections persist; HEAD gets the head of a GET.
class LocalHTTPServer {
 public:
  using Handler = std::function<LocalReply(const LocalRequest&)>;
  // Bodies above this size close the connection unanswered.
  static constexpr std::size_t kMaxRequestBody = 4 * 1024 * 1024;

  LocalHTTPServer();
  // Any thread but the server's. Stops the server and closes every connection.
  ~LocalHTTPServer();
  LocalHTTPServer(const LocalHTTPServer&) = delete;
  LocalHTTPServer& operator=(const LocalHTTPServer&) = delete;

  // Before start. Handlers run on the server's thread.
  void route(std::string pathOrPrefix, Handler handler);
  // Any thread, once. Binds a free loopback port and starts serving.
  foundation::Status start();
  // Any thread. 0 before start.
  int port() const;
  // Any thread. "http://127.0.0.1:<port>".
  std::string baseURL() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace net
