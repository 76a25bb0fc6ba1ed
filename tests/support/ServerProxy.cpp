#include "tests/support/detail/ServerProxy.h"

#include <algorithm>
#include <array>
#include <boost/asio/as_tuple.hpp>
#include <boost/asio/connect.hpp>
#include <boost/asio/experimental/awaitable_operators.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <set>

#include "tests/support/detail/ReplyWriter.h"

namespace testsupport::detail {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using asio::awaitable;
using namespace asio::experimental::awaitable_operators;
constexpr auto kTuple = asio::as_tuple(asio::use_awaitable);

awaitable<bool> connectUpstream(tcp::socket& upstream, const std::string& authority) {
  // Named locals, not temporaries, around co_await: GCC 12 destroys such temporaries twice.
  const auto colon = authority.rfind(':');
  const std::string host = authority.substr(0, colon);
  const std::string service = colon == std::string::npos ? "80" : authority.substr(colon + 1);
  tcp::resolver resolver(upstream.get_executor());
  auto [resolveError, endpoints] = co_await resolver.async_resolve(host, service, kTuple);
  if (resolveError) co_return false;
  auto [connectError, endpoint] = co_await asio::async_connect(upstream, endpoints, kTuple);
  co_return !connectError;
}

awaitable<void> refuse(tcp::socket& client, const RecordedRequest& request) {
  const auto bytes = writeReply(Reply::text("bad gateway", 502), request);
  co_await asio::async_write(client, asio::buffer(bytes.bytes), kTuple);
}

awaitable<void> relay(tcp::socket& from, tcp::socket& to) {
  std::array<char, 64 * 1024> chunk;
  for (;;) {
    auto [readError, bytes] = co_await from.async_read_some(asio::buffer(chunk), kTuple);
    if (bytes > 0) {
      auto [writeError, written] = co_await asio::async_write(to, asio::buffer(chunk.data(), bytes), kTuple);
      if (writeError) break;
    }
    if (readError) break;
  }
  boost::system::error_code ignored;
  to.shutdown(tcp::socket::shutdown_send, ignored);
}

}  // namespace

awaitable<void> tunnel(tcp::socket& client, boost::beast::flat_buffer& buffer, const RecordedRequest& request) {
  tcp::socket upstream(client.get_executor());
  if (!co_await connectUpstream(upstream, request.target)) co_return co_await refuse(client, request);
  const std::string established = "HTTP/1.1 200 Connection established\r\n\r\n";
  co_await asio::async_write(client, asio::buffer(established), kTuple);
  if (buffer.size() > 0) co_await asio::async_write(upstream, buffer.data(), kTuple);
  co_await (relay(client, upstream) && relay(upstream, client));
}

awaitable<void> forward(tcp::socket& client, const RecordedRequest& request) {
  const auto schemeEnd = request.target.find("://");
  if (schemeEnd == std::string::npos) co_return co_await refuse(client, request);
  const auto pathStart = request.target.find('/', schemeEnd + 3);
  const std::string authority = request.target.substr(schemeEnd + 3, pathStart - schemeEnd - 3);
  tcp::socket upstream(client.get_executor());
  if (!co_await connectUpstream(upstream, authority)) co_return co_await refuse(client, request);
  std::string head = request.method + " " + (pathStart == std::string::npos ? "/" : request.target.substr(pathStart)) +
                     " " + request.version + "\r\n";
  for (const auto& [name, value] : request.headers) {
    static const std::set<std::string> kDropped = {"proxy-authorization", "proxy-connection", "connection",
                                                   "transfer-encoding", "content-length"};
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (!kDropped.count(lower)) head += name + ": " + value + "\r\n";
  }
  if (!request.body.empty()) head += "Content-Length: " + std::to_string(request.body.size()) + "\r\n";
  head += "Connection: close\r\n\r\n";
  const std::string message = head + request.body;
  co_await asio::async_write(upstream, asio::buffer(message), kTuple);
  co_await relay(upstream, client);
}

}  // namespace testsupport::detail
