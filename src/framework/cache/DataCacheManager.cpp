#include "src/framework/cache/DataCacheManager.h"

#include <algorithm>
#include <mutex>

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ApplicationNotifications.h"

namespace framework {

namespace {

std::unique_ptr<DataCacheManager>& sharedInstance() {
  static foundation::NoDestructor<std::unique_ptr<DataCacheManager>> instance;
  return *instance;
}

std::mutex& creationMutex() {
  static std::mutex mutex;
  return mutex;
}

// What an archive in the user defaults holds; null when it is missing or cannot be read, so a
// damaged entry costs its contents but never the start-up.
foundation::Value unarchivedDefault(const char* key) {
  std::optional<foundation::Bytes> data = foundation::UserDefaults::standardUserDefaults().dataForKey(key);
  if (!data) return {};
  foundation::Result<foundation::Value> value = foundation::KeyedArchive::unarchiveObject(*data);
  return value ? std::move(value).value() : foundation::Value();
}

// An empty key could never be read back: storing under it would answer success for nothing kept.
foundation::ErrorPtr invalidKeyError() {
  return foundation::makeError(kDataCacheErrorDomain, kDataCacheInvalidKeyError,
                               "Cannot store an object in the data cache under an empty key.");
}

}  // namespace

DataCacheManager::DataCacheManager() {
  registerMemoryWarningNotification();
  restore();
}

DataCacheManager::~DataCacheManager() { foundation::NotificationCenter::defaultCenter().removeObserver(this); }

DataCacheManager& DataCacheManager::sharedManager() {
  std::lock_guard lock(creationMutex());
  auto& instance = sharedInstance();
  if (!instance) instance.reset(new DataCacheManager());
  return *instance;
}

void DataCacheManager::resetSharedManagerForTesting() {
  std::lock_guard lock(creationMutex());
  sharedInstance().reset();
}

void DataCacheManager::registerMemoryWarningNotification() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  auto clear = [this](const foundation::Notification&) { clearMemoryCache(); };
  center.addObserver(this, ui::kApplicationDidReceiveMemoryWarningNotification, clear);
  if (foundation::DeviceInfo::current().multitaskingSupported)
    center.addObserver(this, ui::kApplicationDidEnterBackgroundNotification, clear);
}

// Keeps only keys that have an object, in their order, then any object missing from the keys,
// so that a half-damaged store still holds one key per entry.
void DataCacheManager::restore() {
  foundation::Value objects = unarchivedDefault(kDataCacheObjectsDefaultsKey);
  if (foundation::Dictionary* dictionary = objects.getDictionary()) cachedObjects_ = std::move(*dictionary);

  foundation::Value keys = unarchivedDefault(kDataCacheKeysDefaultsKey);
  if (const foundation::Array* array = keys.getArray()) {
    for (const foundation::Value& key : *array) {
      const std::string* text = key.getString();
      if (text && cachedObjects_.contains(*text) && std::find(keys_.begin(), keys_.end(), *text) == keys_.end())
        keys_.push_back(*text);
    }
  }
  for (const auto& [key, object] : cachedObjects_)
    if (std::find(keys_.begin(), keys_.end(), key) == keys_.end()) keys_.push_back(key);
}

bool DataCacheManager::isValidKey(std::string_view key) { return !key.empty(); }

void DataCacheManager::removeKey(std::string_view key, std::vector<std::string>& keyArray) {
  auto found = std::find(keyArray.begin(), keyArray.end(), key);
  if (found != keyArray.end()) keyArray.erase(found);
}

foundation::Status DataCacheManager::doSave() const {
  foundation::Array keys(keys_.begin(), keys_.end());
  foundation::Result<foundation::Bytes> keysData = foundation::KeyedArchive::archivedData(keys);
  if (!keysData) return keysData.error();
  foundation::Result<foundation::Bytes> objectsData = foundation::KeyedArchive::archivedData(cachedObjects_);
  if (!objectsData) return objectsData.error();

  auto& defaults = foundation::UserDefaults::standardUserDefaults();
  if (foundation::Status status = defaults.setObject(std::move(keysData).value(), kDataCacheKeysDefaultsKey); !status)
    return status;
  if (foundation::Status status = defaults.setObject(std::move(objectsData).value(), kDataCacheObjectsDefaultsKey);
      !status)
    return status;
  return defaults.synchronize();
}

foundation::Status DataCacheManager::addObject(const foundation::Value& object, const std::string& key) {
  if (!isValidKey(key)) return invalidKeyError();
  if (object.isNull()) return {};
  // Refused before anything changes: one unarchivable entry would make every later save fail.
  if (foundation::Result<foundation::Value> archived = foundation::KeyedArchive::archivedPropertyList(object);
      !archived)
    return archived.error();
  // One save for the update: a crash or a full disk between a removal and an addition would
  // lose the key. On a failure the previous entries stay, in memory and on disk.
  auto keys = keys_;
  auto objects = cachedObjects_;
  auto memoryKeys = memoryCacheKeys_;
  auto memoryObjects = memoryCachedObjects_;
  forgetKey(key);
  keys_.push_back(key);
  cachedObjects_.set(key, object);
  foundation::Status saved = doSave();
  if (!saved) {
    keys_ = std::move(keys);
    cachedObjects_ = std::move(objects);
    memoryCacheKeys_ = std::move(memoryKeys);
    memoryCachedObjects_ = std::move(memoryObjects);
    (void)doSave();  // puts the previous entries back into the defaults; the file still holds them
  }
  return saved;
}

foundation::Status DataCacheManager::addObjectToMemory(const foundation::Value& object, const std::string& key) {
  if (!isValidKey(key)) return invalidKeyError();
  if (object.isNull()) return {};
  if (hasObjectInCacheByKey(key)) {
    if (foundation::Status removed = removeObjectInCacheByKey(key); !removed) return removed;
  }
  memoryCacheKeys_.push_back(key);
  memoryCachedObjects_.set(key, object);
  return {};
}

foundation::Value DataCacheManager::getCachedObjectByKey(std::string_view key) const {
  if (!isValidKey(key)) return {};
  if (const foundation::Value* object = memoryCachedObjects_.find(key)) return *object;
  if (const foundation::Value* object = cachedObjects_.find(key)) return *object;
  return {};
}

bool DataCacheManager::hasObjectInCacheByKey(std::string_view key) const { return !getCachedObjectByKey(key).isNull(); }

foundation::Status DataCacheManager::removeObjectInCacheByKey(std::string_view key) {
  if (!isValidKey(key)) return {};
  forgetKey(key);
  return doSave();
}

void DataCacheManager::forgetKey(std::string_view key) {
  cachedObjects_.erase(key);
  removeKey(key, keys_);
  memoryCachedObjects_.erase(key);
  removeKey(key, memoryCacheKeys_);
}

void DataCacheManager::clearMemoryCache() {
  memoryCacheKeys_.clear();
  memoryCachedObjects_.clear();
}

foundation::Status DataCacheManager::clearAllCache() {
  clearMemoryCache();
  keys_.clear();
  cachedObjects_.clear();
  return doSave();
}

}  // namespace framework
