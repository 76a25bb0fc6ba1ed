#include "src/framework/images/QRVImageCacheManager.h"

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Url.h"
#include "platform/ui/ApplicationNotifications.h"
#include "src/framework/util/CommonUtils.h"

namespace framework {
namespace {

constexpr const char* kImageFolderName = "images";
constexpr const char* kImageCacheErrorDomain = "QRVImageCacheErrorDomain";
constexpr long long kInvalidArgumentError = 1;

// Never destroyed by exit: the destructor would cancel the fetches and wait for them to end on the
// network thread, beside exit's clean-up.
std::unique_ptr<QRVImageCacheManager>& sharedInstance() {
  static foundation::NoDestructor<std::unique_ptr<QRVImageCacheManager>> instance;
  return *instance;
}

std::mutex& creationMutex() {
  static std::mutex mutex;
  return mutex;
}

foundation::Duration elapsedSince(foundation::TimePoint then) {
  return std::chrono::duration_cast<foundation::Duration>(foundation::Clock::current().now() - then);
}

}  // namespace

QRVImageCacheManager::QRVImageCacheManager()
    : imageFolder_(foundation::Paths::appendingPathComponent(foundation::Paths::cachesDirectory(), kImageFolderName)),
      imageQueue_(std::make_unique<foundation::OperationQueue>()) {
  registerForMemoryWarnings();
  imageQueue_->setMaxConcurrentOperationCount(kMaxConcurrentImageLoads);
  createDirectorysAtPath(imageFolder_);
  // Pictures written when the process was killed half-way leave temporary files behind.
  (void)foundation::FileManager::removeStaleTemporaryFiles(imageFolder_);
  queueCheckTimer_ = foundation::RunLoop::main().scheduleTimer(foundation::Duration(kQueueCheckIntervalSeconds), true,
                                                               [this] { checkRequestQueueStatus(); });
}

QRVImageCacheManager::~QRVImageCacheManager() {
  // Operations still running reach into this manager's locks and caches: stop them first.
  cancelAndDrainQueue();
  queueCheckTimer_->invalidate();
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

QRVImageCacheManager& QRVImageCacheManager::sharedManager() {
  std::lock_guard lock(creationMutex());
  auto& instance = sharedInstance();
  if (!instance) instance.reset(new QRVImageCacheManager());
  return *instance;
}

void QRVImageCacheManager::resetSharedManagerForTesting() {
  std::unique_ptr<QRVImageCacheManager> old;
  {
    std::lock_guard lock(creationMutex());
    old = std::move(sharedInstance());
  }
  if (old) old->cancelAndDrainQueue();
}

void QRVImageCacheManager::cancelAndDrainQueue() {
  imageQueue_->cancelAllOperations();
  restoreImageLoading();
  imageQueue_->waitUntilAllOperationsAreFinished();
}

void QRVImageCacheManager::registerForMemoryWarnings() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  auto clear = [this](const foundation::Notification&) { clearMemoryCache(); };
  center.addObserver(this, ui::kApplicationDidReceiveMemoryWarningNotification, clear);
  if (foundation::DeviceInfo::current().multitaskingSupported)
    center.addObserver(this, ui::kApplicationDidEnterBackgroundNotification, clear);
}

std::optional<foundation::TimePoint> QRVImageCacheManager::lastSuspendedTime() const {
  std::lock_guard lock(suspensionMutex_);
  return lastSuspendedTime_;
}

std::string QRVImageCacheManager::getPathByFileName(const std::string& key) const { return imageFolder_ + "/" + key; }

std::string QRVImageCacheManager::getKeyFromUrl(const std::string& url) { return foundation::md5Hex(url); }

std::string QRVImageCacheManager::getUrlSavePath(const std::string& url) const {
  return getPathByFileName(getKeyFromUrl(url));
}

void QRVImageCacheManager::saveToMemory(ui::ImagePtr image, const std::string& key) {
  memoryCache_.put(key, std::move(image));
}

ui::ImagePtr QRVImageCacheManager::getImageFromMemoryCache(const std::string& key) { return memoryCache_.get(key); }

bool QRVImageCacheManager::isImageInMemoryCache(const std::string& key) const { return memoryCache_.contains(key); }

bool QRVImageCacheManager::isImageInMemoryCacheWithUrl(const std::string& url) const {
  return isImageInMemoryCache(getKeyFromUrl(url));
}

bool QRVImageCacheManager::isDiskCacheExit(const std::string& url) const {
  return foundation::FileManager::fileExists(getUrlSavePath(url));
}

foundation::Status QRVImageCacheManager::saveImage(ui::ImagePtr image, const foundation::Bytes& data,
                                                   const std::string& url) {
  return saveImageWithKey(std::move(image), data, getKeyFromUrl(url));
}

foundation::Status QRVImageCacheManager::saveImage(ui::ImagePtr image, const std::string& url) {
  if (!image) return foundation::makeError(kImageCacheErrorDomain, kInvalidArgumentError, "no picture to save");
  foundation::Result<foundation::Bytes> png = image->pngData();
  if (!png.ok()) return png.error();
  return saveImage(std::move(image), *png, url);
}

foundation::Status QRVImageCacheManager::saveImageWithKey(ui::ImagePtr image, const foundation::Bytes& data,
                                                          const std::string& key) {
  if (!image || data.empty())
    return foundation::makeError(kImageCacheErrorDomain, kInvalidArgumentError, "no picture to save");
  if (!foundation::FileManager::isSafePathComponent(key))
    return foundation::makeError(kImageCacheErrorDomain, kInvalidArgumentError, "not a picture key: " + key);
  saveToMemory(std::move(image), key);
  return foundation::FileManager::writeAtomically(getPathByFileName(key), data);
}

ui::ImagePtr QRVImageCacheManager::getImageFromCacheWithUrl(const std::string& url) {
  return getImageFromCacheWithKey(getKeyFromUrl(url));
}

ui::ImagePtr QRVImageCacheManager::getImageFromCacheWithKey(const std::string& key) {
  if (ui::ImagePtr image = getImageFromMemoryCache(key)) return image;
  if (!foundation::FileManager::isSafePathComponent(key)) return nullptr;
  foundation::Result<foundation::Bytes> bytes = foundation::FileManager::readFile(getPathByFileName(key));
  if (!bytes.ok()) return nullptr;
  foundation::Result<ui::ImagePtr> image = ui::Image::decode(*bytes);
  if (!image.ok()) return nullptr;
  saveToMemory(*image, key);
  return *image;
}

foundation::Status QRVImageCacheManager::clearDiskCache() {
  if (auto removed = foundation::FileManager::removeItem(imageFolder_); !removed.ok()) return removed;
  return foundation::FileManager::createDirectory(imageFolder_, true);
}

void QRVImageCacheManager::clearMemoryCache() { memoryCache_.clear(); }

void QRVImageCacheManager::suspendImageLoading() {
  std::lock_guard lock(suspensionMutex_);
  if (imageQueue_->isSuspended()) return;
  imageQueue_->setSuspended(true);
  lastSuspendedTime_ = foundation::Clock::current().now();
}

void QRVImageCacheManager::restoreImageLoading() {
  std::lock_guard lock(suspensionMutex_);
  imageQueue_->setSuspended(false);
  lastSuspendedTime_.reset();
}

void QRVImageCacheManager::checkRequestQueueStatus() {
  std::optional<foundation::TimePoint> suspended = lastSuspendedTime();
  if (!suspended || imageQueue_->operationCount() == 0) return;
  if (elapsedSince(*suspended) > foundation::Duration(kSuspensionLimitSeconds)) restoreImageLoading();
}

std::string QRVImageCacheManager::encodeURL(std::string_view text) {
  static const foundation::NoDestructor<std::string> kUnreserved(std::string(foundation::Url::kAlphanumerics) + "-_.");
  return foundation::Url::percentEscape(text, *kUnreserved);
}

bool QRVImageCacheManager::createDirectorysAtPath(const std::string& path) {
  return CommonUtils::createDirectorysAtPath(path);
}

}  // namespace framework
