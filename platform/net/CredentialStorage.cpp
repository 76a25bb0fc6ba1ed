#include "platform/net/CredentialStorage.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

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

}  // namespace

CredentialStorage& CredentialStorage::shared() {
  static CredentialStorage storage(
      foundation::Paths::appendingPathComponent(
          foundation::Paths::appendingPathComponent(foundation::Paths::preferencesDirectory(), "Credentials"),
          "credentials.plist"),
      SecretServiceKeyring::connect());
  return storage;
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

std::optional<Credentials> CredentialStorage::defaultCredential(const ProtectionSpace& space) const {
  std::scoped_lock lock(lock_);
  for (const auto& entry : entries_) {
    if (entry.space == space) return entry.credential;
  }
  return keyring_ ? keyring_->find(space) : std::nullopt;
}

foundation::Status CredentialStorage::setDefaultCredential(const ProtectionSpace& space, const Credentials& credential,
                                                           CredentialPersistence persistence) {
  std::scoped_lock lock(lock_);
  bool wasInFile = std::erase_if(entries_, [&](const Entry& entry) {
    return entry.space == space && entry.persistence == CredentialPersistence::permanent;
  });
  std::erase_if(entries_, [&](const Entry& entry) { return entry.space == space; });
  if (persistence == CredentialPersistence::permanent && keyring_ && keyring_->store(space, credential)) {
    return wasInFile ? save() : foundation::Status::success();
  }
  // The keyring's older credential would otherwise come back once this one is gone.
  if (keyring_) keyring_->remove(space);
  entries_.push_back({space, credential, persistence});
  return persistence == CredentialPersistence::permanent || wasInFile ? save() : foundation::Status::success();
}

foundation::Status CredentialStorage::removeDefaultCredential(const ProtectionSpace& space) {
  std::scoped_lock lock(lock_);
  if (keyring_) keyring_->remove(space);
  auto removed = std::erase_if(entries_, [&](const Entry& entry) { return entry.space == space; });
  return removed ? save() : foundation::Status::success();
}

}  // namespace net
