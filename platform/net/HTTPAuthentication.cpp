#include "platform/net/HTTPAuthentication.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <chrono>
#include <cstdio>

#include "platform/foundation/Base64.h"
#include "platform/foundation/CryptoLibrary.h"
#include "platform/foundation/Digest.h"
#include "platform/net/AuthChallenge.h"
#include "platform/net/NTLM.h"
#include "platform/net/URLParts.h"

namespace net {
namespace {

std::string hashHex(const std::string& algorithm, std::string_view text) {
  const EVP_MD* md = algorithm == "SHA-256" ? EVP_sha256() : EVP_md5();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, md, nullptr) != 1) return {};
  return foundation::hexString(std::span<const std::uint8_t>(digest, length));
}

std::string clientNonce() {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return {};
  return foundation::hexString(std::span<const std::uint8_t>(bytes, sizeof bytes));
}

// A quoted-string value: quotes and backslashes escaped.
std::string quote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

bool listsAuth(const std::string& qop) {
  std::string lower = toLowerASCII(qop);
  std::size_t at = 0;
  while (at <= lower.size()) {
    std::size_t comma = lower.find(',', at);
    std::string item = lower.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    while (!item.empty() && item.back() == ' ') item.pop_back();
    if (item == "auth") return true;
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return false;
}

// The rank of a challenge we can answer (higher is stronger); 0 for one we cannot.
int strength(const AuthChallenge& challenge) {
  std::string scheme = toLowerASCII(challenge.scheme);
  if (scheme == "basic") return 1;
  if (scheme == "ntlm") return 4;
  if (scheme != "digest" || !challenge.params.contains("nonce")) return 0;
  auto qop = challenge.params.find("qop");
  // Only qop=auth (or the old form without qop) is answered; auth-int needs the body's digest.
  if (qop != challenge.params.end() && !listsAuth(qop->second)) return 0;
  auto algorithm = challenge.params.find("algorithm");
  std::string name = algorithm == challenge.params.end() ? "md5" : toLowerASCII(algorithm->second);
  if (name == "sha-256") return 3;
  return name == "md5" ? 2 : 0;
}

std::optional<AuthChallenge> strongestChallenge(const HTTPMessage& response, bool proxy) {
  std::optional<AuthChallenge> best;
  int bestStrength = 0;
  for (const auto& value : response.headerFieldValues(proxy ? "Proxy-Authenticate" : "WWW-Authenticate")) {
    for (auto& challenge : parseAuthChallenges(value)) {
      int rank = strength(challenge);
      if (rank > bestStrength) {
        bestStrength = rank;
        best = std::move(challenge);
      }
    }
  }
  return best;
}

}  // namespace

CredentialsPtr makeCredentials(std::string username, std::string password, std::optional<std::string> accountDomain) {
  return std::make_shared<const Credentials>(
      Credentials{std::move(username), std::move(password), std::move(accountDomain)});
}

std::shared_ptr<HTTPAuthentication> HTTPAuthentication::createFromResponse(const HTTPMessage& response) {
  int status = response.statusCode();
  if (status != 401 && status != 407) return nullptr;
  std::shared_ptr<HTTPAuthentication> authentication(new HTTPAuthentication);
  authentication->forProxy_ = status == 407;
  if (!authentication->readChallenge(response)) return nullptr;
  return authentication;
}

bool HTTPAuthentication::readChallenge(const HTTPMessage& response) {
  auto challenge = strongestChallenge(response, forProxy_);
  if (!challenge) return false;
  if (toLowerASCII(challenge->scheme) == "ntlm") {
    scheme_ = kHTTPAuthenticationSchemeNTLM;
    return true;
  }
  bool digest = toLowerASCII(challenge->scheme) == "digest";
  scheme_ = digest ? kHTTPAuthenticationSchemeDigest : kHTTPAuthenticationSchemeBasic;
  auto realm = challenge->params.find("realm");
  realm_ = realm == challenge->params.end() ? std::nullopt : std::optional(realm->second);
  if (!digest) return true;
  nonce_ = challenge->params["nonce"];
  auto opaque = challenge->params.find("opaque");
  opaque_ = opaque == challenge->params.end() ? std::nullopt : std::optional(opaque->second);
  algorithm_ = strength(*challenge) == 3 ? "SHA-256" : "MD5";
  qopAuth_ = challenge->params.contains("qop");
  nonceCount_ = 0;
  return true;
}

bool HTTPAuthentication::requiresAccountDomain() const { return scheme_ == kHTTPAuthenticationSchemeNTLM; }

bool HTTPAuthentication::isValid(long long* reason) const {
  std::scoped_lock lock(lock_);
  if (reason) *reason = invalidReason_;
  return invalidReason_ == 0;
}

void HTTPAuthentication::updateFromResponse(const HTTPMessage& response) {
  std::scoped_lock lock(lock_);
  if (!appliedCredentials_ || invalidReason_ != 0) return;
  if (response.statusCode() != (forProxy_ ? 407 : 401)) return;
  auto challenge = strongestChallenge(response, forProxy_);
  if (scheme_ == kHTTPAuthenticationSchemeNTLM) {
    readNTLMChallenge(challenge ? challenge->token68 : "");
    return;
  }
  bool stale = challenge && scheme_ == kHTTPAuthenticationSchemeDigest && toLowerASCII(challenge->scheme) == "digest" &&
               toLowerASCII(challenge->params["stale"]) == "true";
  if (stale) {
    // The password was right; only the nonce expired. Answer the new one.
    readChallenge(response);
    return;
  }
  invalidReason_ = kHTTPAuthenticationBadPassword;
}

bool HTTPAuthentication::applyCredentials(HTTPMessage& request, const Credentials& credentials) {
  std::scoped_lock lock(lock_);
  if (invalidReason_ != 0) return false;
  // A colon in a Basic user name cannot be told from the separator.
  if (scheme_ == kHTTPAuthenticationSchemeBasic && credentials.username.find(':') != std::string::npos) return false;
  bool applied = false;
  if (scheme_ == kHTTPAuthenticationSchemeDigest) {
    applied = applyDigest(request, credentials);
  } else if (scheme_ == kHTTPAuthenticationSchemeNTLM) {
    applied = applyNTLM(request, credentials);
  } else {
    std::string pair = credentials.username + ":" + credentials.password;
    applied =
        request.setHeaderFieldValue(forProxy_ ? "Proxy-Authorization" : "Authorization",
                                    "Basic " + foundation::base64Encode(foundation::Bytes(pair.begin(), pair.end())));
  }
  if (applied) appliedCredentials_ = true;
  return applied;
}

void HTTPAuthentication::readNTLMChallenge(const std::string& token) {
  // After our negotiate message the server must send its challenge; anything else after our
  // answer to it refuses the credentials.
  if (ntlmChallenge_ || token.empty()) {
    invalidReason_ = kHTTPAuthenticationBadPassword;
    return;
  }
  ntlmChallenge_ = parseNTLMChallenge(token);
  if (!ntlmChallenge_) invalidReason_ = kHTTPAuthenticationUnsupported;
}

bool HTTPAuthentication::applyNTLM(HTTPMessage& request, const Credentials& credentials) {
  const char* field = forProxy_ ? "Proxy-Authorization" : "Authorization";
  if (!ntlmChallenge_) return request.setHeaderFieldValue(field, "NTLM " + ntlmNegotiateMessage());
  std::array<std::uint8_t, 8> nonce{};
  if (RAND_bytes(nonce.data(), static_cast<int>(nonce.size())) != 1) return false;
  // Windows file time: 100 ns ticks since 1601.
  auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  auto ticks =
      static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count() / 100) +
      116444736000000000ULL;
  auto message = ntlmAuthenticateMessage(*ntlmChallenge_, credentials.username, credentials.password,
                                         credentials.accountDomain.value_or(""), nonce, ticks);
  return message && request.setHeaderFieldValue(field, "NTLM " + *message);
}

bool HTTPAuthentication::applyDigest(HTTPMessage& request, const Credentials& credentials) {
  std::string realm = realm_.value_or("");
  // The request line the checking party reads: a proxy sees CONNECT for an https URL (the header
  // moves to the tunnel's request) and the absolute form for an http one.
  const bool tunnelled = forProxy_ && request.scheme() == "https";
  std::string method = tunnelled ? "CONNECT" : request.requestMethod();
  std::string uri = tunnelled   ? request.connectAuthority()
                    : forProxy_ ? request.absoluteTarget()
                                : request.requestTarget();
  std::string ha1 = hashHex(algorithm_, credentials.username + ":" + realm + ":" + credentials.password);
  std::string ha2 = hashHex(algorithm_, method + ":" + uri);
  std::string header = "Digest username=" + quote(credentials.username) + ", realm=" + quote(realm) +
                       ", nonce=" + quote(nonce_) + ", uri=" + quote(uri) + ", algorithm=" + algorithm_;
  if (qopAuth_) {
    char count[9];
    std::snprintf(count, sizeof count, "%08x", ++nonceCount_);
    std::string cnonce = clientNonce();
    if (cnonce.empty()) return false;
    std::string response = hashHex(algorithm_, ha1 + ":" + nonce_ + ":" + count + ":" + cnonce + ":auth:" + ha2);
    header += ", response=" + quote(response) + ", qop=auth, nc=" + count + ", cnonce=" + quote(cnonce);
  } else {
    header += ", response=" + quote(hashHex(algorithm_, ha1 + ":" + nonce_ + ":" + ha2));
  }
  if (opaque_) header += ", opaque=" + quote(*opaque_);
  return request.setHeaderFieldValue(forProxy_ ? "Proxy-Authorization" : "Authorization", header);
}

}  // namespace net
