#include "platform/net/LocalHTTPServer.h"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>
#include <map>
#include <thread>

#include "platform/foundation/Error.h"

namespace net {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
constexpr auto kTuple = asio::as_tuple(asio::use_awaitable);

LocalRequest toLocalRequest(const http::request<http::string_body>& message) {
  LocalRequest request;
  request.method = std::string(message.method_string());
  const std::string_view target = message.target();
  const std::size_t mark = target.find('?');
  request.path = std::string(target.substr(0, mark));
  if (mark != std::string_view::npos) request.query = std::string(target.substr(mark + 1));
  for (const auto& field : message)
    request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
  request.body = message.body();
  return request;
}

http::response<http::string_body> toMessage(LocalReply reply, bool head, unsigned version, bool keepAlive) {
  http::response<http::string_body> message{static_cast<http::status>(reply.status), version};
  for (auto& [name, value] : reply.headers) message.set(name, value);
  message.body() = std::move(reply.body);
  message.prepare_payload();
  message.keep_alive(keepAlive);
  if (head) message.body().clear();
  return message;
}

}  // namespace

struct LocalHTTPServer::Impl {
  std::map<std::string, Handler> routes;  // fixed once started
  asio::io_context io;
  tcp::acceptor acceptor{io};
  int port = 0;
  std::thread thread;

  const Handler* handlerFor(const std::string& path) const {
    const Handler* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [route, handler] : routes) {
      const bool matches = route == path || (route.ends_with('/') && path.starts_with(route));
      if (matches && route.size() >= bestLength) {
        best = &handler;
        bestLength = route.size();
      }
    }
    return best;
  }

  LocalReply answer(LocalRequest request) const {
    if (request.method == "HEAD") request.method = "GET";
    const Handler* handler = handlerFor(request.path);
    return handler ? (*handler)(request) : LocalReply::notFound();
  }

  asio::awaitable<void> acceptLoop() {
    for (;;) {
      auto [ec, socket] = co_await acceptor.async_accept(kTuple);
      if (ec) co_return;
      boost::system::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      asio::co_spawn(io, serve(std::move(socket)), asio::detached);
    }
  }

  asio::awaitable<void> serve(tcp::socket socket) {
    boost::beast::flat_buffer buffer;
    for (;;) {
      http::request_parser<http::string_body> parser;
      parser.body_limit(kMaxRequestBody);
      auto [readError, bytes] = co_await http::async_read(socket, buffer, parser, kTuple);
      if (readError) break;
      const auto& message = parser.get();
      const bool keepAlive = message.keep_alive();
      auto reply = toMessage(answer(toLocalRequest(message)), message.method() == http::verb::head, message.version(),
                             keepAlive);
      auto [writeError, written] = co_await http::async_write(socket, reply, kTuple);
      if (writeError || !keepAlive) break;
    }
    boost::system::error_code ignored;
    socket.shutdown(tcp::socket::shutdown_both, ignored);
  }
};

LocalHTTPServer::LocalHTTPServer() : impl_(std::make_unique<Impl>()) {}

LocalHTTPServer::~LocalHTTPServer() {
  impl_->io.stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

void LocalHTTPServer::route(std::string pathOrPrefix, Handler handler) {
  impl_->routes[std::move(pathOrPrefix)] = std::move(handler);
}

foundation::Status LocalHTTPServer::start() {
  boost::system::error_code ec;
  const tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), 0);
  impl_->acceptor.open(endpoint.protocol(), ec);
  if (!ec) impl_->acceptor.bind(endpoint, ec);
  if (!ec) impl_->acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec)
    return foundation::makeError("LocalHTTPServer", ec.value(), "Could not listen on a loopback port: " + ec.message());
  impl_->port = impl_->acceptor.local_endpoint().port();
  asio::co_spawn(impl_->io, impl_->acceptLoop(), asio::detached);
  impl_->thread = std::thread([this] { impl_->io.run(); });
  return foundation::Status::success();
}

int LocalHTTPServer::port() const { return impl_->port; }

std::string LocalHTTPServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }

}  // namespace net
