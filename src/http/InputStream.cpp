#include "src/http/InputStream.h"

#include <algorithm>
#include <mutex>

#include "src/http/BandwidthThrottle.h"
#include "src/http/HTTPRequest.h"

namespace http {

std::shared_ptr<InputStream> InputStream::inputStreamWithFileAtPath(const std::string& path,
                                                                    std::weak_ptr<HTTPRequest> request) {
  return std::make_shared<InputStream>(net::InputStream::withFileAtPath(path), std::move(request));
}

std::shared_ptr<InputStream> InputStream::inputStreamWithData(foundation::Bytes data,
                                                              std::weak_ptr<HTTPRequest> request) {
  return std::make_shared<InputStream>(net::InputStream::withBytes(std::move(data)), std::move(request));
}

InputStream::InputStream(std::shared_ptr<net::InputStream> stream, std::weak_ptr<HTTPRequest> request)
    : stream_(std::move(stream)), request_(std::move(request)) {}

std::mutex& InputStream::throttlingLock() {
  static std::mutex* lock = new std::mutex();  // used by body reads until exit
  return *lock;
}

foundation::Status InputStream::open() { return stream_->open(); }

long long InputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
  auto& throttle = BandwidthThrottle::shared();
  std::size_t length = maxLength;
  {
    std::scoped_lock lock(throttlingLock());
    if (throttle.isBandwidthThrottled()) {
      std::uint64_t allowed = throttle.maxUploadReadLength();
      // Never 0: a read of nothing would end the body.
      length = static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(allowed, 1), maxLength));
      if (auto owner = request_.lock()) owner->performThrottling();
    }
  }
  long long count = stream_->read(buffer, length);
  if (count > 0) throttle.incrementBandwidthUsedInLastSecond(static_cast<std::uint64_t>(count));
  return count;
}

void InputStream::close() { stream_->close(); }

foundation::ErrorPtr InputStream::error() const { return stream_->error(); }

}  // namespace http
