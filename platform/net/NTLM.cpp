#include "platform/net/NTLM.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/provider.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/foundation/Base64.h"
#include "platform/foundation/CryptoLibrary.h"
#include "platform/foundation/Text.h"

namespace net {
namespace {

using foundation::Bytes;

constexpr std::uint32_t kNegotiateUnicode = 0x00000001;
constexpr std::uint32_t kRequestTarget = 0x00000004;
constexpr std::uint32_t kNegotiateNTLM = 0x00000200;
constexpr std::uint32_t kAlwaysSign = 0x00008000;
constexpr std::uint32_t kExtendedSessionSecurity = 0x00080000;
constexpr std::uint32_t kNegotiateTargetInfo = 0x00800000;
constexpr std::uint32_t kNegotiate128 = 0x20000000;
constexpr std::uint32_t kNegotiate56 = 0x80000000;
constexpr std::uint32_t kOurFlags = kNegotiateUnicode | kRequestTarget | kNegotiateNTLM | kAlwaysSign |
                                    kExtendedSessionSecurity | kNegotiateTargetInfo | kNegotiate128 | kNegotiate56;
constexpr char kSignature[] = "NTLMSSP";  // with its NUL: 8 bytes

void putLE(Bytes& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t getLE(const Bytes& in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[at + i];
  return value;
}

Bytes header(std::uint32_t type) {
  Bytes out(kSignature, kSignature + 8);
  putLE(out, type, 4);
  return out;
}

// UTF-16LE of UTF-8 text; invalid UTF-8 is taken byte by byte as ISO Latin-1.
Bytes utf16le(std::string_view text) {
  auto encoded = foundation::Text::encode(text, "UTF-16LE");
  if (encoded) return *encoded;
  Bytes out;
  for (unsigned char c : text) putLE(out, c, 2);
  return out;
}

// MD4 lives in OpenSSL's legacy provider, loaded into a context of our own so that the
// process-wide defaults never offer legacy algorithms to anyone else.
std::optional<std::array<std::uint8_t, 16>> md4(const Bytes& data) {
  static OSSL_LIB_CTX* context = [] {
    OSSL_LIB_CTX* made = OSSL_LIB_CTX_new();
    if (made && (!OSSL_PROVIDER_load(made, "legacy") || !OSSL_PROVIDER_load(made, "default"))) {
      OSSL_LIB_CTX_free(made);
      return static_cast<OSSL_LIB_CTX*>(nullptr);
    }
    return made;
  }();
  if (!context) return std::nullopt;
  std::unique_ptr<EVP_MD, decltype(&EVP_MD_free)> algorithm(EVP_MD_fetch(context, "MD4", nullptr), EVP_MD_free);
  if (!algorithm) return std::nullopt;
  std::array<std::uint8_t, 16> digest{};
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), digest.data(), &length, algorithm.get(), nullptr) != 1) return std::nullopt;
  return digest;
}

std::array<std::uint8_t, 16> hmacMD5(const std::uint8_t* key, std::size_t keyLength, const Bytes& data) {
  std::array<std::uint8_t, 16> digest{};
  unsigned int length = 0;
  HMAC(EVP_md5(), key, static_cast<int>(keyLength), data.data(), data.size(), digest.data(), &length);
  return digest;
}

std::string upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
  return out;
}

// A security buffer's length, room and offset, and its bytes appended to the payload.
void putBuffer(Bytes& head, Bytes& payload, std::size_t payloadStart, const Bytes& data) {
  putLE(head, data.size(), 2);
  putLE(head, data.size(), 2);
  putLE(head, payloadStart + payload.size(), 4);
  payload.insert(payload.end(), data.begin(), data.end());
}

}  // namespace

std::string ntlmNegotiateMessage() {
  Bytes out = header(1);
  putLE(out, kOurFlags, 4);
  putLE(out, 0, 8);  // no domain
  putLE(out, 0, 8);  // no workstation
  return foundation::base64Encode(out);
}

std::optional<NTLMChallenge> parseNTLMChallenge(std::string_view base64) {
  auto bytes = foundation::base64Decode(base64);
  if (!bytes || bytes->size() < 32 || !std::equal(kSignature, kSignature + 8, bytes->begin()) ||
      getLE(*bytes, 8, 4) != 2) {
    return std::nullopt;
  }
  NTLMChallenge challenge;
  challenge.flags = static_cast<std::uint32_t>(getLE(*bytes, 20, 4));
  std::copy_n(bytes->begin() + 24, 8, challenge.serverChallenge.begin());
  if (bytes->size() >= 48) {
    std::size_t length = getLE(*bytes, 40, 2);
    std::size_t offset = getLE(*bytes, 44, 4);
    if (offset > bytes->size() || length > bytes->size() - offset) return std::nullopt;
    challenge.targetInfo.assign(bytes->begin() + offset, bytes->begin() + offset + length);
  }
  return challenge;
}

std::optional<std::array<std::uint8_t, 16>> ntlmV2Key(std::string_view user, std::string_view password,
                                                      std::string_view domain) {
  auto ntHash = md4(utf16le(password));
  if (!ntHash) return std::nullopt;
  return hmacMD5(ntHash->data(), ntHash->size(), utf16le(upper(user) + std::string(domain)));
}

std::optional<std::string> ntlmAuthenticateMessage(const NTLMChallenge& challenge, std::string_view user,
                                                   std::string_view password, std::string_view domain,
                                                   const std::array<std::uint8_t, 8>& clientNonce,
                                                   std::uint64_t timestamp) {
  auto key = ntlmV2Key(user, password, domain);
  if (!key) return std::nullopt;
  Bytes blob{1, 1, 0, 0, 0, 0, 0, 0};
  putLE(blob, timestamp, 8);
  blob.insert(blob.end(), clientNonce.begin(), clientNonce.end());
  putLE(blob, 0, 4);
  blob.insert(blob.end(), challenge.targetInfo.begin(), challenge.targetInfo.end());
  putLE(blob, 0, 4);

  Bytes signed_(challenge.serverChallenge.begin(), challenge.serverChallenge.end());
  signed_.insert(signed_.end(), blob.begin(), blob.end());
  auto proof = hmacMD5(key->data(), key->size(), signed_);
  Bytes ntResponse(proof.begin(), proof.end());
  ntResponse.insert(ntResponse.end(), blob.begin(), blob.end());

  Bytes lmInput(challenge.serverChallenge.begin(), challenge.serverChallenge.end());
  lmInput.insert(lmInput.end(), clientNonce.begin(), clientNonce.end());
  auto lmProof = hmacMD5(key->data(), key->size(), lmInput);
  Bytes lmResponse(lmProof.begin(), lmProof.end());
  lmResponse.insert(lmResponse.end(), clientNonce.begin(), clientNonce.end());

  constexpr std::size_t kHeadSize = 64;
  Bytes head = header(3);
  Bytes payload;
  putBuffer(head, payload, kHeadSize, lmResponse);
  putBuffer(head, payload, kHeadSize, ntResponse);
  putBuffer(head, payload, kHeadSize, utf16le(domain));
  putBuffer(head, payload, kHeadSize, utf16le(user));
  putBuffer(head, payload, kHeadSize, {});  // workstation
  putBuffer(head, payload, kHeadSize, {});  // session key
  putLE(head, kOurFlags & (challenge.flags | kNegotiateUnicode), 4);
  head.insert(head.end(), payload.begin(), payload.end());
  return foundation::base64Encode(head);
}

}  // namespace net
