#include "src/http/HTTPRequestErrors.h"

#include "platform/foundation/NoDestructor.h"

namespace http {

foundation::ErrorPtr makeRequestError(HTTPRequestErrorCode code, std::string description,
                                      foundation::ErrorPtr underlying) {
  return foundation::makeError(kHTTPRequestErrorDomain, static_cast<long long>(code), std::move(description),
                               std::move(underlying));
}

const foundation::ErrorPtr& requestTimedOutError() {
  static const foundation::NoDestructor<foundation::ErrorPtr> error(
      makeRequestError(HTTPRequestErrorCode::timedOut, "The request timed out"));
  return *error;
}

const foundation::ErrorPtr& authenticationNeededError() {
  static const foundation::NoDestructor<foundation::ErrorPtr> error(
      makeRequestError(HTTPRequestErrorCode::authenticationNeeded, "Authentication needed"));
  return *error;
}

const foundation::ErrorPtr& requestCancelledError() {
  static const foundation::NoDestructor<foundation::ErrorPtr> error(
      makeRequestError(HTTPRequestErrorCode::cancelled, "The request was cancelled"));
  return *error;
}

const foundation::ErrorPtr& unableToCreateRequestError() {
  static const foundation::NoDestructor<foundation::ErrorPtr> error(
      makeRequestError(HTTPRequestErrorCode::unableToCreateRequest, "Unable to create request (bad url?)"));
  return *error;
}

const foundation::ErrorPtr& tooManyRedirectsError() {
  static const foundation::NoDestructor<foundation::ErrorPtr> error(makeRequestError(
      HTTPRequestErrorCode::tooManyRedirects, "The request failed because it redirected too many times"));
  return *error;
}

bool isRequestError(const foundation::ErrorPtr& error, HTTPRequestErrorCode code) {
  return error && error->is(kHTTPRequestErrorDomain, static_cast<long long>(code));
}

}  // namespace http
