#include "platform/net/NetlinkSocket.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace net {

namespace {

constexpr std::size_t kReceiveBufferSize = 64 * 1024;
constexpr int kDumpAttempts = 3;

// The kernel dumps a whole table from one request; the body names the family (all of them).
template <class Body>
struct DumpRequest {
  nlmsghdr header;
  Body body;
};

template <class Body>
DumpRequest<Body> dumpRequest(std::uint16_t type, std::uint32_t sequence) {
  DumpRequest<Body> request{};
  request.header.nlmsg_len = sizeof request;
  request.header.nlmsg_type = type;
  request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  request.header.nlmsg_seq = sequence;
  return request;
}

foundation::Status readDump(NetlinkSocket& socket, std::uint16_t type, NetlinkState& state) {
  if (auto sent = socket.requestDump(type); !sent) return sent;
  std::vector<std::uint8_t> buffer(kReceiveBufferSize);
  for (;;) {
    auto received = socket.receive(buffer.data(), buffer.size());
    if (!received) return received.error();
    auto done = state.addDumpReply(buffer.data(), *received);
    if (!done) return done.error();
    if (*done) return {};
  }
}

foundation::Result<NetlinkState> readStateOnce() {
  auto socket = NetlinkSocket::open(0, false);
  if (!socket) return socket.error();
  NetlinkState state;
  if (auto links = readDump(*socket, RTM_GETLINK, state); !links) return links.error();
  if (auto routes = readDump(*socket, RTM_GETROUTE, state); !routes) return routes.error();
  for (NetlinkInterface& link : state.interfaces) link.kind = netlinkInterfaceKind(link.name, link.flags);
  return state;
}

}  // namespace

foundation::Result<NetlinkSocket> NetlinkSocket::open(std::uint32_t groups, bool nonBlocking) {
  const int type = SOCK_RAW | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0);
  NetlinkSocket socket(::socket(AF_NETLINK, type, NETLINK_ROUTE), nonBlocking);
  if (socket.fd_ < 0) return foundation::posixError(errno, "Cannot open a netlink socket");
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = groups;
  if (::bind(socket.fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
    return foundation::posixError(errno, "Cannot bind a netlink socket");
  if (!nonBlocking) {
    timeval limit{2, 0};
    if (::setsockopt(socket.fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0)
      return foundation::posixError(errno, "Cannot limit a netlink socket's wait");
  }
  return socket;
}

foundation::Result<NetlinkState> NetlinkSocket::readState() {
  for (int attempt = 1;; ++attempt) {
    auto state = readStateOnce();
    if (state || attempt == kDumpAttempts || !state.error()->is(foundation::kPOSIXErrorDomain, EAGAIN)) return state;
  }
}

NetlinkSocket::NetlinkSocket(NetlinkSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), nonBlocking_(other.nonBlocking_), sequence_(other.sequence_) {}

NetlinkSocket& NetlinkSocket::operator=(NetlinkSocket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    nonBlocking_ = other.nonBlocking_;
    sequence_ = other.sequence_;
  }
  return *this;
}

NetlinkSocket::~NetlinkSocket() { close(); }

void NetlinkSocket::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int NetlinkSocket::release() { return std::exchange(fd_, -1); }

foundation::Status NetlinkSocket::requestDump(std::uint16_t type) {
  const auto links = dumpRequest<ifinfomsg>(type, ++sequence_);
  const auto routes = dumpRequest<rtmsg>(type, sequence_);
  const void* request = type == RTM_GETLINK ? static_cast<const void*>(&links) : static_cast<const void*>(&routes);
  const std::size_t length = type == RTM_GETLINK ? sizeof links : sizeof routes;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  const ssize_t sent = ::sendto(fd_, request, length, 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
  if (sent != static_cast<ssize_t>(length))
    return foundation::posixError(sent < 0 ? errno : EIO, "Cannot ask for the network state");
  return {};
}

foundation::Result<std::size_t> NetlinkSocket::receive(std::uint8_t* buffer, std::size_t size) {
  for (;;) {
    sockaddr_nl sender{};
    iovec part{buffer, size};
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    const ssize_t received = ::recvmsg(fd_, &message, 0);
    if (received < 0 && errno == EINTR) continue;
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      return foundation::posixError(nonBlocking_ ? EAGAIN : ETIMEDOUT, "No network state to read");
    if (received < 0) return foundation::posixError(errno, "Cannot read the network state");
    if (message.msg_flags & MSG_TRUNC) return foundation::posixError(EMSGSIZE, "Network state reply too large");
    if (sender.nl_pid != 0) continue;  // only the kernel speaks for the network state
    return static_cast<std::size_t>(received);
  }
}

}  // namespace net
