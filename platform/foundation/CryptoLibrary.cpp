#include "platform/foundation/CryptoLibrary.h"

#include <openssl/crypto.h>

namespace foundation {

bool keepCryptoForTheRun() {
  static const bool kept = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
  return kept;
}

}  // namespace foundation
