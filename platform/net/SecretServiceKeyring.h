#pragma once

#include <memory>
#include <optional>

#include "platform/net/HTTPAuthentication.h"

namespace net {

struct ProtectionSpace;

// The desktop's keyring: the Secret Service on the session bus. Each protection space keeps one
// item, found by its host, port, scheme and realm; the password is the item's secret, the user
// name and account domain ride along as attributes. Calls block on the bus; any thread.
class SecretServiceKeyring {
 public:
  // nullptr when no Secret Service answers on the session bus.
  static std::unique_ptr<SecretServiceKeyring> connect();
  ~SecretServiceKeyring();
  SecretServiceKeyring(const SecretServiceKeyring&) = delete;
  SecretServiceKeyring& operator=(const SecretServiceKeyring&) = delete;

  // nullopt when the keyring holds nothing for the space (or keeps it locked).
  std::optional<Credentials> find(const ProtectionSpace& space) const;
  // Replaces what the keyring holds for the space; false when it would not take it.
  bool store(const ProtectionSpace& space, const Credentials& credential);
  void remove(const ProtectionSpace& space);

 private:
  struct Service;
  explicit SecretServiceKeyring(std::unique_ptr<Service> service);
  std::unique_ptr<Service> service_;
};

}  // namespace net
