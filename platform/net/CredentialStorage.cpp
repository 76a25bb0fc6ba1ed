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

CredentialStorage::CredentialStorage(std::string path, std::unique_ptr<SecretServiceKeyring> keyring)
    : path_(std::move(path)), keyring_(std::move(keyring)) {
  load();
}

void CredentialStorage::load() {
  if (!foundation::FileManager::fileExists(path_)) return;
  auto text = foundation::FileManager::readFile(path_);
  if (!text) {
    loadError_ = text.error();
    return;
  }
  auto root = foundation::PropertyList::parse(*text);
  if (!root || !root->isArray()) {
    loadError_ =
        root ? foundation::makeError(foundation::kPropertyListErrorDomain, 1, "The credentials file is not a list")
             : root.error();
    // Kept aside rather than overwritten by the next save, so nothing stored is lost for good.
    (void)foundation::FileManager::moveItem(path_, path_ + ".damaged");
    return;
  }
  for (const auto& item : *root->getArray()) {
    const auto* entry = item.getDictionary();
    if (!entry) continue;
    Credentials credential{(*entry)["User"].toString(), (*entry)["Password"].toString(), std::nullopt};
    if (entry->contains("Domain")) credential.accountDomain = (*entry)["Domain"].toString();
    entries_.push_back({spaceFromDictionary(*entry), std::move(credential), CredentialPersistence::permanent});
  }
}

foundation::Status CredentialStorage::save() const {
  foundation::Array list;
  for (const auto& entry : entries_) {
    if (entry.persistence != CredentialPersistence::permanent) continue;
    auto item = spaceToDictionary(entry.space);
    item.set("User", entry.credential.username);
    item.set("Password", entry.credential.password);
    if (entry.credential.accountDomain) item.set("Domain", *entry.credential.accountDomain);
    list.push_back(std::move(item));
  }
  auto text = foundation::PropertyList::serialize(foundation::Value(std::move(list)));
  if (!text) return text.error();
  std::string folder = foundation::Paths::deletingLastPathComponent(path_);
  if (auto made = foundation::FileManager::createDirectory(folder); !made) return made;
  // Only this user may list or open the folder, whatever the umask made of it.
  ::chmod(folder.c_str(), 0700);
  return foundation::FileManager::writeAtomically(path_, *text, 0600);
}

std::optional<Credentials> CredentialStorage::heldCredential(const ProtectionSpace& space) const {
  std::scoped_lock lock(lock_);
  for (const auto& entry : entries_) {
    if (entry.space == space) return entry.credential;
  }
  return std::nullopt;
}

std::optional<Credentials> CredentialStorage::defaultCredential(const ProtectionSpace& space,
                                                                foundation::Duration keyringTimeOut) const {
  if (auto held = heldCredential(space)) return held;
  if (!keyring_) return std::nullopt;
  KeyringAnswer answer = keyring_->find(space, keyringTimeOut);
  if (answer.outcome != KeyringAnswer::Outcome::done && answer.outcome != KeyringAnswer::Outcome::absent) {
    reportKeyringFailure(answer);
  }
  return answer.credential;
}

void CredentialStorage::findDefaultCredential(const ProtectionSpace& space, foundation::Duration keyringTimeOut,
                                              std::function<void(std::optional<Credentials>)> answer) const {
  auto held = heldCredential(space);
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
  std::scoped_lock writes(keyringWrites_);
  bool toKeyring = persistence == CredentialPersistence::permanent && keyring_;
  bool wasInFile = false;
  {
    std::scoped_lock lock(lock_);
    wasInFile = std::erase_if(entries_, [&](const Entry& entry) {
      return entry.space == space && entry.persistence == CredentialPersistence::permanent;
    });
    std::erase_if(entries_, [&](const Entry& entry) { return entry.space == space; });
    // While the keyring is asked, others find the credential here at once.
    entries_.push_back({space, credential, toKeyring ? CredentialPersistence::forSession : persistence});
    if (!keyring_) {
      return persistence == CredentialPersistence::permanent || wasInFile ? save() : foundation::Status::success();
    }
  }
  // A session credential: the keyring's older one would otherwise come back once this one is gone.
  KeyringAnswer answer =
      toKeyring ? keyring_->store(space, credential, keyringTimeOut) : keyring_->remove(space, keyringTimeOut);
  bool failed = answer.outcome == KeyringAnswer::Outcome::noAnswer || answer.outcome == KeyringAnswer::Outcome::refused;
  if (failed) reportKeyringFailure(answer);
  std::scoped_lock lock(lock_);
  auto pending = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    return entry.space == space && entry.persistence == CredentialPersistence::forSession &&
           entry.credential == credential;
  });
  if (!toKeyring || answer.outcome == KeyringAnswer::Outcome::done) {
    if (toKeyring && pending != entries_.end()) entries_.erase(pending);
    return wasInFile ? save() : foundation::Status::success();
  }
  // Nothing took the call: there is no Secret Service after all, so the file keeps it.
  if (answer.outcome == KeyringAnswer::Outcome::absent) {
    if (pending != entries_.end()) pending->persistence = CredentialPersistence::permanent;
    return save();
  }
  if (wasInFile) (void)save();  // the replaced password leaves the file all the same
  return foundation::makeError(kCredentialStorageErrorDomain, kCredentialNotSaved,
                               answer.reason + "; the password is kept for this run only");
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
  std::scoped_lock writes(keyringWrites_);
  foundation::Status saved = foundation::Status::success();
  {
    std::scoped_lock lock(lock_);
    if (std::erase_if(entries_, [&](const Entry& entry) { return entry.space == space; })) saved = save();
  }
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
