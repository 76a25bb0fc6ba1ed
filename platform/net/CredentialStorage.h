#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/net/HTTPAuthentication.h"
#include "platform/net/SecretServiceKeyring.h"

namespace net {

// Where a credential applies: a server (host, port, protocol, realm) or a proxy (proxyType set).
struct ProtectionSpace {
  std::string host;
  int port = 0;
  std::string protocol;   // "http" / "https"; empty for a proxy
  std::string realm;      // empty when none
  std::string proxyType;  // "HTTP" for a proxy, empty for a server
  bool operator==(const ProtectionSpace&) const = default;
};

enum class CredentialPersistence { forSession, permanent };

// The default credential of each protection space. Permanent credentials live in the desktop's
// keyring when one answers on the session bus; without one they live in a property list under
// the Preferences folder ("Credentials/credentials.plist"), protected by the file's mode only
// (0600, in a 0700 folder), never encrypted. A credential the file already held is still found
// until it is replaced or removed. Every write replaces the file atomically. Any thread.
class CredentialStorage {
 public:
  // The process-wide storage on the application home's Preferences folder.
  static CredentialStorage& shared();
  // A storage on its own file and, when given, a keyring (tests, and shared() itself); the file
  // is read at once.
  explicit CredentialStorage(std::string path, std::unique_ptr<SecretServiceKeyring> keyring = nullptr);

  std::optional<Credentials> defaultCredential(const ProtectionSpace& space) const;
  // Replaces the space's default credential; a permanent one is written to the file.
  foundation::Status setDefaultCredential(const ProtectionSpace& space, const Credentials& credential,
                                          CredentialPersistence persistence);
  foundation::Status removeDefaultCredential(const ProtectionSpace& space);
  // The file could not be read when the storage started (a damaged file starts empty).
  const foundation::ErrorPtr& loadError() const { return loadError_; }

 private:
  struct Entry {
    ProtectionSpace space;
    Credentials credential;
    CredentialPersistence persistence;
  };
  void load();
  foundation::Status save() const;

  std::string path_;
  std::unique_ptr<SecretServiceKeyring> keyring_;
  mutable std::mutex lock_;
  std::vector<Entry> entries_;
  foundation::ErrorPtr loadError_;
};

}  // namespace net
