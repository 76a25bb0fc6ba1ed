#include "platform/net/CredentialStorage.h"

#include <sys/stat.h>

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
    entries.push_back({spaceFromDictionary(*entry), std::move(credential), CredentialPersistence::permanent});
  }
  return entries;
}

foundation::Result<std::vector<CredentialStorage::Entry>> CredentialStorage::readEntriesLocked(
    foundation::ErrorPtr& damage) const {
  auto entries = readEntries(damage);
  if (!damage) return entries;
  // Kept aside rather than overwritten by the next save, so nothing stored is lost for good.
  if (auto moved = foundation::FileManager::moveItem(path_, path_ + ".damaged"); !moved) {
    return foundation::makeError(damage->domain(), damage->code(),
                                 "The credentials file is damaged (" + damage->description() +
                                     ") and could not be kept aside: " + moved.error()->description());
  }
  std::fprintf(stderr, "net: the credentials file is damaged (%s); it is kept aside as %s.damaged.\n",
               damage->description().c_str(), path_.c_str());
  return entries;
}

foundation::Status CredentialStorage::changeFile(const ProtectionSpace& space,
                                                 const std::optional<Credentials>& credential) {
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
    entries->push_back({space, *credential, CredentialPersistence::permanent});
    changed = true;
  }
  if (changed) {
    foundation::Array list;
    for (const auto& entry : *entries) {
      auto item = spaceToDictionary(entry.space);
      item.set("User", entry.credential.username);
      item.set("Password", entry.credential.password);
      if (entry.credential.accountDomain) item.set("Domain", *entry.credential.accountDomain);
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

std::optional<Credentials> CredentialStorage::heldCredential(const ProtectionSpace& space,
                                                             CredentialPersistence persistence) const {
  std::scoped_lock lock(lock_);
  for (const auto& entry : entries_) {
    if (entry.space == space && entry.persistence == persistence) return entry.credential;
  }
  return std::nullopt;
}

std::optional<Credentials> CredentialStorage::defaultCredential(const ProtectionSpace& space,
                                                                foundation::Duration keyringTimeOut) const {
  if (auto held = heldCredential(space, CredentialPersistence::forSession)) return held;
  if (keyring_) {
    KeyringAnswer answer = keyring_->find(space, keyringTimeOut);
    if (answer.outcome != KeyringAnswer::Outcome::done && answer.outcome != KeyringAnswer::Outcome::absent) {
      reportKeyringFailure(answer);
    }
    if (answer.credential) return answer.credential;
  }
  return heldCredential(space, CredentialPersistence::permanent);
}

void CredentialStorage::findDefaultCredential(const ProtectionSpace& space, foundation::Duration keyringTimeOut,
                                              std::function<void(std::optional<Credentials>)> answer) const {
  auto held = heldCredential(space, CredentialPersistence::forSession);
  if (!held && !keyring_) held = heldCredential(space, CredentialPersistence::permanent);
  if (held || !keyring_) {
    answer(std::move(held));
    return;
  }
  foundation::WorkerPool::shared().run(
      [this, space, keyringTimeOut, answer = std::move(answer)] { answer(defaultCredential(space, keyringTimeOut)); });
}

foundation::Status CredentialStorage::setDefaultCredential(const ProtectionSpace& space, const Credentials& credential,
                                                           CredentialPersistence persistence,
                                                           foundation::Duration keyringTimeOut) {
  std::scoped_lock writes(writes_);
  bool permanent = persistence == CredentialPersistence::permanent;
  bool wasInFile = false;
  {
    std::scoped_lock lock(lock_);
    wasInFile = std::erase_if(entries_, [&](const Entry& entry) {
      return entry.space == space && entry.persistence == CredentialPersistence::permanent;
    });
    std::erase_if(entries_, [&](const Entry& entry) { return entry.space == space; });
    // While the keyring or the file is asked, others find the credential here at once; it stays
    // for this run only when neither keeps it.
    entries_.push_back({space, credential, CredentialPersistence::forSession});
  }
  if (!keyring_) {
    // A session credential takes the place of the file's one too.
    auto changed = changeFile(space, permanent ? std::optional(credential) : std::nullopt);
    if (permanent && changed) dropPending(space);
    return changed;
  }
  // A session credential: the keyring's older one would otherwise come back once this one is gone.
  KeyringAnswer answer =
      permanent ? keyring_->store(space, credential, keyringTimeOut) : keyring_->remove(space, keyringTimeOut);
  bool failed = answer.outcome == KeyringAnswer::Outcome::noAnswer || answer.outcome == KeyringAnswer::Outcome::refused;
  if (failed) reportKeyringFailure(answer);
  if (!permanent || answer.outcome == KeyringAnswer::Outcome::done) {
    if (!permanent) return wasInFile ? changeFile(space, std::nullopt) : foundation::Status::success();
    dropPending(space);
    return wasInFile ? takeReplacedOutOfFile(space) : foundation::Status::success();
  }
  // Nothing took the call: there is no Secret Service after all, so the file keeps it.
  if (answer.outcome == KeyringAnswer::Outcome::absent) {
    auto changed = changeFile(space, credential);
    if (changed) dropPending(space);
    return changed;
  }
  if (wasInFile) (void)changeFile(space, std::nullopt);  // the replaced password leaves the file all the same
  return foundation::makeError(kCredentialStorageErrorDomain, kCredentialNotSaved,
                               answer.reason + "; the password is kept for this run only");
}

foundation::Status CredentialStorage::takeReplacedOutOfFile(const ProtectionSpace& space) {
  auto changed = changeFile(space, std::nullopt);
  if (changed) return changed;
  // Look-ups ask the keyring before the file, so the old password is not found again.
  return foundation::makeError(kCredentialStorageErrorDomain, kOldCredentialLeftInFile,
                               "The password is saved in the keyring, but the old one could not be taken out of the "
                               "credentials file: " +
                                   changed.error()->description(),
                               changed.error());
}

void CredentialStorage::keepPermanently(const ProtectionSpace& space, const Credentials& credential,
                                        foundation::Duration keyringTimeOut) {
  if (!keyring_) {
    reportUnsaved(setDefaultCredential(space, credential, CredentialPersistence::permanent), space);
    return;
  }
  SavesUnderWay::shared().begin();
  // Races with other stores, removals and look-ups, which the storage's locks order; and with
  // the process's end, which waits for it (SavesUnderWay).
  foundation::WorkerPool::shared().run([this, space, credential, keyringTimeOut] {
    reportUnsaved(setDefaultCredential(space, credential, CredentialPersistence::permanent, keyringTimeOut), space);
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
  if (!keyring_) return saved;
  KeyringAnswer answer = keyring_->remove(space, keyringTimeOut);
  if (answer.outcome != KeyringAnswer::Outcome::done && answer.outcome != KeyringAnswer::Outcome::absent) {
    reportKeyringFailure(answer);
  }
  return saved;
}

void CredentialStorage::reportKeyringFailure(const KeyringAnswer& answer) const {
  {
    std::scoped_lock lock(lock_);
    if (std::exchange(reportedKeyringFailure_, true)) return;
  }
  std::string reason = answer.reason;
  if (!reason.empty()) reason.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(reason.front())));
  std::fprintf(stderr, "net: %s; passwords are kept for this run only.\n", reason.c_str());
}

}  // namespace net
