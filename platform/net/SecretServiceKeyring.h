#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPAuthentication.h"

namespace net {

struct ProtectionSpace;

// What the keyring made of one call.
struct KeyringAnswer {
  enum class Outcome {
    done,      // answered as asked
    refused,   // answered but would not do it (locked and not unlocked, no default collection, ...)
    noAnswer,  // did not answer within the call's time-out
    absent,    // nothing on the bus took the call: there is no Secret Service after all
  };
  Outcome outcome = Outcome::done;
  std::string reason;                     // why, when not done
  std::optional<Credentials> credential;  // what find() found
  foundation::Date savedAt;               // when find()'s credential was stored; 0 when not known
};

// How long a keyring call may take when the caller gives no time-out (or one of 0 or less).
inline constexpr foundation::Duration kDefaultKeyringTimeOut{10};

// The desktop's keyring: the Secret Service on the session bus. Each protection space keeps one
// item, found by its host, port, scheme and realm; the password is the item's secret, the user
// name, account domain and time of saving ride along as attributes. Any thread. Each call waits for the keyring at
// most its time-out and is then cancelled: a keyring that takes calls and never answers holds
// nobody up for longer.
class SecretServiceKeyring {
 public:
  // nullptr when nothing on the session bus owns or can start the Secret Service (or there is no
  // session bus). Only the bus itself is asked, so a Secret Service that does not answer still
  // gives a keyring.
  static std::unique_ptr<SecretServiceKeyring> connect();
  ~SecretServiceKeyring();
  SecretServiceKeyring(const SecretServiceKeyring&) = delete;
  SecretServiceKeyring& operator=(const SecretServiceKeyring&) = delete;

  // done without a credential when the keyring holds nothing for the space (or keeps it locked).
  KeyringAnswer find(const ProtectionSpace& space, foundation::Duration timeOut) const;
  // Replaces what the keyring holds for the space, noting when it was saved.
  KeyringAnswer store(const ProtectionSpace& space, const Credentials& credential, foundation::Date savedAt,
                      foundation::Duration timeOut);
  KeyringAnswer remove(const ProtectionSpace& space, foundation::Duration timeOut);

 private:
  SecretServiceKeyring() = default;
};

}  // namespace net
