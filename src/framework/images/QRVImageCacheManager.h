#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Clock.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Image.h"
#include "src/framework/images/ImageMemoryCache.h"
#include "src/framework/images/KeyedLocks.h"

namespace framework {

// Pictures by URL: decoded ones in memory, their files in the "images" folder of the caches
// folder (one file per URL, named by the MD5 of the URL, holding the bytes as they arrived), and
// the queue on which at most 20 of them are fetched at once. A URL with a size style after "!"
// ("...!small0") is a picture of its own. Every method may be called from any thread.
class QRVImageCacheManager {
 public:
  static constexpr int kMaxConcurrentImageLoads = 20;
  static constexpr double kQueueCheckIntervalSeconds = 10.0;
  static constexpr double kSuspensionLimitSeconds = 5.0;
  // The memory part keeps at most this many bytes of pixels unless told otherwise.
  static constexpr std::size_t kDefaultMemoryCostLimit = 64u * 1024 * 1024;

  ~QRVImageCacheManager();
  QRVImageCacheManager(const QRVImageCacheManager&) = delete;
  QRVImageCacheManager& operator=(const QRVImageCacheManager&) = delete;

  // Any thread. The one manager; made on first use with its folder, queue and 10 s queue check.
  static QRVImageCacheManager& sharedManager();
  // Main thread, tests only. Cancels and waits for the manager's fetches, then forgets it, so that
  // the next sharedManager() starts afresh (in the then current application home).
  static void resetSharedManagerForTesting();

  // Any thread.
  foundation::OperationQueue& imageQueue() { return *imageQueue_; }
  ImageMemoryCache& memoryCache() { return memoryCache_; }
  // Any thread. When loading was last suspended (on the process clock), while it still is.
  std::optional<foundation::TimePoint> lastSuspendedTime() const;

  // Any thread. Paths and keys.
  const std::string& getImageFolder() const { return imageFolder_; }
  std::string getPathByFileName(const std::string& key) const;
  static std::string getKeyFromUrl(const std::string& url);
  std::string getUrlSavePath(const std::string& url) const;

  // Any thread. The memory part.
  void saveToMemory(ui::ImagePtr image, const std::string& key);
  ui::ImagePtr getImageFromMemoryCache(const std::string& key);
  bool isImageInMemoryCache(const std::string& key) const;
  bool isImageInMemoryCacheWithUrl(const std::string& url) const;
  // Any thread. Whether the URL's file exists.
  bool isDiskCacheExit(const std::string& url) const;

  // Any thread. Writes the picture's encoded bytes (as they arrived) to the URL's file atomically
  // and keeps the picture in memory; the picture stays in memory even when the write fails.
  foundation::Status saveImage(ui::ImagePtr image, const foundation::Bytes& data, const std::string& url);
  // Any thread. The same for a picture without its original bytes: stored as PNG, which keeps
  // every pixel and the transparency.
  foundation::Status saveImage(ui::ImagePtr image, const std::string& url);
  // Any thread. The same by key; keys that are not a plain file name are refused.
  foundation::Status saveImageWithKey(ui::ImagePtr image, const foundation::Bytes& data, const std::string& key);

  // Any thread. The memory picture, else the decoded file (then kept in memory); nullptr when
  // there is no file or it does not decode.
  ui::ImagePtr getImageFromCacheWithUrl(const std::string& url);
  ui::ImagePtr getImageFromCacheWithKey(const std::string& key);

  // Any thread. Removes the folder with its files and makes it again.
  foundation::Status clearDiskCache();
  // Any thread. Forgets the decoded pictures (memory warnings and entering the background).
  void clearMemoryCache();

  // Any thread. Stops starting fetches (noting when), and starts them again.
  void suspendImageLoading();
  void restoreImageLoading();
  // Main thread (the 10 s timer). Resumes a queue with work in it that has been suspended for
  // more than 5 s.
  void checkRequestQueueStatus();

  // Any thread. Every byte of the UTF-8 text other than ASCII letters, digits, "-", "_" and "."
  // as "%XX".
  static std::string encodeURL(std::string_view text);
  // Any thread. Creates the folder and its missing parents; true when a folder is there afterwards.
  bool createDirectorysAtPath(const std::string& path);

  // Any thread. One lock per picture key, so that a picture is fetched by one thread at a time.
  KeyedLocks& loadingLocks() { return loadingLocks_; }

 private:
  QRVImageCacheManager();
  void registerForMemoryWarnings();
  // Waits for the fetches to end after cancelling them (tests).
  void cancelAndDrainQueue();

  const std::string imageFolder_;
  std::unique_ptr<foundation::OperationQueue> imageQueue_;
  ImageMemoryCache memoryCache_{kDefaultMemoryCostLimit};
  KeyedLocks loadingLocks_;
  std::shared_ptr<foundation::Timer> queueCheckTimer_;

  mutable std::mutex suspensionMutex_;  // guards the suspension and its time
  std::optional<foundation::TimePoint> lastSuspendedTime_;
};

}  // namespace framework
