#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace net {

// The server's answer to our negotiate message.
struct NTLMChallenge {
  std::array<std::uint8_t, 8> serverChallenge{};
  foundation::Bytes targetInfo;
  std::uint32_t flags = 0;
};

// Any thread. The negotiate message, Base64.
std::string ntlmNegotiateMessage();
// Any thread. The challenge message from its Base64 text; nullopt when it is not one or its
// fields point outside it.
std::optional<NTLMChallenge> parseNTLMChallenge(std::string_view base64);
// Any thread. The NTLMv2 key of the credentials (HMAC-MD5 over the MD4 of the password); nullopt
// when MD4 is not available.
std::optional<std::array<std::uint8_t, 16>> ntlmV2Key(std::string_view user, std::string_view password,
                                                      std::string_view domain);
// Any thread. The authenticate message answering `challenge` (NTLMv2 and LMv2 responses), Base64;
// `clientNonce` and `timestamp` (100 ns since 1601) make it reproducible in tests.
std::optional<std::string> ntlmAuthenticateMessage(const NTLMChallenge& challenge, std::string_view user,
                                                   std::string_view password, std::string_view domain,
                                                   const std::array<std::uint8_t, 8>& clientNonce,
                                                   std::uint64_t timestamp);

}  // namespace net
