#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/net/Certificate.h"
#include "platform/net/ClientIdentity.h"
#include "platform/net/HTTPMessage.h"
#include "platform/net/InputStream.h"

namespace foundation {
class RunLoop;
}

namespace net {

// Events a read stream sends its client; the numbers combine into a mask.
enum StreamEvent : unsigned {
  kStreamEventOpenCompleted = 1,
  kStreamEventHasBytesAvailable = 2,
  kStreamEventErrorOccurred = 8,
  kStreamEventEndEncountered = 16,
};

enum class StreamStatus { NotOpen, Opening, Open, AtEnd, Closed, Error };

// TLS switches for https streams. The defaults check everything against the system's CA store
// (plus certificates a test has added) and the URL's host name, and send the host as SNI.
struct TLSSettings {
  bool allowsExpiredCertificates = false;  // accept certificates outside their validity dates
  bool allowsAnyRoot = false;              // accept chains ending in an untrusted root
  bool validatesCertificateChain = true;   // false: accept any certificate at all
  // The name the certificate must carry: the URL's host when unset; an empty name checks none.
  std::optional<std::string> peerName;
  // Presented when the server asks for a client certificate: the identity and its chain, then
  // `clientCertificates`. An identity whose files cannot be used fails the stream before the
  // handshake (never a connection without it).
  std::shared_ptr<const ClientIdentity> clientIdentity;
  std::vector<std::shared_ptr<const Certificate>> clientCertificates;
};

// A proxy for a stream. Through an HTTP proxy plain requests go in absolute form and https
// requests through a CONNECT tunnel; through a SOCKS proxy both go through a tunnel to the URL's
// host, whose name the proxy resolves.
struct ProxyServer {
  enum class Kind { kHTTP, kSOCKS5, kSOCKS4a };
  std::string host;
  int port = 0;
  Kind kind = Kind::kHTTP;
  // The login. SOCKS5 sends it in its handshake (SOCKS4a sends the user name as its user ID). An
  // HTTP proxy is sent the request's Proxy-Authorization header instead; the login that header
  // was made from (or, when none is named, the header itself) keys the kept connections, so that
  // a tunnel serves only streams presenting the same login.
  std::string username;
  std::string password;
};

// One HTTP exchange: sends a request message (and its body, pulled from an InputStream) and
// delivers the response body, decoded from its framing (Content-Length, chunked or
// close-delimited; none for HEAD, 1xx, 204 and 304). The stream does nothing an HTTP engine does
// for itself: no redirects, no decompression, no authentication, no cookies.
//
// Threads: every method runs on one thread, the thread of the run loop the stream is scheduled
// on (or, when it is opened unscheduled, of the current run loop at open()); sockets, DNS,
// connects and TLS run asynchronously on that loop and never block it. Events reach the client
// on that loop, only while the stream is scheduled, and never from inside a call of the client
// into the stream. Unscheduling holds events back and loses no data: a stream scheduled again
// sends the events still owed (bytes available, end, error).
//
// Persistent connections: with attemptPersistentConnection, a stream whose response ended cleanly
// on a connection the server keeps open (HTTP/1.1 without "Connection: close", HTTP/1.0 with
// "Connection: keep-alive", a body framed by length or chunks) leaves its socket idle in a pool
// under its stream ID, host, port, scheme and proxy. A later stream with the same keys takes
// that socket when it is still open and dials otherwise. Closing a stream after its response
// ended keeps the socket for reuse; closing it in mid-response closes the socket. Idle sockets
// are dropped after kIdleConnectionLifetime, when the server closes them, and beyond
// kMaxIdleConnections.
class HTTPReadStream : public std::enable_shared_from_this<HTTPReadStream> {
 public:
  using Client = std::function<void(StreamEvent)>;

  static constexpr double kIdleConnectionLifetime = 120.0;  // seconds
  static constexpr std::size_t kMaxIdleConnections = 32;    // per run loop

  // Any thread. A stream for a copy of the request message; `body` (may be null) is the request
  // body, sent with the message's Content-Length, or chunked when the message sets none.
  static std::shared_ptr<HTTPReadStream> create(const HTTPMessage& request,
                                                std::shared_ptr<InputStream> body = nullptr);
  ~HTTPReadStream();
  HTTPReadStream(const HTTPReadStream&) = delete;
  HTTPReadStream& operator=(const HTTPReadStream&) = delete;

  // --- Properties; set before open() ---

  // Stream's thread. TLS switches for an https URL (ignored for http).
  void setTLSSettings(TLSSettings settings);
  // Stream's thread. Send through a proxy; nullopt (the default) connects directly.
  void setProxy(std::optional<ProxyServer> proxy);
  // Stream's thread. Take an idle socket with the same stream ID and leave the socket idle for
  // reuse at the end (see above). Off by default.
  void setAttemptPersistentConnection(bool attempt);
  // Stream's thread. The stream ID that persistent connections are shared under.
  void setStreamID(long long streamID);

  // --- Life cycle ---

  // Stream's thread. Registers (or with a null client, removes) the client for the events in
  // `eventMask`; returns false for a closed stream. Callbacks may call any method of the stream,
  // including close(), and may drop the last reference to it.
  bool setClient(unsigned eventMask, Client client);
  // Stream's thread. Events go to the client on `loop` from now on; `loop` must be the current
  // thread's loop and, once opened, the loop the stream was opened on.
  void scheduleInRunLoop(foundation::RunLoop& loop);
  // Stream's thread. Holds events back until scheduled again; I/O goes on, bounded by a buffer.
  void unscheduleFromRunLoop();
  bool isScheduled() const;

  // Stream's thread. Starts resolving, connecting and sending; returns at once. False when the
  // stream was opened before, or (with error()) when its request cannot be sent.
  bool open();
  // Stream's thread. Ends the stream: no more events, pending I/O is cancelled. The socket is
  // kept idle for reuse when the response had ended cleanly (see above), else closed.
  void close();

  StreamStatus status() const;
  // The failure, once status() is Error.
  foundation::ErrorPtr error() const;

  // --- Reading ---

  // Stream's thread. Whether decoded body bytes wait to be read.
  bool hasBytesAvailable() const;
  // Stream's thread. Copies up to `maxLength` body bytes: the count, 0 when none wait (the end is
  // announced by kStreamEventEndEncountered; status() is then AtEnd), negative after a failure.
  long long read(std::uint8_t* buffer, std::size_t maxLength);

  // Stream's thread. A copy of the response head as far as it arrived: nullptr before the first
  // byte, a message whose isHeaderComplete() is false while the head is incomplete.
  std::shared_ptr<HTTPMessage> responseHeader() const;
  // Stream's thread. Request body bytes written to the connection so far (head excluded).
  std::uint64_t requestBodyBytesWritten() const;
  // Stream's thread. Whether the request went out on a reused idle socket.
  bool connectionWasReused() const;

  // --- Process-wide ---

  // Loop thread. Closes the idle sockets kept for the current thread's run loop.
  static void closeIdleConnections();
  // Loop thread. The number of idle sockets kept for the current thread's run loop.
  static std::size_t idleConnectionCount();
  // Any thread; for tests. PEM certificates trusted as roots in addition to the system's store
  // by streams opened afterwards; an empty text removes them.
  static void setAdditionalTrustedCertificates(std::string pem);

  struct Impl;  // defined in the .cpp files

 private:
  HTTPReadStream() = default;
  std::unique_ptr<Impl> impl_;
};

}  // namespace net
