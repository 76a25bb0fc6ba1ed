#pragma once

#include <string>

#include "platform/foundation/Error.h"

namespace http {

// The domain of every failure the request engine reports. Callers compare against it.
inline constexpr const char* kHTTPRequestErrorDomain = "HTTPRequestErrorDomain";

// Codes of the engine's failures; callers treat `cancelled` as a silent end.
enum class HTTPRequestErrorCode : long long {
  connectionFailure = 1,
  timedOut = 2,
  authenticationNeeded = 3,
  cancelled = 4,
  unableToCreateRequest = 5,
  internal = 6,
  credentials = 7,
  fileManagement = 8,
  tooManyRedirects = 9,
  unexpectedException = 10,
  compression = 11,
  responseTooLarge = 12,  // a body kept in memory grew past the request's maximum
};

// Any thread. A new engine error with the given code and text.
foundation::ErrorPtr makeRequestError(HTTPRequestErrorCode code, std::string description,
                                      foundation::ErrorPtr underlying = nullptr);

// Any thread. The ready-made errors every request shares; made once on first use.
const foundation::ErrorPtr& requestTimedOutError();
const foundation::ErrorPtr& authenticationNeededError();
const foundation::ErrorPtr& requestCancelledError();
const foundation::ErrorPtr& unableToCreateRequestError();
const foundation::ErrorPtr& tooManyRedirectsError();

// Any thread. Whether `error` is the engine's error with that code.
bool isRequestError(const foundation::ErrorPtr& error, HTTPRequestErrorCode code);

}  // namespace http
