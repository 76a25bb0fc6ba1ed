#include "platform/net/NetlinkMonitor.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <cerrno>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/net/NetlinkSocket.h"

namespace net {

namespace {

constexpr std::uint32_t kWatchedGroups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
constexpr std::size_t kReceiveBufferSize = 64 * 1024;

enum class Drain { kNothing, kNews, kBroken };

}  // namespace

struct NetlinkMonitor::Impl : std::enable_shared_from_this<Impl> {
  Impl(foundation::RunLoop& runLoop, std::function<void()> onChange)
      : loop(runLoop), descriptor(runLoop.ioContext()), changed(std::move(onChange)), buffer(kReceiveBufferSize) {}

  void arm() {
    descriptor.async_wait(boost::asio::posix::stream_descriptor::wait_read,
                          [weak = weak_from_this()](const boost::system::error_code& error) {
                            auto self = weak.lock();
                            if (self && !error && !self->stopped) self->onReadable();
                          });
  }

  void onReadable() {
    const Drain drained = drain();
    if (drained != Drain::kNothing) changed();
    if (drained != Drain::kBroken && !stopped) arm();
  }

  // Reads everything waiting. A socket that fails for another reason than an overflow is given
  // up after one last change call, so that watchers read the state once more.
  Drain drain() {
    Drain result = Drain::kNothing;
    for (;;) {
      sockaddr_nl sender{};
      socklen_t senderSize = sizeof sender;
      const ssize_t received = ::recvfrom(descriptor.native_handle(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                          reinterpret_cast<sockaddr*>(&sender), &senderSize);
      if (received >= 0) {
        if (sender.nl_pid == 0) result = Drain::kNews;
        continue;
      }
      if (errno == EINTR) continue;
      if (errno == ENOBUFS) {
        result = Drain::kNews;
        continue;
      }
      if (errno == EAGAIN || errno == EWOULDBLOCK) return result;
      return Drain::kBroken;
    }
  }

  foundation::RunLoop& loop;
  boost::asio::posix::stream_descriptor descriptor;
  std::function<void()> changed;
  std::vector<std::uint8_t> buffer;
  std::atomic<bool> stopped{false};
};

foundation::Result<std::unique_ptr<NetlinkMonitor>> NetlinkMonitor::start(foundation::RunLoop& loop,
                                                                          std::function<void()> changed) {
  auto socket = NetlinkSocket::open(kWatchedGroups, true);
  if (!socket) return socket.error();
  auto impl = std::make_shared<Impl>(loop, std::move(changed));
  boost::system::error_code error;
  impl->descriptor.assign(socket->native(), error);
  if (error) return foundation::posixError(error.value(), "Cannot watch the network state");
  socket->release();
  impl->arm();
  return std::unique_ptr<NetlinkMonitor>(new NetlinkMonitor(std::move(impl)));
}

NetlinkMonitor::NetlinkMonitor(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

NetlinkMonitor::~NetlinkMonitor() {
  impl_->stopped = true;
  if (impl_->loop.isCurrent()) return;
  // The descriptor belongs to the loop's io_context and is closed on its thread.
  foundation::RunLoop& loop = impl_->loop;
  loop.post([impl = std::move(impl_)]() mutable { impl.reset(); });
}

}  // namespace net
