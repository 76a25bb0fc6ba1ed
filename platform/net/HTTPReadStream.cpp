#include "platform/net/HTTPReadStream.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/foundation/RunLoop.h"
#include "platform/net/HTTPReadStreamImpl.h"
#include "platform/net/NetErrors.h"

namespace net {

foundation::ErrorPtr streamError(long long code, const std::string& description, foundation::ErrorPtr underlying) {
  return foundation::makeError(kCFNetworkErrorDomain, code, description, std::move(underlying));
}

void HTTPReadStream::Impl::scheduleDelivery() {
  if (deliveryPosted || closed() || !scheduledLoop || !client) return;
  deliveryPosted = true;
  scheduledLoop->post([weak = self] {
    if (auto stream = weak.lock()) stream->impl_->deliver();
  });
}

void HTTPReadStream::Impl::deliver() {
  deliveryPosted = false;
  if (closed() || !scheduledLoop) return;
  auto keepAlive = self.lock();
  if (openOwed) {
    openOwed = false;
    emit(kStreamEventOpenCompleted);
    if (closed() || !scheduledLoop) return;
  }
  if (bytesOwed && available() > 0) {
    bytesOwed = false;
    emit(kStreamEventHasBytesAvailable);
    return;  // read() owes the next event
  }
  bytesOwed = false;
  if (terminalReached() && available() == 0 && !terminalDelivered) {
    terminalDelivered = true;
    emit(error ? kStreamEventErrorOccurred : kStreamEventEndEncountered);
  }
}

void HTTPReadStream::Impl::emit(StreamEvent event) {
  if (!(eventMask & event) || !client) return;
  Client callback = client;  // the client may replace itself while called
  callback(event);
}

std::shared_ptr<HTTPReadStream> HTTPReadStream::create(const HTTPMessage& request, std::shared_ptr<InputStream> body) {
  std::shared_ptr<HTTPReadStream> stream(new HTTPReadStream());
  stream->impl_ = std::make_unique<Impl>(request);
  stream->impl_->body = std::move(body);
  stream->impl_->self = stream;
  return stream;
}

HTTPReadStream::~HTTPReadStream() { close(); }

void HTTPReadStream::setTLSSettings(TLSSettings settings) { impl_->tlsSettings = std::move(settings); }
void HTTPReadStream::setProxy(std::optional<ProxyServer> proxy) { impl_->proxy = std::move(proxy); }
void HTTPReadStream::setAttemptPersistentConnection(bool attempt) { impl_->persistent = attempt; }
void HTTPReadStream::setStreamID(long long streamID) { impl_->streamID = streamID; }

bool HTTPReadStream::setClient(unsigned eventMask, Client client) {
  if (impl_->closed()) return false;
  impl_->eventMask = client ? eventMask : 0;
  impl_->client = std::move(client);
  if (impl_->available() > 0) impl_->bytesOwed = true;
  impl_->scheduleDelivery();
  return true;
}

void HTTPReadStream::scheduleInRunLoop(foundation::RunLoop& loop) {
  assert(loop.isCurrent() && (!impl_->loop || impl_->loop == &loop));
  impl_->scheduledLoop = &loop;
  if (impl_->available() > 0) impl_->bytesOwed = true;
  impl_->scheduleDelivery();
}

void HTTPReadStream::unscheduleFromRunLoop() { impl_->scheduledLoop = nullptr; }
bool HTTPReadStream::isScheduled() const { return impl_->scheduledLoop != nullptr; }

bool HTTPReadStream::open() {
  Impl& impl = *impl_;
  if (impl.phase != Impl::Phase::kNotOpen || impl.error) return false;
  impl.loop = impl.scheduledLoop ? impl.scheduledLoop : &foundation::RunLoop::current();
  if (auto failure = impl.prepareRequest()) {
    impl.error = std::move(failure);
    return false;
  }
  impl.phase = Impl::Phase::kOpening;
  impl.loop->post([weak = impl.self] {
    if (auto stream = weak.lock()) stream->impl_->start();
  });
  return true;
}

void HTTPReadStream::close() {
  if (!impl_ || impl_->closed()) return;
  Impl& impl = *impl_;
  impl.phase = Impl::Phase::kClosed;
  impl.client = nullptr;
  impl.eventMask = 0;
  if (impl.connection) impl.connection->close();
  impl.connection.reset();
  if (impl.body) impl.body->close();
}

StreamStatus HTTPReadStream::status() const {
  const Impl& impl = *impl_;
  switch (impl.phase) {
    case Impl::Phase::kNotOpen:
      return impl.error ? StreamStatus::Error : StreamStatus::NotOpen;
    case Impl::Phase::kClosed:
      return StreamStatus::Closed;
    case Impl::Phase::kOpening:
      if (!impl.error) return StreamStatus::Opening;
      [[fallthrough]];
    case Impl::Phase::kOpen:
      if (impl.terminalReached() && impl.available() == 0)
        return impl.error ? StreamStatus::Error : StreamStatus::AtEnd;
      return StreamStatus::Open;
  }
  return StreamStatus::Error;
}

foundation::ErrorPtr HTTPReadStream::error() const { return impl_->error; }
bool HTTPReadStream::hasBytesAvailable() const { return !impl_->closed() && impl_->available() > 0; }

long long HTTPReadStream::read(std::uint8_t* buffer, std::size_t maxLength) {
  Impl& impl = *impl_;
  if (impl.closed()) return impl.error ? -1 : 0;
  const std::size_t count = std::min(maxLength, impl.available());
  if (count == 0) return impl.error ? -1 : 0;
  std::memcpy(buffer, impl.bodyBuffer.data() + impl.bodyOffset, count);
  impl.bodyOffset += count;
  if (impl.bodyOffset == impl.bodyBuffer.size()) {
    impl.bodyBuffer.clear();
    impl.bodyOffset = 0;
  } else if (impl.bodyOffset >= kBodyHighWater / 2) {
    impl.bodyBuffer.erase(impl.bodyBuffer.begin(),
                          impl.bodyBuffer.begin() + static_cast<std::ptrdiff_t>(impl.bodyOffset));
    impl.bodyOffset = 0;
  }
  impl.bytesOwed = impl.available() > 0;
  impl.scheduleDelivery();
  impl.readMore();
  return static_cast<long long>(count);
}

std::shared_ptr<HTTPMessage> HTTPReadStream::responseHeader() const {
  const Impl& impl = *impl_;
  if (!impl.parser || !impl.parser->gotSomeBytes()) return nullptr;
  return std::make_shared<HTTPMessage>(impl.parser->head());
}

std::uint64_t HTTPReadStream::requestBodyBytesWritten() const { return impl_->bodyBytesWritten; }
bool HTTPReadStream::connectionWasReused() const { return impl_->reused; }

void HTTPReadStream::closeIdleConnections() { IdleConnectionPool::closeAll(foundation::RunLoop::current()); }
std::size_t HTTPReadStream::idleConnectionCount() { return IdleConnectionPool::count(foundation::RunLoop::current()); }
void HTTPReadStream::setAdditionalTrustedCertificates(std::string pem) {
  setAdditionalTrustedCertificatesPEM(std::move(pem));
}

}  // namespace net
