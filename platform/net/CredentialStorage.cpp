#include "platform/net/CredentialStorage.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/WorkerPool.h"

namespace net {
namespace {

foundation::Dictionary spaceToDictionary(const ProtectionSpace& space) {
  return {{"Host", space.host},
          {"Port", space.port},
          {"Protocol", space.protocol},
          {"Realm", space.realm},
          {"ProxyType", space.proxyType}};
}

ProtectionSpace spaceFromDictionary(const foundation::Dictionary& entry) {
  return {entry["Host"].toString(), static_cast<int>(entry["Port"].toInt64()), entry["Protocol"].toString(),
          entry["Realm"].toString(), entry["ProxyType"].toString()};
}

// An account domain that is not there and an empty one say the same.
bool sameCredential(const std::optional<Credentials>& saved, const Credentials& credential) {
  return saved && saved->username == credential.username && saved->password == credential.password &&
         saved->accountDomain.value_or("") == credential.accountDomain.value_or("");
}

bool isFailure(const KeyringAnswer& answer) {
  return answer.outcome == KeyringAnswer::Outcome::noAnswer || answer.outcome == KeyringAnswer::Outcome::refused;
}

// The longest an ending process waits for keyring saves still under way.
constexpr foundation::Duration kLongestWaitAtExit{5};

// Saves handed to worker threads. An ending process waits for them: a one-shot command would
// otherwise lose the password it asked to keep, or leave it in a temporary file never renamed
// into place. Never destroyed: a save that outlasts the wait still ends on it.
class SavesUnderWay {
 public:
  static SavesUnderWay& shared() {
    static SavesUnderWay* saves = [] {
      auto* created = new SavesUnderWay();
      std::atexit([] { SavesUnderWay::shared().waitAtExit(); });
      return created;
    }();
    return *saves;
  }
  void begin() {
    std::scoped_lock lock(mutex_);
    ++count_;
  }
  void end() {
    std::scoped_lock lock(mutex_);
    if (--count_ == 0) allEnded_.notify_all();
  }

 private:
  void waitAtExit() {
    std::unique_lock lock(mutex_);
    if (allEnded_.wait_for(lock, kLongestWaitAtExit, [this] { return count_ == 0; })) return;
    std::fprintf(stderr, "net: the process is ending before the keyring answered; a password may not be saved.\n");
  }

  std::mutex mutex_;
  std::condition_variable allEnded_;
  int count_ = 0;  // guarded by mutex_
};

// Says why a credential asked to be kept is not; a keyring failure has been told already.
void reportUnsaved(const foundation::Status& saved, const ProtectionSpace& space) {
  if (saved.ok() || saved.error()->is(kCredentialStorageErrorDomain, kCredentialNotSaved)) return;
  if (saved.error()->is(kCredentialStorageErrorDomain, kOldCredentialLeftInFile)) {
    std::fprintf(stderr,
                 "net: the password for %s is saved in the keyring, but the old one could not be taken out of the "
                 "credentials file: %s\n",
                 space.host.c_str(), saved.error()->underlying()->description().c_str());
    return;
  }
  std::fprintf(stderr, "net: the password for %s could not be saved: %s\n", space.host.c_str(),
               saved.error()->description().c_str());
}

}  // namespace

CredentialStorage& CredentialStorage::shared() {
  // Never destroyed: a keyring call still pending at exit keeps using it.
  static CredentialStorage* storage = new CredentialStorage(
      foundation::Paths::appendingPathComponent(
          foundation::Paths::appendingPathComponent(foundation::Paths::preferencesDirectory(), "Credentials"),
          "credentials.plist"),
      SecretServiceKeyring::connect());
  return *storage;
}

CredentialStorage::CredentialStorage(std::string path, std::unique_ptr<SecretServiceKeyring> keyring,
                                     foundation::Duration fileLockTimeOut)
    : path_(std::move(path)), keyring_(std::move(keyring)), fileLockTimeOut_(fileLockTimeOut) {
  load();
}

void CredentialStorage::load() {
  // No lock: changes replace the file whole, so a reader sees it as it was before or after one.
  foundation::ErrorPtr damage;
  auto entries = readEntries(damage);
  if (damage) entries = rereadDamagedFile(damage);
  if (!entries) {
    loadError_ = entries.error();
    std::fprintf(stderr, "net: the saved passwords could not be read: %s\n", loadError_->description().c_str());
    return;
  }
  loadError_ = damage;
  entries_ = std::move(*entries);
}

foundation::Result<std::vector<CredentialStorage::Entry>> CredentialStorage::rereadDamagedFile(
    foundation::ErrorPtr& damage) const {
  // A change may have replaced the file since it was read: only the file as it is under the lock
  // is set aside. A change under way when the lock cannot be had sets the damaged file aside itself.
  auto locked = lockFile();
  if (!locked) {
    std::fprintf(stderr, "net: the credentials file is damaged (%s) and is ignored; it could not be kept aside: %s\n",
                 damage->description().c_str(), locked.error()->description().c_str());
    return std::vector<Entry>();
  }
  damage.reset();
  return readEntriesLocked(damage);
}

foundation::Result<foundation::FileLock> CredentialStorage::lockFile() const {
  return foundation::FileLock::acquire(path_ + ".lock", fileLockTimeOut_);
}

foundation::Result<std::vector<CredentialStorage::Entry>> CredentialStorage::readEntries(
    foundation::ErrorPtr& damage) const {
  if (!foundation::FileManager::fileExists(path_)) return std::vector<Entry>();
  auto text = foundation::FileManager::readFile(path_);
  if (!text) return text.error();
  auto root = foundation::PropertyList::parse(*text);
  if (!root || !root->isArray()) {
    damage = root ? foundation::makeError(foundation::kPropertyListErrorDomain, 1, "The credentials file is not a list")
                  : root.error();
    return std::vector<Entry>();
  }
  std::vector<Entry> entries;
  for (const auto& item : *root->getArray()) {
    const auto* entry = item.getDictionary();
    if (!entry) continue;
    Credentials credential{(*entry)["User"].toString(), (*entry)["Password"].toString(), std::nullopt};
    if (entry->contains("Domain")) credential.accountDomain = (*entry)["Domain"].toString();
    entries.push_back({spaceFromDictionary(*entry), std::move(credential), CredentialPersistence::permanent,
                       foundation::Date{(*entry)["Saved"].toDouble(0)}});
  }
  return entries;
}

foundation::Result<std::vector<CredentialStorage::Entry>> CredentialStorage::readEntriesLocked(
    foundation::ErrorPtr& damage) const {
  auto entries = readEntries(damage);
  if (!damage) return entries;
  // Kept aside rather than overwritten by the next save, so nothing stored is lost for good; an
  // earlier damaged file kept aside stays too. The lock keeps other processes from taking the name.
  std::string aside = path_ + ".damaged";
  for (int copy = 2; foundation::FileManager::fileExists(aside); ++copy)
    aside = path_ + ".damaged-" + std::to_string(copy);
  if (auto moved = foundation::FileManager::moveItem(path_, aside); !moved) {
    return foundation::makeError(damage->domain(), damage->code(),
                                 "The credentials file is damaged (" + damage->description() +
                                     ") and could not be kept aside: " + moved.error()->description());
  }
  std::fprintf(stderr, "net: the credentials file is damaged (%s); it is kept aside as %s.\n",
               damage->description().c_str(), aside.c_str());
  return entries;
}

foundation::Status CredentialStorage::changeFile(const ProtectionSpace& space,
                                                 const std::optional<Credentials>& credential,
                                                 foundation::Date savedAt) {
  // Nothing to take out of a file that is not there, and no folder made for it.
  if (!credential && !foundation::FileManager::fileExists(path_)) return foundation::Status::success();
  std::string folder = foundation::Paths::deletingLastPathComponent(path_);
  if (auto made = foundation::FileManager::createDirectory(folder); !made) return made;
  // Only this user may list or open the folder, whatever the umask made of it.
  ::chmod(folder.c_str(), 0700);
  // Another process's change lands wholly before or after this one: each rereads the file under
  // the lock, so neither writes back an entry list the other has changed since. A process that
  // ends while holding the lock lets go of it, leaving the file as it was or as changed.
  auto locked = lockFile();
  if (!locked) return locked.error();
  foundation::ErrorPtr damage;
  auto entries = readEntriesLocked(damage);
  if (!entries) return entries.error();
  bool changed = std::erase_if(*entries, [&](const Entry& entry) { return entry.space == space; }) > 0;
  if (credential) {
    entries->push_back({space, *credential, CredentialPersistence::permanent, savedAt});
    changed = true;
  }
  if (changed) {
    foundation::Array list;
    for (const auto& entry : *entries) {
      auto item = spaceToDictionary(entry.space);
      item.set("User", entry.credential.username);
      item.set("Password", entry.credential.password);
      if (entry.credential.accountDomain) item.set("Domain", *entry.credential.accountDomain);
      if (entry.savedAt.secondsSince1970 > 0) item.set("Saved", entry.savedAt.secondsSince1970);
      list.push_back(std::move(item));
    }
    auto text = foundation::PropertyList::serialize(foundation::Value(std::move(list)));
    if (!text) return text.error();
    if (auto written = foundation::FileManager::writeAtomically(path_, *text, 0600); !written) return written;
  }
  std::scoped_lock lock(lock_);
  std::erase_if(entries_, [](const Entry& entry) { return entry.persistence == CredentialPersistence::permanent; });
  // After this run's session credentials, which look-ups find first.
  entries_.insert(entries_.end(), entries->begin(), entries->end());
  return foundation::Status::success();
}

void CredentialStorage::dropPending(const ProtectionSpace& space) {
  std::scoped_lock lock(lock_);
  std::erase_if(entries_, [&](const Entry& entry) {
    return entry.space == space && entry.persistence == CredentialPersistence::forSession;
  });
}

std::optional<CredentialStorage::Entry> CredentialStorage::heldEntry(const ProtectionSpace& space,
                                                                     CredentialPersistence persistence) const {
  std::scoped_lock lock(lock_);
  for (const auto& entry : entries_) {
    if (entry.space == space && entry.persistence == persistence) return entry;
  }
  return std::nullopt;
}

bool CredentialStorage::keyringIsSilent() const {
  std::scoped_lock lock(lock_);
  return keyringSilent_;
}

std::optional<Credentials> CredentialStorage::defaultCredential(const ProtectionSpace& space,
                                                                foundation::Duration keyringTimeOut) const {
  if (auto held = heldEntry(space, CredentialPersistence::forSession)) return held->credential;
  return savedCredential(space, keyringTimeOut);
}

std::optional<Credentials> CredentialStorage::savedCredential(const ProtectionSpace& space,
                                                              foundation::Duration keyringTimeOut) const {
  std::optional<KeyringAnswer> inKeyring = askKeyring(space, keyringTimeOut);
  // Read after the keyring answered, so that a save that landed meanwhile is seen.
  std::optional<Entry> inFile = heldEntry(space, CredentialPersistence::permanent);
  if (inKeyring && inKeyring->credential && (!inFile || inKeyring->savedAt >= inFile->savedAt))
    return inKeyring->credential;
  if (inFile) return inFile->credential;
  return std::nullopt;
}

std::optional<KeyringAnswer> CredentialStorage::askKeyring(const ProtectionSpace& space,
                                                           foundation::Duration keyringTimeOut) const {
  if (!keyring_ || keyringIsSilent()) return std::nullopt;
  KeyringAnswer answer = keyring_->find(space, keyringTimeOut);
  if (isFailure(answer)) keyringFailed(answer, KeyringCall::lookUp);
  return answer;
}

void CredentialStorage::findDefaultCredential(const ProtectionSpace& space, foundation::Duration keyringTimeOut,
                                              std::function<void(std::optional<Credentials>)> answer) const {
  if (auto held = heldEntry(space, CredentialPersistence::forSession)) return answer(held->credential);
  // Without a keyring to wait for, the file answers at once.
  if (!keyring_ || keyringIsSilent()) return answer(savedCredential(space, keyringTimeOut));
  foundation::WorkerPool::shared().run(
      [this, space, keyringTimeOut, answer = std::move(answer)] { answer(defaultCredential(space, keyringTimeOut)); });
}

foundation::Status CredentialStorage::setDefaultCredential(const ProtectionSpace& space, const Credentials& credential,
                                                           CredentialPersistence persistence,
                                                           foundation::Duration keyringTimeOut) {
  std::scoped_lock writes(writes_);
  bool wasInFile = false;
  {
    std::scoped_lock lock(lock_);
    wasInFile = std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
      return entry.space == space && entry.persistence == CredentialPersistence::permanent;
    });
    std::erase_if(entries_, [&](const Entry& entry) {
      return entry.space == space && entry.persistence == CredentialPersistence::forSession;
    });
    // While the keyring or the file is asked, others find the credential here at once; it stays
    // for this run only when neither keeps it.
    entries_.push_back({space, credential, CredentialPersistence::forSession, {}});
  }
  if (persistence == CredentialPersistence::forSession) return forgetSavedCopies(space, wasInFile, keyringTimeOut);
  if (sameCredential(savedCredential(space, keyringTimeOut), credential)) {
    dropPending(space);  // kept already: nothing to write, and nothing to say
    return foundation::Status::success();
  }
  return savePermanently(space, credential, wasInFile, keyringTimeOut);
}

foundation::Status CredentialStorage::forgetSavedCopies(const ProtectionSpace& space, bool wasInFile,
                                                        foundation::Duration keyringTimeOut) {
  // The keyring's older one would otherwise come back once this run's credential is gone.
  if (keyring_ && !keyringIsSilent()) {
    KeyringAnswer answer = keyring_->remove(space, keyringTimeOut);
    if (isFailure(answer)) keyringFailed(answer, KeyringCall::save);
  }
  // Without a keyring the file is looked at whatever this storage holds: another process may have
  // saved one since.
  if (keyring_ && !wasInFile) return foundation::Status::success();
  return changeFile(space, std::nullopt);
}

foundation::Status CredentialStorage::savePermanently(const ProtectionSpace& space, const Credentials& credential,
                                                      bool wasInFile, foundation::Duration keyringTimeOut) {
  const foundation::Date savedAt = foundation::Clock::current().wallNow();
  if (keyring_) {
    if (keyringIsSilent()) {
      return foundation::makeError(kCredentialStorageErrorDomain, kCredentialNotSaved,
                                   "The keyring did not answer earlier in this run; the password is kept for this run "
                                   "only");
    }
    KeyringAnswer answer = keyring_->store(space, credential, savedAt, keyringTimeOut);
    if (answer.outcome == KeyringAnswer::Outcome::done) {
      dropPending(space);
      return wasInFile ? takeReplacedOutOfFile(space) : foundation::Status::success();
    }
    if (isFailure(answer)) {
      keyringFailed(answer, KeyringCall::save);
      // The file keeps what it holds: nothing else keeps a password for the space yet.
      return foundation::makeError(kCredentialStorageErrorDomain, kCredentialNotSaved,
                                   answer.reason + "; the password is kept for this run only");
    }
    // Nothing on the bus took the call: there is no Secret Service after all, so the file keeps it.
  }
  auto changed = changeFile(space, credential, savedAt);
  if (changed) dropPending(space);
  return changed;
}

foundation::Status CredentialStorage::takeReplacedOutOfFile(const ProtectionSpace& space) {
  auto changed = changeFile(space, std::nullopt);
  if (changed) return changed;
  // The keyring's copy is the newer one, so look-ups do not find the old password again.
  return foundation::makeError(kCredentialStorageErrorDomain, kOldCredentialLeftInFile,
                               "The password is saved in the keyring, but the old one could not be taken out of the "
                               "credentials file: " +
                                   changed.error()->description(),
                               changed.error());
}

void CredentialStorage::keepPermanently(const ProtectionSpace& space, const Credentials& credential,
                                        foundation::Duration keyringTimeOut,
                                        std::function<void(const foundation::Status&)> saved) {
  SavesUnderWay::shared().begin();
  // Races with other stores, removals and look-ups, which the storage's locks order; and with
  // the process's end, which waits for it (SavesUnderWay).
  foundation::WorkerPool::shared().run([this, space, credential, keyringTimeOut, saved = std::move(saved)] {
    foundation::Status status =
        setDefaultCredential(space, credential, CredentialPersistence::permanent, keyringTimeOut);
    reportUnsaved(status, space);
    if (saved) saved(status);
    SavesUnderWay::shared().end();
  });
}

foundation::Status CredentialStorage::removeDefaultCredential(const ProtectionSpace& space,
                                                              foundation::Duration keyringTimeOut) {
  std::scoped_lock writes(writes_);
  {
    std::scoped_lock lock(lock_);
    std::erase_if(entries_, [&](const Entry& entry) { return entry.space == space; });
  }
  foundation::Status saved = changeFile(space, std::nullopt);
  if (!keyring_ || keyringIsSilent()) return saved;
  KeyringAnswer answer = keyring_->remove(space, keyringTimeOut);
  if (isFailure(answer)) keyringFailed(answer, KeyringCall::save);
  return saved;
}

void CredentialStorage::keyringFailed(const KeyringAnswer& answer, KeyringCall call) const {
  const bool silent = answer.outcome == KeyringAnswer::Outcome::noAnswer;
  {
    std::scoped_lock lock(lock_);
    bool& said = silent ? keyringSilent_ : call == KeyringCall::lookUp ? reportedLookUpFailure_ : reportedSaveFailure_;
    if (std::exchange(said, true)) return;
  }
  std::string reason = answer.reason;
  if (!reason.empty()) reason.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(reason.front())));
  const char* meaning = silent ? "it is not asked again in this run: saved passwords are looked up in the credentials "
                                 "file only, and new ones are kept for this run only"
                        : call == KeyringCall::lookUp ? "saved passwords are looked up in the credentials file only"
                                                      : "passwords are kept for this run only";
  std::fprintf(stderr, "net: %s; %s.\n", reason.c_str(), meaning);
}

}  // namespace net
