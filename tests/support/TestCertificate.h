#pragma once

#include <string>

namespace testsupport {

// A self-signed certificate and its key, made when a test runs (never stored in the tree).
struct TestCertificate {
  std::string certificatePEM;
  std::string privateKeyPEM;

  // `names` is a subjectAltName list such as "DNS:localhost,IP:127.0.0.1". An expired
  // certificate's validity ended yesterday.
  static TestCertificate generate(const std::string& names, bool expired = false);
};

}  // namespace testsupport
