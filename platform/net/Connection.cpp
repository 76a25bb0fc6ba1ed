#include "platform/net/Connection.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <sys/socket.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/write.hpp>
#include <cerrno>
#include <mutex>
#include <optional>

#include "platform/foundation/CryptoLibrary.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ClientCredentialFiles.h"
#include "platform/net/NetErrors.h"

namespace net {
namespace {

namespace asio = boost::asio;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;
using boost::system::error_code;

// The shared client TLS context: the system's CA store plus the roots a test added. Replaced
// (not changed) when the extra roots change, so live connections keep the one they began with.
class TLSContextHolder {
 public:
  static TLSContextHolder& instance() {
    static TLSContextHolder* holder = new TLSContextHolder();  // lives for the run
    return *holder;
  }

  std::shared_ptr<ssl::context> context() {
    std::lock_guard lock(mutex_);
    if (!context_) context_ = makeContext(extraRoots_);
    return context_;
  }

  void setExtraRoots(std::string pem) {
    std::lock_guard lock(mutex_);
    extraRoots_ = std::move(pem);
    context_.reset();
  }

 private:
  static std::shared_ptr<ssl::context> makeContext(const std::string& extraRoots) {
    auto context = std::make_shared<ssl::context>(ssl::context::tls_client);
    context->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                         ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1);
    error_code ignored;
    context->set_default_verify_paths(ignored);
    if (!extraRoots.empty()) addRoots(*context, extraRoots);
    return context;
  }

  static void addRoots(ssl::context& context, const std::string& pem) {
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509_STORE* store = SSL_CTX_get_cert_store(context.native_handle());
    while (X509* certificate = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
      X509_STORE_add_cert(store, certificate);
      X509_free(certificate);
    }
    ERR_clear_error();  // the loop ends on a "no start line" error
    BIO_free(bio);
  }

  std::mutex mutex_;
  std::string extraRoots_;
  std::shared_ptr<ssl::context> context_;
};

bool isUntrustedRoot(int verifyError) {
  switch (verifyError) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return true;
    default:
      return false;
  }
}

bool isOutsideValidity(int verifyError) {
  return verifyError == X509_V_ERR_CERT_HAS_EXPIRED || verifyError == X509_V_ERR_CERT_NOT_YET_VALID;
}

long long tlsCodeForVerifyError(int verifyError) {
  if (verifyError == X509_V_ERR_CERT_HAS_EXPIRED) return kTLSCertificateExpired;
  if (verifyError == X509_V_ERR_CERT_NOT_YET_VALID) return kTLSCertificateNotYetValid;
  if (isUntrustedRoot(verifyError)) return kTLSUnknownRoot;
  return kTLSCertificateInvalid;
}

foundation::ErrorPtr tlsError(long long code, const std::string& why) {
  return foundation::makeError(kOSStatusErrorDomain, code, "TLS failure: " + why);
}

bool isTLSCategory(const error_code& ec) {
  return ec.category() == asio::error::get_ssl_category() || ec.category() == ssl::error::get_stream_category();
}

IOOutcome classify(const error_code& ec) {
  using Kind = IOOutcome::Kind;
  if (!ec) return {};
  if (ec == asio::error::operation_aborted) return {Kind::kAborted, nullptr};
  if (ec == asio::error::eof || ec == ssl::error::stream_truncated) return {Kind::kEndOfStream, nullptr};
  auto detail = foundation::makeError(foundation::kPOSIXErrorDomain, ec.value(), ec.message());
  if (ec == asio::error::connection_reset) return {Kind::kReset, detail};
  if (ec == asio::error::broken_pipe) return {Kind::kBrokenPipe, detail};
  if (ec == asio::error::not_connected) return {Kind::kNotConnected, detail};
  if (isTLSCategory(ec)) return {Kind::kFailed, tlsError(kTLSProtocolError, ec.message())};
  return {Kind::kFailed, detail};
}

}  // namespace

struct Connection::Impl {
  explicit Impl(foundation::RunLoop& runLoop) : loop(runLoop), io(runLoop.ioContext()), resolver(io), socket(io) {}

  foundation::RunLoop& loop;
  asio::io_context& io;
  tcp::resolver resolver;
  tcp::socket socket;
  std::shared_ptr<ssl::context> tlsContext;
  std::optional<ssl::stream<tcp::socket>> tls;
  int firstVerifyError = X509_V_OK;
  bool closed = false;

  tcp::socket& lowestLayer() { return tls ? tls->next_layer() : socket; }

  // Decides one certificate of the chain: OpenSSL's verdict, relaxed by the switches.
  bool verify(const TLSSettings& settings, bool preverified, X509_STORE_CTX* store) {
    if (preverified) return true;
    const int error = X509_STORE_CTX_get_error(store);
    if (settings.allowsExpiredCertificates && isOutsideValidity(error)) return true;
    if (settings.allowsAnyRoot && isUntrustedRoot(error)) return true;
    if (firstVerifyError == X509_V_OK) firstVerifyError = error;
    return false;
  }

  // Host name (or address) the certificate must carry; empty checks none.
  static std::string peerName(const std::string& host, const TLSSettings& settings) {
    return settings.peerName ? *settings.peerName : host;
  }

  void configureVerification(const std::string& host, const TLSSettings& settings) {
    SSL* handle = tls->native_handle();
    error_code ignored;
    if (!settings.validatesCertificateChain) {
      tls->set_verify_mode(ssl::verify_none, ignored);
      return;
    }
    const std::string name = peerName(host, settings);
    if (!name.empty()) {
      X509_VERIFY_PARAM* parameters = SSL_get0_param(handle);
      error_code addressError;
      (void)asio::ip::make_address(name, addressError);
      if (!addressError)
        X509_VERIFY_PARAM_set1_ip_asc(parameters, name.c_str());
      else
        X509_VERIFY_PARAM_set1_host(parameters, name.c_str(), name.size());
    }
    tls->set_verify_mode(ssl::verify_peer, ignored);
    tls->set_verify_callback(
        [this, settings](bool preverified, ssl::verify_context& context) {
          return verify(settings, preverified, context.native_handle());
        },
        ignored);
  }

  foundation::ErrorPtr handshakeError(const error_code& ec) const {
    if (firstVerifyError != X509_V_OK)
      return tlsError(tlsCodeForVerifyError(firstVerifyError), X509_verify_cert_error_string(firstVerifyError));
    return tlsError(kTLSProtocolError, "handshake failed: " + ec.message());
  }
};

std::shared_ptr<Connection> Connection::create(foundation::RunLoop& loop) {
  std::shared_ptr<Connection> connection(new Connection());
  connection->impl_ = std::make_unique<Impl>(loop);
  return connection;
}

Connection::~Connection() { close(); }

void Connection::connect(const std::string& host, int port, StepCompletion done) {
  auto self = shared_from_this();
  impl_->resolver.async_resolve(
      host, std::to_string(port), tcp::resolver::numeric_service,
      [self, host, done = std::move(done)](const error_code& ec, const tcp::resolver::results_type& results) {
        if (self->impl_->closed) return done(nullptr);
        if (ec)
          return done(
              foundation::makeError(kCFNetworkErrorDomain, kCannotFindHost,
                                    "A server with the name " + host + " could not be found (" + ec.message() + ")"));
        asio::async_connect(
            self->impl_->socket, results, [self, host, done](const error_code& connectError, const tcp::endpoint&) {
              if (self->impl_->closed) return done(nullptr);
              if (connectError)
                return done(foundation::makeError(kCFNetworkErrorDomain, kCannotConnectToHost,
                                                  "Could not connect to " + host + " (" + connectError.message() + ")",
                                                  foundation::makeError(foundation::kPOSIXErrorDomain,
                                                                        connectError.value(), connectError.message())));
              error_code ignored;
              self->impl_->socket.set_option(tcp::no_delay(true), ignored);
              done(nullptr);
            });
      });
}

void Connection::startTLS(const std::string& host, const TLSSettings& settings, StepCompletion done) {
  Impl& impl = *impl_;
  impl.tlsContext = TLSContextHolder::instance().context();
  impl.tls.emplace(std::move(impl.socket), *impl.tlsContext);
  error_code notAnAddress;
  (void)asio::ip::make_address(host, notAnAddress);
  if (notAnAddress)  // SNI carries names only
    SSL_ctrl(impl.tls->native_handle(), SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
             const_cast<char*>(host.c_str()));
  impl.configureVerification(host, settings);
  auto self = shared_from_this();
  if (settings.clientIdentity) {
    if (auto presented =
            presentClientIdentity(impl.tls->native_handle(), *settings.clientIdentity, settings.clientCertificates);
        !presented) {
      // Reported like a handshake's outcome: after this call returns.
      asio::post(impl.io, [self, done = std::move(done), error = presented.error()] {
        done(self->impl_->closed ? nullptr : error);
      });
      return;
    }
  }
  impl.tls->async_handshake(ssl::stream_base::client, [self, done = std::move(done)](const error_code& ec) {
    if (self->impl_->closed) return done(nullptr);
    done(ec ? self->impl_->handshakeError(ec) : nullptr);
  });
}

void Connection::write(const std::uint8_t* data, std::size_t size, Completion done) {
  auto self = shared_from_this();
  auto handler = [self, done = std::move(done)](const error_code& ec, std::size_t bytes) { done(bytes, classify(ec)); };
  if (impl_->tls)
    asio::async_write(*impl_->tls, asio::buffer(data, size), std::move(handler));
  else
    asio::async_write(impl_->socket, asio::buffer(data, size), std::move(handler));
}

void Connection::readSome(std::uint8_t* buffer, std::size_t size, Completion done) {
  auto self = shared_from_this();
  auto handler = [self, done = std::move(done)](const error_code& ec, std::size_t bytes) { done(bytes, classify(ec)); };
  if (impl_->tls)
    impl_->tls->async_read_some(asio::buffer(buffer, size), std::move(handler));
  else
    impl_->socket.async_read_some(asio::buffer(buffer, size), std::move(handler));
}

void Connection::close() {
  if (!impl_ || impl_->closed) return;
  impl_->closed = true;
  impl_->resolver.cancel();
  error_code ignored;
  impl_->lowestLayer().shutdown(tcp::socket::shutdown_both, ignored);
  impl_->lowestLayer().close(ignored);
}

bool Connection::isOpen() const { return !impl_->closed && impl_->lowestLayer().is_open(); }
bool Connection::usesTLS() const { return impl_->tls.has_value(); }
foundation::RunLoop& Connection::loop() const { return impl_->loop; }

bool Connection::isIdleAndAlive() const {
  if (!isOpen()) return false;
  std::uint8_t byte = 0;
  const auto result = ::recv(impl_->lowestLayer().native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

void setAdditionalTrustedCertificatesPEM(std::string pem) {
  TLSContextHolder::instance().setExtraRoots(std::move(pem));
}

}  // namespace net
