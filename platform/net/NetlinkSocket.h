#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/foundation/Result.h"
#include "platform/net/NetlinkState.h"

namespace net {

// A route-netlink socket (owned file descriptor). Any thread; one thread at a time.
class NetlinkSocket {
 public:
  // Any thread. A socket that also receives the multicast groups in `groups` (RTMGRP_* bits),
  // blocking or not.
  static foundation::Result<NetlinkSocket> open(std::uint32_t groups, bool nonBlocking);
  // Any thread. The machine's interfaces (with their kinds from sysfs) and routes now, from a
  // fresh socket. The kernel answers at once; a 2 s receive limit guards against one that does
  // not. A dump interrupted by a change is asked again, up to three times.
  static foundation::Result<NetlinkState> readState();

  NetlinkSocket(NetlinkSocket&& other) noexcept;
  NetlinkSocket& operator=(NetlinkSocket&& other) noexcept;
  ~NetlinkSocket();

  // Any thread. The descriptor, still owned.
  int native() const { return fd_; }
  // Any thread. Gives up ownership of the descriptor.
  int release();

  // Any thread. Asks the kernel for a dump of every family's links (RTM_GETLINK) or routes
  // (RTM_GETROUTE).
  foundation::Status requestDump(std::uint16_t type);
  // Any thread. Receives one datagram from the kernel into `buffer`; datagrams from other
  // senders are dropped. Fails with EAGAIN when a non-blocking socket has nothing, ETIMEDOUT when
  // a blocking one waited too long, ENOBUFS when the kernel dropped messages, EMSGSIZE for a
  // datagram larger than the buffer.
  foundation::Result<std::size_t> receive(std::uint8_t* buffer, std::size_t size);

 private:
  NetlinkSocket(int fd, bool nonBlocking) : fd_(fd), nonBlocking_(nonBlocking) {}
  void close();

  int fd_ = -1;
  bool nonBlocking_ = false;
  std::uint32_t sequence_ = 0;
};

}  // namespace net
