#include "platform/net/NetErrors.h"

namespace net {

bool isRestartCase(const foundation::Error& error) {
  return error.is(foundation::kPOSIXErrorDomain, kSocketNotConnected) ||
         error.is(foundation::kPOSIXErrorDomain, kBrokenPipe) ||
         error.is(kCFNetworkErrorDomain, kNetworkConnectionLost);
}

bool isTLSError(const foundation::Error& error) {
  return error.domain() == kOSStatusErrorDomain && error.code() >= kTLSErrorFirst && error.code() <= kTLSErrorLast;
}

}  // namespace net
