#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/net/HTTPReadStreamImpl.h"
#include "platform/net/NetErrors.h"

namespace net {

// Appends the next piece of the body to writeBuffer; false after a failure.
bool HTTPReadStream::Impl::queueBodyPiece() {
  std::size_t limit = kRequestBodyChunk;
  if (declaredLength)
    limit = static_cast<std::size_t>(std::min<std::uint64_t>(limit, *declaredLength - bodyBytesWritten));
  long long count = 0;
  const std::size_t offset = writeBuffer.size() + (chunked ? 32 : 0);
  if (limit > 0) {
    writeBuffer.resize(offset + limit);
    count = body->read(writeBuffer.data() + offset, limit);
    writeBuffer.resize(offset + static_cast<std::size_t>(std::max(count, 0LL)));
  }
  if (count < 0) {
    fail(streamError(kRequestBodyReadFailed, "The request body cannot be read", body->error()));
    return false;
  }
  if (count == 0) {
    bodyDone = true;
    if (declaredLength && bodyBytesWritten < *declaredLength) {
      fail(streamError(kRequestBodyReadFailed, "The request body is shorter than its Content-Length"));
      return false;
    }
    if (chunked) {
      writeBuffer.resize(writeBuffer.size() - 32);
      const char* last = "0\r\n\r\n";
      writeBuffer.insert(writeBuffer.end(), last, last + 5);
    }
    return true;
  }
  if (chunked) frameChunk(offset, static_cast<std::size_t>(count));
  bodyBytesInFlight = static_cast<std::size_t>(count);
  return true;
}

// Turns the 32 bytes reserved before the chunk at `offset` into its size line, and ends it.
void HTTPReadStream::Impl::frameChunk(std::size_t offset, std::size_t count) {
  char sizeLine[24];
  const int length = std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", count);
  const std::size_t start = offset - static_cast<std::size_t>(length);
  std::memcpy(writeBuffer.data() + start, sizeLine, static_cast<std::size_t>(length));
  writeBuffer.erase(writeBuffer.begin() + static_cast<std::ptrdiff_t>(offset - 32),
                    writeBuffer.begin() + static_cast<std::ptrdiff_t>(start));
  writeBuffer.push_back('\r');
  writeBuffer.push_back('\n');
}

void HTTPReadStream::Impl::writeNext() {
  writeBuffer.clear();
  bodyBytesInFlight = 0;
  if (!headQueued) {
    writeBuffer.assign(head.begin(), head.end());
    headQueued = true;
  }
  if (body && !bodyDone && !queueBodyPiece()) return;
  if (writeBuffer.empty()) {
    requestSent = true;
    return;
  }
  writing = true;
  connection->write(writeBuffer.data(), writeBuffer.size(), weakCall(&Impl::onWritten));
}

void HTTPReadStream::Impl::onWritten(std::size_t, const IOOutcome& outcome) {
  writing = false;
  if (closed() || error) return;
  if (!outcome.ok()) {
    // The read side reports the end of the connection; a reply already on its way wins.
    writeFailure = outcome;
    return;
  }
  bodyBytesWritten += bodyBytesInFlight;
  if (responseEnded) {
    requestSent = bodyDone || !body;
    return settleConnection(received > 0);
  }
  if (body && !bodyDone)
    writeNext();
  else
    requestSent = true;
}

void HTTPReadStream::Impl::readMore() {
  if (reading || closed() || terminalReached() || !connection) return;
  if (!tunnelling && !exchanging) return;
  if (available() >= kBodyHighWater) return;  // read() resumes
  reserveReceiveChunk();
  reading = true;
  connection->readSome(receiveBuffer.get() + received, kReceiveChunk, weakCall(&Impl::onRead));
}

void HTTPReadStream::Impl::reserveReceiveChunk() {
  if (receiveCapacity >= received + kReceiveChunk) return;
  auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(received + kReceiveChunk);
  if (received > 0) std::memcpy(larger.get(), receiveBuffer.get(), received);
  receiveBuffer = std::move(larger);
  receiveCapacity = received + kReceiveChunk;
}

void HTTPReadStream::Impl::onRead(std::size_t bytes, const IOOutcome& outcome) {
  reading = false;
  if (closed() || error) return;
  received += bytes;
  if (bytes > 0) consumeReceived();
  if (closed() || terminalReached()) return;
  if (!outcome.ok()) return onConnectionEnded(outcome);
  readMore();
}

void HTTPReadStream::Impl::consumeReceived() {
  const bool wasTunnelling = tunnelling;
  HTTPResponseParser& active = activeParser();
  const std::size_t used = active.feed(receiveBuffer.get(), received);
  if (active.error()) return fail(active.error());
  std::memmove(receiveBuffer.get(), receiveBuffer.get() + used, received - used);
  received -= used;
  if (wasTunnelling && active.isHeaderComplete()) {
    onConnectAnswered();
    if (error || tunnelling || !proxyAnswered) return;
  }
  if (bytesOwed) scheduleDelivery();
  if (parser->isDone()) onResponseEnded();
}

void HTTPReadStream::Impl::onResponseEnded() {
  responseEnded = true;
  if (!writing) settleConnection(received > 0);
  scheduleDelivery();
}

// The response is complete: keep the socket idle for reuse when everything allows it.
void HTTPReadStream::Impl::settleConnection(bool strayBytes) {
  if (!connection) return;
  const bool reusable = persistent && parser->keepsConnection() && !strayBytes && !proxyAnswered && requestSent &&
                        !writeFailure && connection->isOpen();
  if (reusable)
    IdleConnectionPool::put(*loop, key, std::move(connection));
  else
    connection->close();
  connection.reset();
}

void HTTPReadStream::Impl::onConnectionEnded(const IOOutcome& outcome) {
  if (outcome.kind == IOOutcome::Kind::kAborted) return;
  if (outcome.kind == IOOutcome::Kind::kEndOfStream && !tunnelling) {
    parser->finish();
    if (parser->isDone()) {
      responseEnded = true;
      connection->close();
      connection.reset();
      scheduleDelivery();
      return;
    }
  }
  fail(endedError(outcome));
}

// The error for a connection that ended (or failed) before the response did.
foundation::ErrorPtr HTTPReadStream::Impl::endedError(const IOOutcome& outcome) const {
  using Kind = IOOutcome::Kind;
  const bool noReply = !(tunnelling ? connectParser : parser)->gotSomeBytes();
  const IOOutcome& cause = (noReply && writeFailure) ? *writeFailure : outcome;
  if (cause.kind == Kind::kFailed) return cause.error;
  if (reused && noReply) {
    if (cause.kind == Kind::kBrokenPipe)
      return foundation::makeError(foundation::kPOSIXErrorDomain, kBrokenPipe, "Broken pipe", cause.error);
    if (cause.kind == Kind::kNotConnected)
      return foundation::makeError(foundation::kPOSIXErrorDomain, kSocketNotConnected, "Socket is not connected",
                                   cause.error);
    return streamError(kNetworkConnectionLost, "The network connection was lost.", cause.error);
  }
  if (noReply)
    return streamError(kConnectionLostDuringResponse, "The server closed the connection without replying", cause.error);
  return streamError(kConnectionLostDuringResponse, "The connection ended before the response was complete",
                     cause.error);
}

void HTTPReadStream::Impl::appendBody(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  bodyBuffer.insert(bodyBuffer.end(), data, data + size);
  bytesOwed = true;
}

void HTTPReadStream::Impl::fail(foundation::ErrorPtr failure) {
  if (error || closed()) return;
  error = std::move(failure);
  exchanging = false;
  if (connection) connection->close();
  connection.reset();
  if (body) body->close();
  scheduleDelivery();
}

}  // namespace net
