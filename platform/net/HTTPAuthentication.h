#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/net/HTTPMessage.h"
#include "platform/net/NTLM.h"

namespace net {

inline constexpr const char* kHTTPAuthenticationSchemeBasic = "Basic";
inline constexpr const char* kHTTPAuthenticationSchemeDigest = "Digest";
inline constexpr const char* kHTTPAuthenticationSchemeNTLM = "NTLM";

// Why an authentication object is no longer valid (codes of kCFNetworkErrorDomain).
inline constexpr long long kHTTPAuthenticationBadUserName = -1001;
inline constexpr long long kHTTPAuthenticationBadPassword = -1002;
inline constexpr long long kHTTPAuthenticationUnsupported = -1000;

// A credential dictionary: user name, password and, for schemes that need one, account domain.
// Session stores tell credentials apart by the object, never by value.
struct Credentials {
  std::string username;
  std::string password;
  std::optional<std::string> accountDomain;
  friend bool operator==(const Credentials&, const Credentials&) = default;
};
using CredentialsPtr = std::shared_ptr<const Credentials>;

// Any thread. A new credential dictionary.
CredentialsPtr makeCredentials(std::string username, std::string password,
                               std::optional<std::string> accountDomain = std::nullopt);

// The answer to one server's (401) or proxy's (407) challenge: the scheme chosen among those the
// response offers (NTLMv2, then Digest with SHA-256, Digest with MD5, Basic), its realm and
// parameters. Applying credentials writes "Authorization" (or "Proxy-Authorization") into a
// request message; NTLM sends its negotiate message first and its answer after the challenge. A challenge that comes
// again after credentials were applied means they were refused: the object then says so through isValid(), so nobody
// sends them forever. Thread-safe.
class HTTPAuthentication {
 public:
  // Any thread. nullptr when the response is not a 401/407 or offers no scheme we can answer.
  static std::shared_ptr<HTTPAuthentication> createFromResponse(const HTTPMessage& response);

  const std::string& method() const { return scheme_; }
  // The realm; nullopt when the challenge names none.
  const std::optional<std::string>& realm() const { return realm_; }
  bool forProxy() const { return forProxy_; }
  bool requiresAccountDomain() const;
  bool requiresUserNameAndPassword() const { return true; }

  // Any thread. Whether credentials may still be applied; `reason` gets why not.
  bool isValid(long long* reason = nullptr) const;
  // Any thread. Sets the authorisation header of `request` from `credentials`; false when the
  // object is no longer valid or the credentials cannot be encoded.
  bool applyCredentials(HTTPMessage& request, const Credentials& credentials);
  // Any thread. The response to a request that carried our credentials: a new challenge of the
  // same scheme refuses them (a Digest challenge marked stale only renews the nonce; the request
  // bounds how often it answers one).
  void updateFromResponse(const HTTPMessage& response);

 private:
  HTTPAuthentication() = default;
  bool applyDigest(HTTPMessage& request, const Credentials& credentials);
  bool applyNTLM(HTTPMessage& request, const Credentials& credentials);
  void readNTLMChallenge(const std::string& token);
  bool readChallenge(const HTTPMessage& response);

  mutable std::mutex lock_;
  std::string scheme_;
  bool forProxy_ = false;
  std::optional<std::string> realm_;
  std::string nonce_;
  std::optional<std::string> opaque_;
  std::string algorithm_;  // "MD5" or "SHA-256"
  bool qopAuth_ = false;
  unsigned nonceCount_ = 0;
  bool appliedCredentials_ = false;
  long long invalidReason_ = 0;
  std::optional<NTLMChallenge> ntlmChallenge_;
};

}  // namespace net
