#include "tests/support/LoopbackServer.h"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "tests/support/TestCertificate.h"
#include "tests/support/detail/ReplyWriter.h"
#include "tests/support/detail/ServerProxy.h"

namespace testsupport {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using asio::awaitable;
using asio::use_awaitable;
constexpr auto kTuple = asio::as_tuple(use_awaitable);

tcp::socket& lowest(tcp::socket& socket) { return socket; }
tcp::socket& lowest(asio::ssl::stream<tcp::socket>& stream) { return stream.next_layer(); }

void closeSocket(tcp::socket& socket) {
  boost::system::error_code ignored;
  socket.shutdown(tcp::socket::shutdown_both, ignored);
  socket.close(ignored);
}

void resetSocket(tcp::socket& socket) {
  boost::system::error_code ignored;
  socket.set_option(asio::socket_base::linger(true, 0), ignored);
  socket.close(ignored);
}

struct Route {
  std::string method;
  std::string path;
  std::vector<Reply> replies;
  LoopbackServer::Handler handler;
  int attempts = 0;
  bool prefix = false;  // matches every path that starts with `path`

  bool matches(const RecordedRequest& request) const {
    if (method != "*" && method != request.method) return false;
    return prefix ? request.path().starts_with(path) : request.path() == path;
  }
};

struct Gate {
  bool released = false;
  int held = 0;
  std::vector<std::shared_ptr<asio::steady_timer>> waiters;
};

// Where a connection is in its exchange, for closeIdleConnections.
struct SessionState {
  tcp::socket* socket = nullptr;
  bool waitingForRequest = false;
  bool sendingLastBytes = false;
  bool closeWhenIdle = false;
};

}  // namespace

struct LoopbackServer::Impl {
  ServerOptions options;
  std::string certificatePEM;

  mutable std::mutex mutex;                      // guards what follows, up to the server-thread-only part
  mutable std::condition_variable stateChanged;  // notified, under the mutex, on every change
  std::uint64_t generation = 0;
  std::vector<Route> routes;
  std::vector<RecordedRequest> recorded;
  std::map<std::string, Gate> gates;
  int accepted = 0;
  int open = 0;
  int active = 0;
  int maxActive = 0;
  int tlsFailures = 0;

  // Server thread only.
  std::set<SessionState*> sessions;

  // Declared last: destroyed first, with the coroutines it still holds.
  asio::io_context io;
  tcp::acceptor acceptor{io};
  std::optional<asio::ssl::context> tlsContext;
  int port = 0;
  std::thread thread;

  explicit Impl(ServerOptions serverOptions) : options(std::move(serverOptions)) {}

  void start() {
    if (options.tls) setUpTLS();
    tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), 0);
    acceptor.open(endpoint.protocol());
    acceptor.set_option(tcp::acceptor::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen();
    port = acceptor.local_endpoint().port();
    asio::co_spawn(io, acceptLoop(), asio::detached);
    thread = std::thread([this] { io.run(); });
  }

  // The io_context's destruction then closes every socket and drops every suspended session.
  // Timers of held replies belong to the io_context, so they go while it still exists.
  void stop() {
    io.stop();
    if (thread.joinable()) thread.join();
    std::lock_guard lock(mutex);
    gates.clear();
  }

  void setUpTLS() {
    const TestCertificate certificate = TestCertificate::generate(options.certificateNames, options.expiredCertificate);
    certificatePEM = certificate.certificatePEM;
    tlsContext.emplace(asio::ssl::context::tls_server);
    tlsContext->use_certificate_chain(asio::buffer(certificate.certificatePEM));
    tlsContext->use_private_key(asio::buffer(certificate.privateKeyPEM), asio::ssl::context::pem);
    if (!options.clientCertificateCA.empty()) {
      tlsContext->add_certificate_authority(asio::buffer(options.clientCertificateCA));
      tlsContext->set_verify_mode(asio::ssl::verify_peer | asio::ssl::verify_fail_if_no_peer_cert);
    }
  }

  awaitable<void> acceptLoop() {
    for (;;) {
      auto [ec, socket] = co_await acceptor.async_accept(kTuple);
      if (ec) co_return;
      boost::system::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      asio::co_spawn(io, session(std::move(socket)), asio::detached);
    }
  }

  awaitable<void> session(tcp::socket socket) {
    int number = 0;
    {
      std::lock_guard lock(mutex);
      number = ++accepted;
      ++open;
      changed();
    }
    if (options.tls) {
      asio::ssl::stream<tcp::socket> stream(std::move(socket), *tlsContext);
      auto [ec] = co_await stream.async_handshake(asio::ssl::stream_base::server, kTuple);
      if (ec) {
        std::lock_guard lock(mutex);
        ++tlsFailures;
        changed();
      } else {
        co_await serve(stream, number);
      }
    } else {
      co_await serve(socket, number);
    }
    std::lock_guard lock(mutex);
    --open;
    changed();
  }

  // Called with the mutex held.
  void changed() {
    ++generation;
    stateChanged.notify_all();
  }

  template <class Stream>
  awaitable<void> serve(Stream& stream, int connection) {
    SessionState state;
    state.socket = &lowest(stream);
    sessions.insert(&state);
    boost::beast::flat_buffer buffer;
    for (int index = 1; !state.closeWhenIdle; ++index) {
      state.waitingForRequest = buffer.size() == 0;
      std::optional<RecordedRequest> request = co_await readRequest(stream, buffer);
      state.waitingForRequest = false;
      if (!request) break;
      request->connection = connection;
      request->indexOnConnection = index;
      request->overTLS = options.tls;
      if (!co_await answer(stream, buffer, *request, state)) break;
    }
    sessions.erase(&state);
    closeSocket(lowest(stream));
  }

  template <class Stream>
  awaitable<std::optional<RecordedRequest>> readRequest(Stream& stream, boost::beast::flat_buffer& buffer) {
    http::request_parser<http::string_body> parser;
    parser.header_limit(64 * 1024);
    parser.body_limit(boost::none);
    RecordedRequest request;
    bool ended = false;
    while (!parser.is_done()) {
      if (buffer.size() > 0) {
        boost::system::error_code ec;
        const bool hadHead = parser.is_header_done();
        const std::size_t used = parser.put(buffer.data(), ec);
        if (!hadHead && parser.is_header_done()) {
          request.rawHead.assign(static_cast<const char*>(buffer.data().data()), used);
          parser.eager(true);
        }
        buffer.consume(used);
        keepBody(parser.get().body(), request);
        if (ec && ec != http::error::need_more) co_return std::nullopt;
        if (parser.is_done()) break;
        if (used > 0 && !ec) continue;
      }
      if (ended) co_return std::nullopt;
      auto [ec, bytes] = co_await stream.async_read_some(buffer.prepare(64 * 1024), kTuple);
      buffer.commit(bytes);
      if (ec) ended = true;
      if (ec && bytes == 0) co_return std::nullopt;
    }
    const auto& message = parser.get();
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.version = message.version() == 10 ? "HTTP/1.0" : "HTTP/1.1";
    for (const auto& field : message)
      request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    co_return request;
  }

  static void keepBody(std::string& parsedBody, RecordedRequest& request) {
    request.bodySize += parsedBody.size();
    const std::size_t room = kMaxRecordedBody - std::min(kMaxRecordedBody, request.body.size());
    request.body.append(parsedBody, 0, std::min(room, parsedBody.size()));
    parsedBody.clear();
  }

  // Records the request and picks its reply; nullopt when the proxy is to forward it.
  std::optional<Reply> record(RecordedRequest& request) {
    std::optional<Reply> reply;
    Handler handler;
    {
      std::lock_guard lock(mutex);
      auto route = std::find_if(routes.rbegin(), routes.rend(),
                                [&](const Route& candidate) { return candidate.matches(request); });
      if (route != routes.rend()) {
        request.attempt = ++route->attempts;
        if (route->handler)
          handler = route->handler;
        else
          reply =
              route->replies[std::min<std::size_t>(static_cast<std::size_t>(request.attempt), route->replies.size()) -
                             1];
      }
      recorded.push_back(request);
      ++active;
      maxActive = std::max(maxActive, active);
      changed();
    }
    if (handler) reply = handler(request);
    if (reply || !options.proxy) return reply ? reply : Reply::text("not found", 404);
    if (!options.proxyCredentials.empty()) {
      const auto colon = options.proxyCredentials.find(':');
      if (!hasBasicCredentials(request, options.proxyCredentials.substr(0, colon),
                               options.proxyCredentials.substr(colon + 1), true))
        return Reply::basicChallenge("proxy", true);
    }
    if (options.proxyGate) return options.proxyGate(request);
    return std::nullopt;
  }

  template <class Stream>
  awaitable<bool> answer(Stream& stream, boost::beast::flat_buffer& buffer, RecordedRequest& request,
                         SessionState& state) {
    std::optional<Reply> reply = record(request);
    bool keepGoing = false;
    if (reply) {
      keepGoing = co_await send(stream, *reply, request, state);
    } else if constexpr (std::is_same_v<Stream, tcp::socket>) {
      if (request.method == "CONNECT")
        co_await detail::tunnel(stream, buffer, request);
      else
        co_await detail::forward(stream, request);
    }
    std::lock_guard lock(mutex);
    --active;
    changed();
    co_return keepGoing;
  }

  awaitable<void> pause(std::chrono::milliseconds duration) {
    asio::steady_timer timer(io, duration);
    co_await timer.async_wait(kTuple);
  }

  awaitable<void> waitForRelease(const std::string& name) {
    auto timer = std::make_shared<asio::steady_timer>(io, asio::steady_timer::time_point::max());
    {
      std::lock_guard lock(mutex);
      Gate& gate = gates[name];
      if (gate.released) co_return;
      ++gate.held;
      gate.waiters.push_back(timer);
      changed();
    }
    co_await timer->async_wait(kTuple);
    std::lock_guard lock(mutex);
    --gates[name].held;
    changed();
  }

  template <class Stream>
  awaitable<bool> sendBytes(Stream& stream, const std::string& bytes, std::size_t from, std::size_t to,
                            const Reply& reply) {
    const std::size_t piece = reply.trickleBytes == 0 ? to - from : reply.trickleBytes;
    for (std::size_t offset = from; offset < to; offset += piece) {
      if (offset > from && reply.trickleBytes > 0) co_await pause(reply.trickleInterval);
      auto [ec, written] =
          co_await asio::async_write(stream, asio::buffer(bytes.data() + offset, std::min(piece, to - offset)), kTuple);
      if (ec) co_return false;
    }
    co_return true;
  }

  template <class Stream>
  awaitable<void> waitForPeerClose(Stream& stream) {
    char scratch[4096];
    for (;;) {
      auto [ec, bytes] = co_await stream.async_read_some(asio::buffer(scratch), kTuple);
      if (ec) co_return;
    }
  }

  template <class Stream>
  awaitable<bool> send(Stream& stream, const Reply& reply, const RecordedRequest& request, SessionState& state) {
    if (reply.delay.count() > 0) co_await pause(reply.delay);
    if (!reply.holdUntilReleased.empty() && !reply.stallAfterBytes) co_await waitForRelease(reply.holdUntilReleased);
    if (reply.fault == Fault::kCloseWithoutReply) co_return (closeSocket(lowest(stream)), false);
    if (reply.fault == Fault::kResetWithoutReply) co_return (resetSocket(lowest(stream)), false);
    const detail::ReplyBytes bytes = detail::writeReply(reply, request);
    const bool cutShort = reply.fault == Fault::kCloseAfterBytes || reply.fault == Fault::kResetAfterBytes;
    const std::size_t limit = cutShort ? std::min(reply.faultAfterBytes, bytes.bytes.size()) : bytes.bytes.size();
    const std::size_t stallAt = reply.stallAfterBytes ? std::min(*reply.stallAfterBytes, limit) : limit;
    state.sendingLastBytes = !reply.stallAfterBytes;
    if (!co_await sendBytes(stream, bytes.bytes, 0, stallAt, reply)) co_return false;
    if (reply.stallAfterBytes) {
      if (reply.holdUntilReleased.empty()) {
        co_await waitForPeerClose(stream);
        co_return false;
      }
      co_await waitForRelease(reply.holdUntilReleased);
      state.sendingLastBytes = true;
      if (!co_await sendBytes(stream, bytes.bytes, stallAt, limit, reply)) co_return false;
    }
    state.sendingLastBytes = false;
    if (reply.fault == Fault::kCloseAfterBytes) co_return (closeSocket(lowest(stream)), false);
    if (reply.fault == Fault::kResetAfterBytes) co_return (resetSocket(lowest(stream)), false);
    co_return !bytes.closeAfter;
  }
};

LoopbackServer::LoopbackServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  impl_->start();
}

LoopbackServer::~LoopbackServer() { impl_->stop(); }

int LoopbackServer::port() const { return impl_->port; }

std::string LoopbackServer::url(const std::string& path) const {
  return std::string(impl_->options.tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(impl_->port) + path;
}

std::string LoopbackServer::localhostURL(const std::string& path) const {
  return std::string(impl_->options.tls ? "https" : "http") + "://localhost:" + std::to_string(impl_->port) + path;
}

std::string LoopbackServer::certificatePEM() const { return impl_->certificatePEM; }

void LoopbackServer::route(std::string method, std::string path, std::vector<Reply> replies) {
  if (replies.empty()) replies.push_back(Reply::text("", 204));
  std::lock_guard lock(impl_->mutex);
  impl_->routes.push_back({std::move(method), std::move(path), std::move(replies), nullptr, 0});
}

void LoopbackServer::route(std::string method, std::string path, Reply reply) {
  route(std::move(method), std::move(path), std::vector<Reply>{std::move(reply)});
}

void LoopbackServer::route(std::string method, std::string path, Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->routes.push_back({std::move(method), std::move(path), {}, std::move(handler), 0});
}

void LoopbackServer::routePrefix(std::string method, std::string prefix, Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->routes.push_back({std::move(method), std::move(prefix), {}, std::move(handler), 0, true});
}

void LoopbackServer::redirectChain(const std::string& path, int hops, Reply final, int status) {
  for (int hop = 0; hop < hops; ++hop) {
    const std::string from = hop == 0 ? path : path + "/" + std::to_string(hop);
    route("*", from, Reply::redirect(status, path + "/" + std::to_string(hop + 1)));
  }
  route("*", hops == 0 ? path : path + "/" + std::to_string(hops), std::move(final));
}

void LoopbackServer::release(const std::string& name) {
  asio::post(impl_->io, [impl = impl_.get(), name] {
    std::lock_guard lock(impl->mutex);
    Gate& gate = impl->gates[name];
    gate.released = true;
    for (auto& waiter : gate.waiters) waiter->cancel();
    gate.waiters.clear();
  });
}

int LoopbackServer::heldCount(const std::string& name) const {
  std::lock_guard lock(impl_->mutex);
  auto found = impl_->gates.find(name);
  return found == impl_->gates.end() ? 0 : found->second.held;
}

void LoopbackServer::closeIdleConnections() {
  std::promise<void> done;
  asio::post(impl_->io, [impl = impl_.get(), &done] {
    for (SessionState* session : impl->sessions) {
      if (session->waitingForRequest)
        closeSocket(*session->socket);
      else if (session->sendingLastBytes)
        session->closeWhenIdle = true;
    }
    done.set_value();
  });
  done.get_future().wait();
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->recorded;
}

std::size_t LoopbackServer::requestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->recorded.size();
}

std::size_t LoopbackServer::requestCount(const std::string& path) const {
  std::lock_guard lock(impl_->mutex);
  return static_cast<std::size_t>(
      std::count_if(impl_->recorded.begin(), impl_->recorded.end(),
                    [&](const RecordedRequest& request) { return request.path() == path; }));
}

int LoopbackServer::acceptedConnections() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->accepted;
}

int LoopbackServer::openConnections() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->open;
}

int LoopbackServer::maxConcurrentRequests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->maxActive;
}

int LoopbackServer::failedTLSHandshakes() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->tlsFailures;
}

bool LoopbackServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  return waitFor([&] { return requestCount() >= count; }, timeout);
}

bool LoopbackServer::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::uint64_t seen = 0;
    {
      std::lock_guard lock(impl_->mutex);
      seen = impl_->generation;
    }
    if (condition()) return true;
    std::unique_lock lock(impl_->mutex);
    if (!impl_->stateChanged.wait_until(lock, deadline, [&] { return impl_->generation != seen; })) {
      lock.unlock();
      return condition();
    }
  }
}

}  // namespace testsupport
