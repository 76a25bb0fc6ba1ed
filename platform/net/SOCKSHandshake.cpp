#include "platform/net/SOCKSHandshake.h"

#include <boost/asio/ip/address.hpp>
#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/net/Connection.h"
#include "platform/net/NetErrors.h"

namespace net {
namespace {

using foundation::Bytes;

constexpr std::uint8_t kSOCKS5 = 5;
constexpr std::uint8_t kNoLogin = 0x00;
constexpr std::uint8_t kUserPasswordLogin = 0x02;
constexpr std::uint8_t kNoAcceptableMethod = 0xFF;
constexpr std::uint8_t kConnectCommand = 0x01;
constexpr std::uint8_t kIPv4Address = 0x01;
constexpr std::uint8_t kDomainName = 0x03;
constexpr std::uint8_t kIPv6Address = 0x04;
constexpr std::uint8_t kSOCKS4Granted = 0x5A;

foundation::ErrorPtr socksError(long long code, const std::string& description,
                                foundation::ErrorPtr underlying = nullptr) {
  return foundation::makeError(kCFNetworkErrorDomain, code, description, std::move(underlying));
}

std::string socks5Refusal(std::uint8_t reply) {
  static const char* const kReasons[] = {"",
                                         "general failure",
                                         "not allowed by its rules",
                                         "network unreachable",
                                         "host unreachable",
                                         "connection refused",
                                         "time-out",
                                         "command not supported",
                                         "address type not supported"};
  if (reply < std::size(kReasons)) return kReasons[reply];
  return "reply " + std::to_string(reply);
}

void appendPort(Bytes& bytes, int port) {
  bytes.push_back(static_cast<std::uint8_t>(port >> 8));
  bytes.push_back(static_cast<std::uint8_t>(port & 0xFF));
}

// One handshake: writes a message, reads an exact number of bytes, and goes on to the next step.
class Handshake : public std::enable_shared_from_this<Handshake> {
 public:
  Handshake(std::shared_ptr<Connection> connection, ProxyServer proxy, std::string host, int port,
            std::function<void(foundation::ErrorPtr)> done)
      : connection_(std::move(connection)),
        proxy_(std::move(proxy)),
        host_(std::move(host)),
        port_(port),
        done_(std::move(done)) {
    if (host_.size() > 1 && host_.front() == '[') host_ = host_.substr(1, host_.size() - 2);
  }

  void start() {
    if (proxy_.kind == ProxyServer::Kind::kSOCKS4a) return sendSOCKS4aRequest();
    if (proxy_.username.size() > 255 || proxy_.password.size() > 255 || host_.size() > 255)
      return finish(socksError(kSOCKSProtocolError, "The SOCKS user name, password or host name is too long"));
    Bytes greeting{kSOCKS5, 1, kNoLogin};
    if (!proxy_.username.empty()) greeting = {kSOCKS5, 2, kNoLogin, kUserPasswordLogin};
    exchange(std::move(greeting), 2, &Handshake::onMethodChosen);
  }

 private:
  using Step = void (Handshake::*)();

  void onMethodChosen() {
    if (in_[0] != kSOCKS5) return finish(notSOCKS());
    if (in_[1] == kNoLogin) return sendConnect();
    if (in_[1] == kUserPasswordLogin && !proxy_.username.empty()) return sendLogin();
    if (in_[1] == kNoAcceptableMethod && proxy_.username.empty())
      return finish(socksError(kSOCKSNoAcceptableMethod, "The SOCKS proxy asks for a user name and password"));
    finish(socksError(kSOCKSNoAcceptableMethod, "The SOCKS proxy accepts none of the login methods offered"));
  }

  void sendLogin() {
    Bytes login{1, static_cast<std::uint8_t>(proxy_.username.size())};
    login.insert(login.end(), proxy_.username.begin(), proxy_.username.end());
    login.push_back(static_cast<std::uint8_t>(proxy_.password.size()));
    login.insert(login.end(), proxy_.password.begin(), proxy_.password.end());
    exchange(std::move(login), 2, &Handshake::onLoginAnswered);
  }

  void onLoginAnswered() {
    if (in_[1] != 0)
      return finish(socksError(kSOCKSBadCredentials, "The SOCKS proxy refused the user name and password"));
    sendConnect();
  }

  void sendConnect() {
    Bytes request{kSOCKS5, kConnectCommand, 0};
    boost::system::error_code ec;
    const auto address = boost::asio::ip::make_address(host_, ec);
    if (!ec && address.is_v4()) {
      request.push_back(kIPv4Address);
      for (auto byte : address.to_v4().to_bytes()) request.push_back(byte);
    } else if (!ec) {
      request.push_back(kIPv6Address);
      for (auto byte : address.to_v6().to_bytes()) request.push_back(byte);
    } else {
      request.push_back(kDomainName);
      request.push_back(static_cast<std::uint8_t>(host_.size()));
      request.insert(request.end(), host_.begin(), host_.end());
    }
    appendPort(request, port_);
    exchange(std::move(request), 4, &Handshake::onConnectAnswered);  // version, reply, reserved, address type
  }

  // The bound address that follows is of no use to us, but it must be read: the tunnel starts after it.
  void onConnectAnswered() {
    if (in_[0] != kSOCKS5) return finish(notSOCKS());
    if (in_[1] != 0) return finish(refused(socks5Refusal(in_[1])));
    if (in_[3] == kIPv4Address) return exchange({}, 4 + 2, &Handshake::succeed);
    if (in_[3] == kIPv6Address) return exchange({}, 16 + 2, &Handshake::succeed);
    if (in_[3] == kDomainName) return exchange({}, 1, &Handshake::onBoundNameLength);
    finish(notSOCKS());
  }

  void onBoundNameLength() { exchange({}, in_[0] + 2u, &Handshake::succeed); }

  void sendSOCKS4aRequest() {
    boost::system::error_code ec;
    const auto address = boost::asio::ip::make_address(host_, ec);
    if (!ec && !address.is_v4())
      return finish(socksError(kSOCKSProtocolError, "A SOCKS4a proxy cannot reach the IPv6 address " + host_));
    Bytes request{4, kConnectCommand};
    appendPort(request, port_);
    if (!ec) {
      for (auto byte : address.to_v4().to_bytes()) request.push_back(byte);
    } else {
      request.insert(request.end(), {0, 0, 0, 1});  // 0.0.0.x: the name follows the user ID
    }
    request.insert(request.end(), proxy_.username.begin(), proxy_.username.end());
    request.push_back(0);
    if (ec) {
      request.insert(request.end(), host_.begin(), host_.end());
      request.push_back(0);
    }
    exchange(std::move(request), 8, &Handshake::onSOCKS4aAnswered);
  }

  void onSOCKS4aAnswered() {
    if (in_[0] != 0) return finish(notSOCKS());
    if (in_[1] != kSOCKS4Granted) return finish(refused("request rejected (" + std::to_string(in_[1]) + ")"));
    succeed();
  }

  void succeed() { finish(nullptr); }

  foundation::ErrorPtr notSOCKS() const {
    return socksError(kSOCKSProtocolError, "The proxy at " + proxy_.host + ":" + std::to_string(proxy_.port) +
                                               " did not answer as a SOCKS proxy");
  }

  foundation::ErrorPtr refused(const std::string& why) const {
    return socksError(kSOCKSConnectRefused,
                      "The SOCKS proxy could not connect to " + host_ + ":" + std::to_string(port_) + ": " + why);
  }

  // Writes `message` (when not empty), then reads exactly `answerSize` bytes into in_ and runs `next`.
  void exchange(Bytes message, std::size_t answerSize, Step next) {
    out_ = std::move(message);
    in_.assign(answerSize, 0);
    received_ = 0;
    next_ = next;
    if (out_.empty()) return readRest();
    connection_->write(out_.data(), out_.size(), [self = shared_from_this()](std::size_t, const IOOutcome& outcome) {
      if (!outcome.ok()) return self->finish(self->lost(outcome));
      self->readRest();
    });
  }

  void readRest() {
    if (received_ == in_.size()) return (this->*next_)();
    connection_->readSome(in_.data() + received_, in_.size() - received_,
                          [self = shared_from_this()](std::size_t bytes, const IOOutcome& outcome) {
                            if (!outcome.ok()) return self->finish(self->lost(outcome));
                            self->received_ += bytes;
                            self->readRest();
                          });
  }

  foundation::ErrorPtr lost(const IOOutcome& outcome) const {
    return socksError(kSOCKSProtocolError, "The SOCKS proxy closed the connection during its handshake", outcome.error);
  }

  void finish(foundation::ErrorPtr failure) {
    if (auto done = std::move(done_)) done(std::move(failure));
  }

  std::shared_ptr<Connection> connection_;
  ProxyServer proxy_;
  std::string host_;
  int port_;
  std::function<void(foundation::ErrorPtr)> done_;
  Bytes out_;
  Bytes in_;
  std::size_t received_ = 0;
  Step next_ = nullptr;
};

}  // namespace

void performSOCKSHandshake(std::shared_ptr<Connection> connection, const ProxyServer& proxy, const std::string& host,
                           int port, std::function<void(foundation::ErrorPtr)> done) {
  std::make_shared<Handshake>(std::move(connection), proxy, host, port, std::move(done))->start();
}

}  // namespace net
