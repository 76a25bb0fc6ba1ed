#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace foundation {
class RunLoop;
}

namespace net {

class Connection;

// What an idle connection may be reused for: the same stream ID, origin, proxy (and the whole proxy
// login its tunnel was opened with, so that a request with a wrong password or none never rides it)
// and TLS checks (a socket accepted under relaxed checks never serves a stream that wants strict ones).
struct ConnectionKey {
  long long streamID = 0;
  std::string scheme;
  std::string host;
  int port = 0;
  std::string proxyHost;
  int proxyPort = 0;
  std::string tlsChecks;
  int proxyKind = -1;  // ProxyServer::Kind, -1 for none
  std::string proxyUser;
  std::string proxyPassword;
  std::string proxyAuthorization;  // a CONNECT's header made without a named login
  friend bool operator==(const ConnectionKey&, const ConnectionKey&) = default;
};

// Idle connections kept for reuse, one pool per run loop (kept with the loop's io_context and
// closed when it shuts down). Every function runs on the loop's thread.
class IdleConnectionPool {
 public:
  // Keeps a connection idle under `key`; the oldest beyond `maxIdle` are closed.
  static void put(foundation::RunLoop& loop, const ConnectionKey& key, std::shared_ptr<Connection> connection);
  // The most recently kept connection for `key` that is still alive, or nullptr. Connections
  // that were closed by their peer, received stray bytes or outlived the idle lifetime are closed
  // and dropped on the way.
  static std::shared_ptr<Connection> take(foundation::RunLoop& loop, const ConnectionKey& key);
  static void closeAll(foundation::RunLoop& loop);
  static std::size_t count(foundation::RunLoop& loop);
};

}  // namespace net
