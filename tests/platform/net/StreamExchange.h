#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/net/HTTPReadStream.h"

namespace net::testing {

// How a StreamExchange sets its stream up: StreamOptions().method("POST").persistent().
struct StreamOptions {
  std::string method_ = "GET";
  HTTPVersion version_ = HTTPVersion::HTTP1_1;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::shared_ptr<InputStream> body_;
  bool persistent_ = false;
  long long streamID_ = 1;
  TLSSettings tls_;
  std::optional<ProxyServer> proxy_;
  std::size_t readSize_ = 16384;

  StreamOptions& method(std::string value) { return method_ = std::move(value), *this; }
  StreamOptions& version(HTTPVersion value) { return version_ = value, *this; }
  StreamOptions& header(std::string name, std::string value) {
    return headers_.emplace_back(std::move(name), std::move(value)), *this;
  }
  StreamOptions& body(std::shared_ptr<InputStream> value) { return body_ = std::move(value), *this; }
  StreamOptions& persistent(long long streamID = 1) { return persistent_ = true, streamID_ = streamID, *this; }
  StreamOptions& tls(TLSSettings value) { return tls_ = std::move(value), *this; }
  StreamOptions& proxy(ProxyServer value) { return proxy_ = std::move(value), *this; }
  StreamOptions& readSize(std::size_t value) { return readSize_ = value, *this; }
};

// Drives one read stream on the main run loop the way the HTTP engine does: scheduled on the
// loop, one read per bytes-available event, and records what the client sees.
class StreamExchange {
 public:
  explicit StreamExchange(const std::string& url, StreamOptions setup = StreamOptions()) {
    auto message = HTTPMessage::createRequest(setup.method_, url, setup.version_);
    EXPECT_TRUE(message.ok()) << url;
    for (const auto& [name, value] : setup.headers_) (*message)->setHeaderFieldValue(name, value);
    stream = HTTPReadStream::create(**message, setup.body_);
    stream->setAttemptPersistentConnection(setup.persistent_);
    stream->setStreamID(setup.streamID_);
    stream->setTLSSettings(setup.tls_);
    stream->setProxy(setup.proxy_);
    readSize_ = setup.readSize_;
    stream->setClient(kStreamEventHasBytesAvailable | kStreamEventErrorOccurred | kStreamEventEndEncountered,
                      [this](StreamEvent event) { handle(event); });
    stream->scheduleInRunLoop(foundation::RunLoop::main());
    opened = stream->open();
  }

  ~StreamExchange() {
    if (stream) stream->close();
  }

  // Runs the main loop until the end or an error; false when neither came in time.
  bool run() {
    return foundation::RunLoop::main().runUntil([this] { return ended || error; });
  }

  int status() const {
    auto head = stream->responseHeader();
    return head ? head->statusCode() : 0;
  }

  std::shared_ptr<HTTPReadStream> stream;
  bool opened = false;
  std::string body;
  std::vector<StreamEvent> events;
  bool ended = false;
  foundation::ErrorPtr error;

 private:
  void handle(StreamEvent event) {
    events.push_back(event);
    if (event == kStreamEventHasBytesAvailable) {
      std::vector<std::uint8_t> buffer(readSize_);
      const long long count = stream->read(buffer.data(), buffer.size());
      if (count > 0) body.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(count));
    } else if (event == kStreamEventEndEncountered) {
      EXPECT_FALSE(ended) << "end delivered twice";
      ended = true;
    } else if (event == kStreamEventErrorOccurred) {
      error = stream->error();
    }
  }

  std::size_t readSize_ = 16384;
};

// Runs the main loop until `condition` holds, looking at it every millisecond as well as after
// each handler: for conditions that change without the loop hearing of it (the kernel's view of
// an idle socket).
inline bool pollUntil(const std::function<bool()>& condition) {
  auto& loop = foundation::RunLoop::main();
  auto timer = loop.scheduleTimer(foundation::Duration(0.001), true, [] {});
  const bool held = loop.runUntil(condition);
  timer->invalidate();
  return held;
}

inline std::size_t countOf(const std::vector<StreamEvent>& events, StreamEvent event) {
  return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
}

}  // namespace net::testing
