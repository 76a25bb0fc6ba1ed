#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One request as the server received it.
struct RecordedRequest {
  std::string method;
  std::string target;          // as sent: "/a?b", "http://host:port/a" through a proxy, "host:port" for CONNECT
  std::string version;         // "HTTP/1.1"
  HeaderList headers;          // in order, as spelled
  std::string body;            // decoded from its framing (kept up to LoopbackServer::kMaxRecordedBody)
  std::uint64_t bodySize = 0;  // the whole body's size
  std::string rawHead;         // the request line and fields exactly as received
  int connection = 0;          // 1-based number of the accepted socket that carried it
  int indexOnConnection = 0;   // 1-based position of the request on that socket
  int attempt = 0;             // 1-based count of requests that reached the same route
  bool overTLS = false;

  // The first field of that name, any case.
  std::optional<std::string> header(std::string_view name) const;
  // The target's path without the query (the authority for CONNECT).
  std::string path() const;
};

enum class BodyFraming { kContentLength, kChunked, kCloseDelimited };
enum class ContentCoding { kIdentity, kGzip, kDeflate };
// How the connection goes on after the reply.
enum class ConnectionEnd {
  kKeepAlive,    // keep serving (unless the request or HTTP/1.0 says otherwise)
  kClose,        // send "Connection: close" and close
  kSilentClose,  // close without announcing it
};
enum class Fault {
  kNone,
  kCloseWithoutReply,  // read the request, then close
  kResetWithoutReply,  // read the request, then reset (RST)
  kCloseAfterBytes,    // send `faultAfterBytes` bytes of the reply, then close
  kResetAfterBytes,    // send `faultAfterBytes` bytes of the reply, then reset
};
enum class RangeMode { kHonour, kIgnore, kUnsatisfiable };

// What the server answers to one request.
struct Reply {
  int status = 200;
  std::string reason;  // the usual phrase for the status when empty
  std::string version = "HTTP/1.1";
  HeaderList headers;
  std::string body;
  BodyFraming framing = BodyFraming::kContentLength;
  std::size_t chunkSize = 0;                        // chunked: bytes per chunk (0: one chunk)
  ContentCoding coding = ContentCoding::kIdentity;  // compresses `body`, sets Content-Encoding
  bool corruptEncoding = false;                     // damages the compressed bytes
  std::optional<std::uint64_t> announcedLength;     // a Content-Length that lies
  bool noBody = false;                              // send the head only (HEAD, or a status without body)
  // Sent verbatim instead of a reply built from the fields above; the connection closes after.
  std::optional<std::string> rawBytes;

  // Timing. Real-time delays run on the server's thread; the test thread never waits for them.
  std::chrono::milliseconds delay{0};            // before anything is sent
  std::size_t trickleBytes = 0;                  // send in pieces of this size ...
  std::chrono::milliseconds trickleInterval{0};  // ... with this pause between them
  std::string holdUntilReleased;                 // wait for release(name) before sending
  // Send this many bytes, then stop: until release(holdUntilReleased) when one is named, else
  // until the client closes the connection.
  std::optional<std::size_t> stallAfterBytes;

  Fault fault = Fault::kNone;
  std::size_t faultAfterBytes = 0;
  ConnectionEnd end = ConnectionEnd::kKeepAlive;

  Reply& header(std::string name, std::string value);

  static Reply text(std::string body, int status = 200);
  static Reply redirect(int status, std::string location);
  // 401 with a Basic challenge, or 407 for a proxy.
  static Reply basicChallenge(std::string realm, bool proxy = false);
  // A reply to a request for `content` that honours, ignores or refuses its Range header.
  static Reply ranged(const RecordedRequest& request, const std::string& content, RangeMode mode);
};

// Whether the request carries Basic credentials user:password (in Proxy-Authorization when
// `proxy`).
bool hasBasicCredentials(const RecordedRequest& request, const std::string& user, const std::string& password,
                         bool proxy = false);

struct ServerOptions {
  bool tls = false;
  bool expiredCertificate = false;
  std::string certificateNames = "DNS:localhost,IP:127.0.0.1";  // subjectAltName of the certificate
  // With TLS: a client certificate issued under this CA (PEM) is required; empty asks for none.
  std::string clientCertificateCA{};
  // Act as an HTTP proxy: absolute-form requests are forwarded to their origin and CONNECT opens
  // a tunnel; requests that match a route are answered by the route instead.
  bool proxy = false;
  std::string proxyCredentials{};  // "user:password" required in Proxy-Authorization when set
  // Asked before a request is forwarded (or tunnelled); a reply refuses it.
  std::function<std::optional<Reply>(const RecordedRequest&)> proxyGate{};
};

// An HTTP/1.1 server on 127.0.0.1 and a free port, running on its own thread, answering from
// scripts: routes by method and path, each with a reply per attempt or a handler. Everything it
// receives is recorded. Methods may be called from any thread; the recorded state is a snapshot.
// Requests without a route get 404.
class LoopbackServer {
 public:
  using Handler = std::function<Reply(const RecordedRequest&)>;
  static constexpr std::size_t kMaxRecordedBody = 16 * 1024 * 1024;

  explicit LoopbackServer(ServerOptions options = {});
  // Stops the thread and closes every socket.
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const;
  // "http://127.0.0.1:<port><path>" (https with TLS).
  std::string url(const std::string& path = "/") const;
  // The same with "localhost" as host (for certificate names).
  std::string localhostURL(const std::string& path = "/") const;
  // The PEM of the TLS certificate (empty without TLS).
  std::string certificatePEM() const;

  // Attempt n gets replies[min(n, size) - 1]. Method "*" matches any method.
  void route(std::string method, std::string path, std::vector<Reply> replies);
  void route(std::string method, std::string path, Reply reply);
  void route(std::string method, std::string path, Handler handler);
  // Every path that starts with `prefix`; a route added later still wins for its own path.
  void routePrefix(std::string method, std::string prefix, Handler handler);
  // A chain of 302 redirects path -> path/1 -> ... -> path/<hops>, which answers `final`.
  void redirectChain(const std::string& path, int hops, Reply final, int status = 302);

  // Lets held replies go (and those held under `name` later).
  void release(const std::string& name);
  // Replies currently held under `name`.
  int heldCount(const std::string& name) const;
  // Closes, without a word, every connection waiting for its next request; blocks until done.
  void closeIdleConnections();

  std::vector<RecordedRequest> requests() const;
  std::size_t requestCount() const;
  std::size_t requestCount(const std::string& path) const;
  int acceptedConnections() const;
  int openConnections() const;
  int maxConcurrentRequests() const;
  int failedTLSHandshakes() const;

  // Blocks the calling thread (on the server's own synchronisation, no polling) until `count`
  // requests have arrived or `timeout` passed; returns whether they did. For tests whose client
  // runs on another thread; a client on the calling thread's loop must be driven instead.
  bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  // Blocks the calling thread until `condition` (which may call this server's accessors) holds,
  // re-checking whenever the server's recorded state changes; false after `timeout`.
  bool waitFor(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace testsupport
