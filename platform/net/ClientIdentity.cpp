#include "platform/net/ClientIdentity.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/ssl.h>

#include <atomic>
#include <filesystem>

#include "platform/foundation/CryptoLibrary.h"
#include "platform/foundation/FileManager.h"
#include "platform/net/ClientCredentialFiles.h"
#include "platform/net/NetErrors.h"

namespace net {
namespace {

struct BIOFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
using BIOPtr = std::unique_ptr<BIO, BIOFree>;

BIOPtr memoryBIO(const std::string& bytes) {
  return BIOPtr(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

}  // namespace

void X509Free::operator()(x509_st* certificate) const { X509_free(certificate); }
void KeyFree::operator()(evp_pkey_st* key) const { EVP_PKEY_free(key); }

std::uint64_t nextCredentialSerial() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

foundation::ErrorPtr clientCredentialError(const std::string& why) {
  return foundation::makeError(kOSStatusErrorDomain, kTLSClientCredentialUnusable,
                               "TLS failure: the client certificate cannot be used: " + why);
}

std::string takeOpenSSLReason() {
  const unsigned long code = ERR_peek_last_error();
  const char* reason = code ? ERR_reason_error_string(code) : nullptr;
  ERR_clear_error();
  return reason ? reason : "unknown error";
}

foundation::Result<std::string> readCredentialFile(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored))
    return clientCredentialError(inQuotes(path) + " is not a readable file");
  auto bytes = foundation::FileManager::readFile(path, kMaxCredentialFileBytes);
  if (!bytes) return clientCredentialError(inQuotes(path) + " cannot be read (" + bytes.error()->description() + ")");
  return std::string(bytes->begin(), bytes->end());
}

std::vector<X509Ptr> readPEMCertificates(const std::string& pem) {
  std::vector<X509Ptr> certificates;
  BIOPtr bio = memoryBIO(pem);
  while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr))
    certificates.emplace_back(certificate);
  ERR_clear_error();  // the loop ends on a "no start line" error
  return certificates;
}

std::shared_ptr<const ClientIdentity> ClientIdentity::fromPEMFiles(std::string certificateChainPath,
                                                                   std::string privateKeyPath, std::string password) {
  std::shared_ptr<ClientIdentity> identity(new ClientIdentity());
  identity->impl_->format = Impl::Format::kPEM;
  identity->impl_->path = std::move(certificateChainPath);
  identity->impl_->keyPath = std::move(privateKeyPath);
  identity->impl_->password = std::move(password);
  return identity;
}

std::shared_ptr<const ClientIdentity> ClientIdentity::fromPKCS12File(std::string path, std::string password) {
  std::shared_ptr<ClientIdentity> identity(new ClientIdentity());
  identity->impl_->format = Impl::Format::kPKCS12;
  identity->impl_->path = std::move(path);
  identity->impl_->password = std::move(password);
  return identity;
}

ClientIdentity::ClientIdentity() : impl_(std::make_unique<Impl>()) { impl_->serial = nextCredentialSerial(); }
ClientIdentity::~ClientIdentity() = default;

foundation::Status ClientIdentity::load() const {
  std::call_once(impl_->once, [impl = impl_.get()] { impl->outcome = impl->read(); });
  return impl_->outcome;
}

std::uint64_t ClientIdentity::serial() const { return impl_->serial; }

foundation::Status ClientIdentity::Impl::read() {
  foundation::Status status = format == Format::kPKCS12 ? readPKCS12() : readPEM();
  if (!status) return status;
  if (X509_check_private_key(certificate.get(), key.get()) != 1)
    return clientCredentialError("the private key does not belong to the certificate in " + inQuotes(path) + " (" +
                                 takeOpenSSLReason() + ")");
  return status;
}

foundation::Status ClientIdentity::Impl::readPEM() {
  auto chainText = readCredentialFile(path);
  if (!chainText) return chainText.error();
  auto certificates = readPEMCertificates(*chainText);
  if (certificates.empty()) return clientCredentialError(inQuotes(path) + " holds no PEM certificate");
  certificate = std::move(certificates.front());
  chain.assign(std::make_move_iterator(certificates.begin() + 1), std::make_move_iterator(certificates.end()));

  const std::string& keyFile = keyPath.empty() ? path : keyPath;
  auto keyText = keyPath.empty() ? std::move(chainText) : readCredentialFile(keyFile);
  if (!keyText) return keyText.error();
  BIOPtr bio = memoryBIO(*keyText);
  // The password is always given: without one OpenSSL would ask on the terminal.
  key.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, const_cast<char*>(password.c_str())));
  if (!key)
    return clientCredentialError("no private key could be read from " + inQuotes(keyFile) +
                                 " (wrong password or damaged file: " + takeOpenSSLReason() + ")");
  return foundation::Status::success();
}

foundation::Status ClientIdentity::Impl::readPKCS12() {
  auto bytes = readCredentialFile(path);
  if (!bytes) return bytes.error();
  BIOPtr bio = memoryBIO(*bytes);
  std::unique_ptr<PKCS12, decltype(&PKCS12_free)> sealed(d2i_PKCS12_bio(bio.get(), nullptr), PKCS12_free);
  if (!sealed) return clientCredentialError(inQuotes(path) + " is not a PKCS#12 file (" + takeOpenSSLReason() + ")");
  if (PKCS12_mac_present(sealed.get()) && PKCS12_verify_mac(sealed.get(), password.c_str(), -1) != 1) {
    ERR_clear_error();
    return clientCredentialError("wrong password for " + inQuotes(path));
  }
  EVP_PKEY* parsedKey = nullptr;
  X509* parsedCertificate = nullptr;
  STACK_OF(X509)* parsedChain = nullptr;
  if (PKCS12_parse(sealed.get(), password.c_str(), &parsedKey, &parsedCertificate, &parsedChain) != 1)
    return clientCredentialError(inQuotes(path) + " cannot be opened (" + takeOpenSSLReason() + ")");
  key.reset(parsedKey);
  certificate.reset(parsedCertificate);
  while (parsedChain && sk_X509_num(parsedChain) > 0) chain.emplace_back(sk_X509_shift(parsedChain));
  sk_X509_free(parsedChain);
  if (!key || !certificate) return clientCredentialError(inQuotes(path) + " holds no private key and certificate");
  return foundation::Status::success();
}

foundation::Status presentClientIdentity(SSL* handle, const ClientIdentity& identity,
                                         const std::vector<std::shared_ptr<const Certificate>>& certificates) {
  if (auto status = identity.load(); !status) return status;
  for (const auto& certificate : certificates)
    if (auto status = certificate->load(); !status) return status;
  const ClientIdentity::Impl& loaded = identity.impl();
  bool presented =
      SSL_use_certificate(handle, loaded.certificate.get()) == 1 && SSL_use_PrivateKey(handle, loaded.key.get()) == 1;
  for (const auto& intermediate : loaded.chain)
    presented = presented && SSL_add1_chain_cert(handle, intermediate.get()) == 1;
  for (const auto& further : certificates)
    presented = presented && SSL_add1_chain_cert(handle, further->impl().certificate.get()) == 1;
  if (!presented) return clientCredentialError(takeOpenSSLReason());
  return foundation::Status::success();
}

}  // namespace net
