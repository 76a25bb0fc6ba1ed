#pragma once

// What ClientIdentity and Certificate hold once read, and how a TLS handshake presents them.
// Private to platform/net.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/net/Certificate.h"
#include "platform/net/ClientIdentity.h"

// OpenSSL's types, by their structure names (its headers stay in the .cpp files).
struct x509_st;
struct evp_pkey_st;
struct ssl_st;

namespace net {

struct X509Free {
  void operator()(x509_st* certificate) const;
};
struct KeyFree {
  void operator()(evp_pkey_st* key) const;
};
using X509Ptr = std::unique_ptr<x509_st, X509Free>;
using KeyPtr = std::unique_ptr<evp_pkey_st, KeyFree>;

// Credential files are small: anything larger is not one.
inline constexpr std::size_t kMaxCredentialFileBytes = 1024 * 1024;

// Any thread. A new serial number for an identity or certificate.
std::uint64_t nextCredentialSerial();
// Any thread. The bytes of a credential file: a regular file of at most
// kMaxCredentialFileBytes (a FIFO or a device would stall the handshake's thread).
foundation::Result<std::string> readCredentialFile(const std::string& path);
// Any thread. The TLS error of an identity or certificate that cannot be used.
foundation::ErrorPtr clientCredentialError(const std::string& why);
// Any thread. OpenSSL's reason for the failure just seen (the thread's error queue is emptied).
std::string takeOpenSSLReason();
// Any thread. The certificates of a PEM text, in order.
std::vector<X509Ptr> readPEMCertificates(const std::string& pem);

struct ClientIdentity::Impl {
  enum class Format { kPEM, kPKCS12 };
  Format format = Format::kPEM;
  std::string path;     // the certificate chain or the PKCS#12 file
  std::string keyPath;  // PEM only; empty: the key is in `path`
  std::string password;
  std::uint64_t serial = 0;

  std::once_flag once;
  foundation::Status outcome;
  KeyPtr key;
  X509Ptr certificate;
  std::vector<X509Ptr> chain;

  foundation::Status read();
  foundation::Status readPEM();
  foundation::Status readPKCS12();
};

struct Certificate::Impl {
  std::string path;
  std::uint64_t serial = 0;

  std::once_flag once;
  foundation::Status outcome;
  X509Ptr certificate;

  foundation::Status read();
};

// Loop thread. Makes the handshake of `handle` present `identity`, its chain and then
// `certificates`; fails, before anything is sent, when one of them cannot be read.
foundation::Status presentClientIdentity(ssl_st* handle, const ClientIdentity& identity,
                                         const std::vector<std::shared_ptr<const Certificate>>& certificates);

}  // namespace net
