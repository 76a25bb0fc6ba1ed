#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileLock.h"
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

inline constexpr const char* kCredentialStorageErrorDomain = "CredentialStorageErrorDomain";
// The keyring refused a permanent credential or did not answer: it is kept for this run only.
inline constexpr long long kCredentialNotSaved = 1;
// The keyring took a password, but the file still holds the one it replaced (its lock could not
// be had); look-ups find the keyring's. The underlying error says why.
inline constexpr long long kOldCredentialLeftInFile = 2;
// The longest a save, a removal or the setting aside of a damaged file waits while another process
// changes the credentials file.
inline constexpr foundation::Duration kDefaultFileLockTimeOut{2};

// The default credential of each protection space. Permanent credentials live in the desktop's
// keyring when one is on the session bus; without one they live in a property list under the
// Preferences folder ("Credentials/credentials.plist"), protected by the file's mode only (0600,
// in a 0700 folder), never encrypted. A keyring that refuses a password or does not answer in
// time never sends it to the file: it is kept for this run only, and standard error says so once.
// A credential the file holds stays there until something else keeps one for its space: a
// keyring that takes the space's password, a removal, or a save to the file. Each copy carries
// the time it was saved, and a look-up finds this run's session credential first, then whichever
// of the keyring's and the file's was saved last (a copy without a time counts as older; between
// two such, the keyring's). A keyring that has not answered once is not asked again in this run:
// look-ups answer from the file and saves keep the password for this run only. A save of the
// credential a look-up finds already changes nothing: it takes no lock and writes nothing.
// Processes on one home share the file: a save or a removal changes only its own entry of the
// file as it is on disk then, under a lock on the file ("credentials.plist.lock" beside it), and
// replaces the file atomically; this storage then holds what the file holds, besides its session
// credentials. Reading takes no lock, as a replaced file is always whole, so a busy lock or a home
// where it cannot be made (read-only) hides no saved password; a process that holds the lock
// beyond the bound makes a change fail, saying so. Any thread; no lock of look-ups is held while
// the keyring or the file lock is waited for, so a keyring that does not answer holds up only the
// caller that asked it.
class CredentialStorage {
 public:
  // The process-wide storage on the application home's Preferences folder.
  static CredentialStorage& shared();
  // A storage on its own file and, when given, a keyring (tests, and shared() itself); the file
  // is read at once. A change of the file waits at most `fileLockTimeOut` for the lock.
  explicit CredentialStorage(std::string path, std::unique_ptr<SecretServiceKeyring> keyring = nullptr,
                             foundation::Duration fileLockTimeOut = kDefaultFileLockTimeOut);

  // The keyring is asked for at most `keyringTimeOut`.
  std::optional<Credentials> defaultCredential(const ProtectionSpace& space,
                                               foundation::Duration keyringTimeOut = kDefaultKeyringTimeOut) const;
  // The same answer, given to `answer` on a worker thread (or at once when no keyring need be
  // asked). The storage outlives the answer.
  void findDefaultCredential(const ProtectionSpace& space, foundation::Duration keyringTimeOut,
                             std::function<void(std::optional<Credentials>)> answer) const;
  // Replaces the space's default credential. A permanent one goes to the keyring, or to the file
  // when there is no keyring; an error says why it is kept for this run only.
  foundation::Status setDefaultCredential(const ProtectionSpace& space, const Credentials& credential,
                                          CredentialPersistence persistence,
                                          foundation::Duration keyringTimeOut = kDefaultKeyringTimeOut);
  // A permanent setDefaultCredential() for a caller that must not wait for the keyring or the
  // file's lock (the network thread): it runs on a worker thread, and a process that ends
  // meanwhile waits for it, a few seconds at most. Why a credential could not be kept goes to
  // standard error; `saved`, when given, then hears the outcome on that worker. The storage
  // outlives the save.
  void keepPermanently(const ProtectionSpace& space, const Credentials& credential, foundation::Duration keyringTimeOut,
                       std::function<void(const foundation::Status&)> saved = nullptr);
  foundation::Status removeDefaultCredential(const ProtectionSpace& space,
                                             foundation::Duration keyringTimeOut = kDefaultKeyringTimeOut);
  // The file could not be read when the storage started (a damaged file starts empty); standard
  // error has said so.
  const foundation::ErrorPtr& loadError() const { return loadError_; }

 private:
  struct Entry {
    ProtectionSpace space;
    Credentials credential;
    CredentialPersistence persistence;
    foundation::Date savedAt;  // permanent entries; 0 when the file did not say
  };
  // What a failed keyring call was asked for, which decides the words that report it.
  enum class KeyringCall { lookUp, save };
  void load();
  // The entries found in a damaged file read without the lock, once read again with it.
  foundation::Result<std::vector<Entry>> rereadDamagedFile(foundation::ErrorPtr& damage) const;
  foundation::Result<foundation::FileLock> lockFile() const;
  // The file's entries, none when there is no file; a damaged file reads as none, and `damage`
  // says why.
  foundation::Result<std::vector<Entry>> readEntries(foundation::ErrorPtr& damage) const;
  // readEntries() with the file locked, moving a damaged file aside (never to be overwritten).
  foundation::Result<std::vector<Entry>> readEntriesLocked(foundation::ErrorPtr& damage) const;
  // Puts `credential` as the space's entry of the file, saved at `savedAt`, or takes the space's
  // entry out (nullopt), as the file is on disk now; the permanent entries held here then become
  // the file's.
  foundation::Status changeFile(const ProtectionSpace& space, const std::optional<Credentials>& credential,
                                foundation::Date savedAt = {});
  // The permanent credential a look-up finds: the keyring's or the file's, whichever was saved last.
  std::optional<Credentials> savedCredential(const ProtectionSpace& space, foundation::Duration keyringTimeOut) const;
  // The keyring's answer; nothing without a keyring or once it has not answered in this run.
  std::optional<KeyringAnswer> askKeyring(const ProtectionSpace& space, foundation::Duration keyringTimeOut) const;
  // A session credential's save: the space's permanent copies go, lest they come back after the run.
  foundation::Status forgetSavedCopies(const ProtectionSpace& space, bool wasInFile,
                                       foundation::Duration keyringTimeOut);
  // Stores a permanent credential in the keyring, or in the file when there is none.
  foundation::Status savePermanently(const ProtectionSpace& space, const Credentials& credential, bool wasInFile,
                                     foundation::Duration keyringTimeOut);
  // Drops the credential held for this run while the keyring or the file was asked.
  void dropPending(const ProtectionSpace& space);
  // After the keyring took the space's password: the file's old one goes, or the answer says it stays.
  foundation::Status takeReplacedOutOfFile(const ProtectionSpace& space);
  std::optional<Entry> heldEntry(const ProtectionSpace& space, CredentialPersistence persistence) const;
  bool keyringIsSilent() const;
  // Without the lock. Notes a keyring that did not answer, and says once per run, and per kind of
  // call, that the keyring failed and what that means.
  void keyringFailed(const KeyringAnswer& answer, KeyringCall call) const;

  std::string path_;
  std::unique_ptr<SecretServiceKeyring> keyring_;
  foundation::Duration fileLockTimeOut_;
  mutable std::mutex lock_;
  // Held across a keyring call or a file change, so that stores and removals land in the order
  // they were asked (lock_ is not held meanwhile: look-ups go on).
  std::mutex writes_;
  std::vector<Entry> entries_;
  foundation::ErrorPtr loadError_;
  mutable bool keyringSilent_ = false;          // guarded by lock_
  mutable bool reportedLookUpFailure_ = false;  // guarded by lock_
  mutable bool reportedSaveFailure_ = false;    // guarded by lock_
};

}  // namespace net
