#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/net/HTTPReadStream.h"

namespace net {

class Connection;

// Asks a SOCKS proxy, over a connection already made to it, for a tunnel to host:port: SOCKS5
// with no login or with user name and password, or SOCKS4a. The host name goes to the proxy to
// resolve. Nothing reaches the host until `done` reports success; a refused login, a refused
// tunnel or a garbled answer is an error in the CFNetwork domain (kSOCKS... codes) that says
// which. Runs on the connection's loop thread; the handshake keeps itself alive until `done`.
void performSOCKSHandshake(std::shared_ptr<Connection> connection, const ProxyServer& proxy, const std::string& host,
                           int port, std::function<void(foundation::ErrorPtr)> done);

}  // namespace net
