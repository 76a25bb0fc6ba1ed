#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/Connection.h"
#include "platform/net/HTTPReadStream.h"
#include "platform/net/HTTPResponseParser.h"
#include "platform/net/IdleConnectionPool.h"

namespace net {

inline constexpr std::size_t kReceiveChunk = 256 * 1024;
// Decoded body bytes held for a client that reads slowly (or is unscheduled) before the stream
// stops reading the socket.
inline constexpr std::size_t kBodyHighWater = 1024 * 1024;
inline constexpr std::size_t kRequestBodyChunk = 64 * 1024;

foundation::ErrorPtr streamError(long long code, const std::string& description,
                                 foundation::ErrorPtr underlying = nullptr);

// The state of one read stream, on the stream's thread. Opening: HTTPReadStreamOpening.cpp;
// sending the request and reading the response: HTTPReadStreamExchange.cpp; events and the public
// face: HTTPReadStream.cpp.
struct HTTPReadStream::Impl {
  enum class Phase { kNotOpen, kOpening, kOpen, kClosed };

  explicit Impl(const HTTPMessage& message) : request(message) {}

  // Configuration.
  HTTPMessage request;
  std::shared_ptr<InputStream> body;
  TLSSettings tlsSettings;
  std::optional<ProxyServer> proxy;
  bool persistent = false;
  long long streamID = 0;

  // Client and loops.
  std::weak_ptr<HTTPReadStream> self;
  unsigned eventMask = 0;
  Client client;
  foundation::RunLoop* scheduledLoop = nullptr;
  foundation::RunLoop* loop = nullptr;  // the loop the I/O runs on, fixed at open()

  // State and events owed to the client.
  Phase phase = Phase::kNotOpen;
  foundation::ErrorPtr error;
  bool responseEnded = false;
  bool openOwed = false;
  bool bytesOwed = false;
  bool terminalDelivered = false;
  bool deliveryPosted = false;

  // Connection.
  std::shared_ptr<Connection> connection;
  ConnectionKey key;
  bool reused = false;
  bool tunnelling = false;     // waiting for the proxy's answer to CONNECT
  bool exchanging = false;     // the request is being sent and the response read
  bool proxyAnswered = false;  // the response is the proxy's refusal of CONNECT
  std::string proxyAuthorization;

  // Request side.
  std::string head;
  bool headQueued = false;
  bool chunked = false;
  std::optional<std::uint64_t> declaredLength;
  bool bodyDone = false;
  std::vector<std::uint8_t> writeBuffer;
  std::size_t bodyBytesInFlight = 0;
  std::uint64_t bodyBytesWritten = 0;
  bool writing = false;
  bool requestSent = false;
  std::optional<IOOutcome> writeFailure;

  // Response side.
  std::unique_ptr<HTTPResponseParser> parser;
  std::unique_ptr<HTTPResponseParser> connectParser;
  // Left uninitialised: every read asks for a large chunk, and a stream per request would
  // otherwise zero it for replies of a few hundred bytes.
  std::unique_ptr<std::uint8_t[]> receiveBuffer;
  std::size_t receiveCapacity = 0;
  std::size_t received = 0;
  bool reading = false;
  std::vector<std::uint8_t> bodyBuffer;
  std::size_t bodyOffset = 0;

  std::size_t available() const { return bodyBuffer.size() - bodyOffset; }
  // Room for a read chunk after the bytes not yet consumed.
  void reserveReceiveChunk();
  bool terminalReached() const { return responseEnded || error != nullptr; }
  bool closed() const { return phase == Phase::kClosed; }
  HTTPResponseParser& activeParser() { return tunnelling ? *connectParser : *parser; }

  // A completion that reaches this stream only while it exists.
  template <class Method>
  auto weakCall(Method method) {
    return [weak = self, method](auto&&... args) {
      if (auto stream = weak.lock()) (stream->impl_.get()->*method)(std::forward<decltype(args)>(args)...);
    };
  }

  // Opening.
  foundation::ErrorPtr prepareRequest();
  void start();
  void onConnected(foundation::ErrorPtr failure);
  void onTunnelReady(foundation::ErrorPtr failure);  // the socket leads to the URL's host
  void sendConnect();
  void onConnectWritten(std::size_t, const IOOutcome& outcome);
  void onConnectAnswered();
  void startTLS();
  void onTLSReady(foundation::ErrorPtr failure);
  void beginExchange();

  // Sending the request.
  bool queueBodyPiece();
  void frameChunk(std::size_t offset, std::size_t count);
  void writeNext();
  void onWritten(std::size_t, const IOOutcome& outcome);

  // Reading the response.
  void readMore();
  void onRead(std::size_t bytes, const IOOutcome& outcome);
  void consumeReceived();
  void onResponseEnded();
  void settleConnection(bool strayBytes);
  void onConnectionEnded(const IOOutcome& outcome);
  foundation::ErrorPtr endedError(const IOOutcome& outcome) const;
  void appendBody(const std::uint8_t* data, std::size_t size);
  void fail(foundation::ErrorPtr failure);

  // Events.
  void scheduleDelivery();
  void deliver();
  void emit(StreamEvent event);
};

}  // namespace net
