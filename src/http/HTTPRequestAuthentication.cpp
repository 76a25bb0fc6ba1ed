// The answer to a 401 or 407 challenge.
#include "src/http/HTTPRequest.h"

namespace http {

// Network thread, under the lock. Nothing in the request can answer the challenge yet (no
// credentials are searched, no delegate or sheet is asked), so it ends with "Authentication
// needed" rather than finishing with the challenge's body.
void HTTPRequest::attemptToApplyCredentialsAndResume() {
  if (error_ || isCancelled()) return;
  cancelLoad();
  failWithError(authenticationNeededError());
}

}  // namespace http
