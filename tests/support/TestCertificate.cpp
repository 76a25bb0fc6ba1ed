#include "tests/support/TestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace testsupport {
namespace {

template <class T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, decltype([](T* pointer) { Free(pointer); })>;

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

void addExtension(X509* certificate, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  Owned<X509_EXTENSION, X509_EXTENSION_free> extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
  check(extension != nullptr, "extension");
  check(X509_add_ext(certificate, extension.get(), -1) == 1, "add extension");
}

}  // namespace

TestCertificate TestCertificate::generate(const std::string& names, bool expired) {
  Owned<EVP_PKEY, EVP_PKEY_free> key(EVP_EC_gen("P-256"));
  check(key != nullptr, "key");
  Owned<X509, X509_free> certificate(X509_new());
  X509_set_version(certificate.get(), 2);
  unsigned char serial[8];
  RAND_bytes(serial, sizeof serial);
  serial[0] &= 0x7F;
  Owned<BIGNUM, BN_free> serialNumber(BN_bin2bn(serial, sizeof serial, nullptr));
  BN_to_ASN1_INTEGER(serialNumber.get(), X509_get_serialNumber(certificate.get()));
  const long day = 24 * 60 * 60;
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), expired ? -10 * day : -day);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), expired ? -day : 30 * day);
  X509_NAME* subject = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("loopback test server"),
                             -1, -1, 0);
  X509_set_issuer_name(certificate.get(), subject);
  X509_set_pubkey(certificate.get(), key.get());
  addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
  addExtension(certificate.get(), NID_subject_alt_name, names);
  check(X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0, "sign");

  TestCertificate result;
  result.certificatePEM = pemOf([&](BIO* bio) { return PEM_write_bio_X509(bio, certificate.get()); });
  result.privateKeyPEM = pemOf([&](BIO* bio) {
    return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
  });
  return result;
}

}  // namespace testsupport
