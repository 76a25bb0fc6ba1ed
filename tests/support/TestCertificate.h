#pragma once

#include <string>

namespace testsupport {

// A certificate and its key, made when a test runs (never stored in the tree).
struct TestCertificate {
  std::string certificatePEM;
  std::string privateKeyPEM;

  // A self-signed CA certificate. `names` is a subjectAltName list such as
  // "DNS:localhost,IP:127.0.0.1". An expired certificate's validity ended yesterday.
  static TestCertificate generate(const std::string& names, bool expired = false);
  // A certificate for `commonName` signed by `issuer`; itself a CA when `isCA`.
  static TestCertificate issue(const std::string& commonName, const TestCertificate& issuer, bool isCA = false);
  // The key, the certificate and `chainPEM` sealed in a PKCS#12 file's bytes with `password`.
  std::string pkcs12(const std::string& password, const std::string& chainPEM = "") const;
};

}  // namespace testsupport
