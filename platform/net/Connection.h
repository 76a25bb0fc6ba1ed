#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/net/HTTPReadStream.h"

namespace foundation {
class RunLoop;
}

namespace net {

// How an I/O operation on a connection ended.
struct IOOutcome {
  enum class Kind { kDone, kEndOfStream, kReset, kBrokenPipe, kNotConnected, kAborted, kFailed };
  Kind kind = Kind::kDone;
  foundation::ErrorPtr error;  // for kFailed (TLS errors in the TLS domain) and as detail otherwise

  bool ok() const { return kind == Kind::kDone; }
};

// One TCP connection, optionally with TLS on top, driven by a run loop's io_context. Every method
// runs on that loop's thread; completions run there too, after the call that started them has
// returned. At most one read and one write may be outstanding at a time.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  using Completion = std::function<void(std::size_t bytes, const IOOutcome& outcome)>;
  using StepCompletion = std::function<void(foundation::ErrorPtr)>;

  // Loop thread. An unconnected connection on `loop`.
  static std::shared_ptr<Connection> create(foundation::RunLoop& loop);
  ~Connection();

  // Loop thread. Resolves `host` without blocking and connects to the first address that
  // answers. Errors: net::kCannotFindHost, net::kCannotConnectToHost.
  void connect(const std::string& host, int port, StepCompletion done);
  // Loop thread. TLS handshake over the connected socket: SNI for host names, verification as
  // the settings say. Errors are in the TLS domain.
  void startTLS(const std::string& host, const TLSSettings& settings, StepCompletion done);
  // Loop thread. Writes all the bytes (the caller keeps them alive until completion).
  void write(const std::uint8_t* data, std::size_t size, Completion done);
  // Loop thread. Reads some bytes into the buffer (kept alive by the caller until completion).
  void readSome(std::uint8_t* buffer, std::size_t size, Completion done);
  // Loop thread. Closes the socket; outstanding operations complete with kAborted.
  void close();

  bool isOpen() const;
  bool usesTLS() const;
  foundation::RunLoop& loop() const;
  // Loop thread. For an idle connection: whether the peer has neither closed it nor sent
  // anything since (a non-blocking look at the socket).
  bool isIdleAndAlive() const;

  struct Impl;

 private:
  Connection() = default;
  std::unique_ptr<Impl> impl_;
};

// Any thread. Trusted roots for TLS connections made from now on, beside the system's store.
void setAdditionalTrustedCertificatesPEM(std::string pem);

}  // namespace net
