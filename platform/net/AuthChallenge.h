#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// One challenge of a "WWW-Authenticate" or "Proxy-Authenticate" field.
struct AuthChallenge {
  std::string scheme;                         // as sent ("Basic", "digest", ...)
  std::map<std::string, std::string> params;  // names in lower case, values unquoted
  std::string token68;                        // the opaque form ("NTLM TlRM...")
};

// Any thread. Every challenge of a field value, in order; a field may hold several, separated by
// commas, and malformed parts are skipped rather than failing the rest.
std::vector<AuthChallenge> parseAuthChallenges(std::string_view value);

}  // namespace net
