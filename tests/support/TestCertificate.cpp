#include "tests/support/TestCertificate.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace testsupport {
namespace {

// A named deleter, not a lambda: a lambda in an alias is a new type at every use in some compilers.
template <class T, void (*Free)(T*)>
struct FreeWith {
  void operator()(T* pointer) const { Free(pointer); }
};
template <class T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, FreeWith<T, Free>>;
using OwnedKey = Owned<EVP_PKEY, EVP_PKEY_free>;
using OwnedCertificate = Owned<X509, X509_free>;

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("certificate generation failed: ") + what);
}

std::string pemOf(const std::function<int(BIO*)>& write) {
  Owned<BIO, BIO_free_all> bio(BIO_new(BIO_s_mem()));
  check(write(bio.get()) == 1, "PEM output");
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

void freeStack(STACK_OF(X509) * stack) { sk_X509_free(stack); }

Owned<BIO, BIO_free_all> readBIO(const std::string& text) {
  return Owned<BIO, BIO_free_all>(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
}

OwnedCertificate parseCertificate(const std::string& pem) {
  OwnedCertificate certificate(PEM_read_bio_X509(readBIO(pem).get(), nullptr, nullptr, nullptr));
  check(certificate != nullptr, "certificate PEM");
  return certificate;
}

OwnedKey parseKey(const std::string& pem) {
  OwnedKey key(PEM_read_bio_PrivateKey(readBIO(pem).get(), nullptr, nullptr, const_cast<char*>("")));
  check(key != nullptr, "key PEM");
  return key;
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  Owned<X509_EXTENSION, X509_EXTENSION_free> extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
  check(extension != nullptr, "extension");
  check(X509_add_ext(certificate, extension.get(), -1) == 1, "add extension");
}

// A certificate for a new key, valid from yesterday (or expired), named `commonName`.
OwnedCertificate unsignedCertificate(EVP_PKEY* key, const std::string& commonName, bool expired) {
  OwnedCertificate certificate(X509_new());
  X509_set_version(certificate.get(), 2);
  unsigned char serial[8];
  RAND_bytes(serial, sizeof serial);
  serial[0] &= 0x7F;
  Owned<BIGNUM, BN_free> serialNumber(BN_bin2bn(serial, sizeof serial, nullptr));
  BN_to_ASN1_INTEGER(serialNumber.get(), X509_get_serialNumber(certificate.get()));
  const long day = 24 * 60 * 60;
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), expired ? -10 * day : -day);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), expired ? -day : 30 * day);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509_set_pubkey(certificate.get(), key);
  return certificate;
}

TestCertificate finish(X509* certificate, EVP_PKEY* key) {
  TestCertificate result;
  result.certificatePEM = pemOf([&](BIO* bio) { return PEM_write_bio_X509(bio, certificate); });
  result.privateKeyPEM =
      pemOf([&](BIO* bio) { return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr); });
  return result;
}

}  // namespace

TestCertificate TestCertificate::generate(const std::string& names, bool expired) {
  OwnedKey key(EVP_EC_gen("P-256"));
  check(key != nullptr, "key");
  OwnedCertificate certificate = unsignedCertificate(key.get(), "loopback test server", expired);
  X509_set_issuer_name(certificate.get(), X509_get_subject_name(certificate.get()));
  addExtension(certificate.get(), certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
  addExtension(certificate.get(), certificate.get(), NID_subject_alt_name, names);
  check(X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0, "sign");
  return finish(certificate.get(), key.get());
}

TestCertificate TestCertificate::issue(const std::string& commonName, const TestCertificate& issuer, bool isCA) {
  OwnedCertificate issuerCertificate = parseCertificate(issuer.certificatePEM);
  OwnedKey issuerKey = parseKey(issuer.privateKeyPEM);
  OwnedKey key(EVP_EC_gen("P-256"));
  check(key != nullptr, "key");
  OwnedCertificate certificate = unsignedCertificate(key.get(), commonName, false);
  X509_set_issuer_name(certificate.get(), X509_get_subject_name(issuerCertificate.get()));
  addExtension(certificate.get(), issuerCertificate.get(), NID_basic_constraints,
               isCA ? "critical,CA:TRUE" : "critical,CA:FALSE");
  if (!isCA) addExtension(certificate.get(), issuerCertificate.get(), NID_ext_key_usage, "clientAuth");
  check(X509_sign(certificate.get(), issuerKey.get(), EVP_sha256()) > 0, "sign");
  return finish(certificate.get(), key.get());
}

std::string TestCertificate::pkcs12(const std::string& password, const std::string& chainPEM) const {
  OwnedCertificate certificate = parseCertificate(certificatePEM);
  OwnedKey key = parseKey(privateKeyPEM);
  Owned<STACK_OF(X509), freeStack> chain(sk_X509_new_null());
  std::vector<OwnedCertificate> held;
  auto bio = readBIO(chainPEM);
  while (X509* link = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
    held.emplace_back(link);
    sk_X509_push(chain.get(), link);
  }
  ERR_clear_error();  // the loop ends on a "no start line" error
  Owned<PKCS12, PKCS12_free> sealed(
      PKCS12_create(password.c_str(), "client", key.get(), certificate.get(), chain.get(), 0, 0, 0, 0, 0));
  check(sealed != nullptr, "PKCS#12");
  Owned<BIO, BIO_free_all> out(BIO_new(BIO_s_mem()));
  check(i2d_PKCS12_bio(out.get(), sealed.get()) == 1, "PKCS#12 output");
  char* data = nullptr;
  const long size = BIO_get_mem_data(out.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

}  // namespace testsupport
