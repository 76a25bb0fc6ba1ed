#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

// Keys of the persistent part in the standard user defaults.
inline constexpr const char* kDataCacheKeysDefaultsKey = "UD_KEY_DATA_CACHE_KEYS";
inline constexpr const char* kDataCacheObjectsDefaultsKey = "UD_KEY_DATA_CACHE_OBJECTS";

// Keys that other subsystems keep in the data cache.
inline constexpr const char* kUserIsLoginCacheKey = "userIsLogin";
inline constexpr const char* kUserRadioAndProgramCacheKey = "userRadioAndProgram";
inline constexpr const char* kUserSettingForPlayingCacheKey = "userSettingForPlaying";
inline constexpr const char* kUserSettingDownloadOfflineWifiOnlyCacheKey = "USER_SETTING_DOWNLOADOFFLINE_WIFIONLY";

// Failures of the data cache itself (the user defaults report their own).
inline constexpr const char* kDataCacheErrorDomain = "DataCacheErrorDomain";
inline constexpr long long kDataCacheInvalidKeyError = 1;  // an empty key

// The keyed store of objects and settings. Its memory part is dropped on memory warnings and on
// entering the background; its persistent part is archived into the user defaults after every
// change and read back when the store is first used. A key lives in at most one part.
// Main thread only.
class DataCacheManager {
 public:
  ~DataCacheManager();
  DataCacheManager(const DataCacheManager&) = delete;
  DataCacheManager& operator=(const DataCacheManager&) = delete;

  // The one store, restored from the user defaults on first use.
  static DataCacheManager& sharedManager();

  // Stores in the persistent part (moving the key out of the memory part) and saves. An invalid
  // key is refused with kDataCacheInvalidKeyError and a null object is ignored; an object that
  // cannot be archived is refused with an error and leaves the store as it was.
  foundation::Status addObject(const foundation::Value& object, const std::string& key);
  // Stores in the memory part only; a persistent entry under the key is removed and saved. An
  // invalid key is refused as by addObject().
  foundation::Status addObjectToMemory(const foundation::Value& object, const std::string& key);

  // The object under the key (memory part first), or null.
  foundation::Value getCachedObjectByKey(std::string_view key) const;
  bool hasObjectInCacheByKey(std::string_view key) const;

  // Removes the key from both parts and saves.
  foundation::Status removeObjectInCacheByKey(std::string_view key);
  void clearMemoryCache();
  // Empties both parts and saves.
  foundation::Status clearAllCache();

  // A key is valid when it is not empty.
  static bool isValidKey(std::string_view key);

  // Test hook: forgets the shared store, so the next sharedManager() restores it from the user
  // defaults as after a restart.
  static void resetSharedManagerForTesting();

 private:
  DataCacheManager();

  void registerMemoryWarningNotification();
  void restore();
  static void removeKey(std::string_view key, std::vector<std::string>& keyArray);
  foundation::Status doSave() const;
  // Drops the key's entries from memory and from the saved set, without saving.
  void forgetKey(std::string_view key);

  std::vector<std::string> memoryCacheKeys_;
  foundation::Dictionary memoryCachedObjects_;
  std::vector<std::string> keys_;
  foundation::Dictionary cachedObjects_;
};

}  // namespace framework
