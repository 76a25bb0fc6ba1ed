#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"

namespace net {

// The private key and certificate chain a client presents when a TLS server asks for one. The
// files are read on first use (the first handshake that presents the identity, on that
// stream's thread) and kept; a file that is missing, damaged or locked by another password fails
// that handshake, and every later one, with a TLS error that names the file and says why. Shared
// between threads once made.
class ClientIdentity {
 public:
  // Any thread. A certificate chain in PEM (the client's own certificate first, its
  // intermediates after) and its private key in PEM, encrypted with `password` or not. An empty
  // `privateKeyPath` takes the key from the certificate file.
  static std::shared_ptr<const ClientIdentity> fromPEMFiles(std::string certificateChainPath,
                                                            std::string privateKeyPath, std::string password = "");
  // Any thread. A PKCS#12 file holding the key, the certificate and its chain, sealed with `password`.
  static std::shared_ptr<const ClientIdentity> fromPKCS12File(std::string path, std::string password);
  ~ClientIdentity();
  ClientIdentity(const ClientIdentity&) = delete;
  ClientIdentity& operator=(const ClientIdentity&) = delete;

  // Any thread. Reads the files unless they were read before; the outcome of the first reading.
  foundation::Status load() const;
  // A number no other identity of this run has (connections are reused only by the same one).
  std::uint64_t serial() const;

  struct Impl;
  const Impl& impl() const { return *impl_; }

 private:
  ClientIdentity();
  std::unique_ptr<Impl> impl_;
};

}  // namespace net
