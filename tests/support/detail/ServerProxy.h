#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include "tests/support/LoopbackServer.h"

namespace testsupport::detail {

// The loopback server's proxy mode, on the server's thread.

// Answers CONNECT: dials the authority, says 200 and relays bytes both ways until either side
// closes (502 when the authority cannot be reached). `pending` holds bytes already read.
boost::asio::awaitable<void> tunnel(boost::asio::ip::tcp::socket& client, boost::beast::flat_buffer& pending,
                                    const RecordedRequest& request);
// Forwards an absolute-form request to its origin with "Connection: close" and relays the reply.
boost::asio::awaitable<void> forward(boost::asio::ip::tcp::socket& client, const RecordedRequest& request);

}  // namespace testsupport::detail
