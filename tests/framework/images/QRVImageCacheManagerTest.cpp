#include "src/framework/images/QRVImageCacheManager.h"

#include <gtest/gtest.h>

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ApplicationNotifications.h"
#include "src/framework/images/QRVImageDataOperation.h"
#include "tests/framework/images/ImageCacheFixture.h"

namespace {

using foundation::FileManager;
using framework::QRVImageCacheManager;

constexpr const char* kUrl = "http://pic.example.com/cover/1.jpg!small0";

class QRVImageCacheManagerTest : public imagetest::ImageCacheFixture {};

TEST_F(QRVImageCacheManagerTest, FilesAreNamedByTheMd5OfTheWholeUrl) {
  auto& cache = manager();
  EXPECT_EQ(cache.getImageFolder(), foundation::Paths::cachesDirectory() + "/images");
  EXPECT_TRUE(FileManager::isDirectory(cache.getImageFolder()));
  EXPECT_EQ(QRVImageCacheManager::getKeyFromUrl(kUrl), foundation::md5Hex(kUrl));
  EXPECT_EQ(cache.getUrlSavePath(kUrl), cache.getImageFolder() + "/" + foundation::md5Hex(kUrl));
  EXPECT_NE(QRVImageCacheManager::getKeyFromUrl("http://h/a.jpg!small0"),
            QRVImageCacheManager::getKeyFromUrl("http://h/a.jpg!large2"));
}

TEST_F(QRVImageCacheManagerTest, SavedPicturesKeepTheBytesThatArrived) {
  auto& cache = manager();
  // A half-transparent PNG: a JPEG copy would lose the transparency.
  auto translucent = ui::Image::fromPixels(2, 2, {0x80400000, 0x80400000, 0x00000000, 0xFF00FF00});
  foundation::Bytes arrived = translucent->pngData().value();
  ASSERT_TRUE(cache.saveImage(translucent, arrived, kUrl).ok());
  EXPECT_TRUE(cache.isDiskCacheExit(kUrl));
  EXPECT_TRUE(cache.isImageInMemoryCacheWithUrl(kUrl));
  EXPECT_EQ(FileManager::readFile(cache.getUrlSavePath(kUrl)).value(), arrived);

  cache.clearMemoryCache();
  EXPECT_FALSE(cache.isImageInMemoryCacheWithUrl(kUrl));
  ui::ImagePtr fromDisk = cache.getImageFromCacheWithUrl(kUrl);
  ASSERT_TRUE(fromDisk);
  EXPECT_EQ(fromDisk->pixels(), translucent->pixels());
  EXPECT_TRUE(cache.isImageInMemoryCacheWithUrl(kUrl));  // kept in memory again

  ASSERT_TRUE(cache.clearDiskCache().ok());
  EXPECT_FALSE(cache.isDiskCacheExit(kUrl));
  EXPECT_TRUE(FileManager::isDirectory(cache.getImageFolder()));
}

TEST_F(QRVImageCacheManagerTest, PicturesWithoutTheirBytesAreStoredLosslessly) {
  auto& cache = manager();
  auto translucent = ui::Image::fromPixels(3, 1, {0x80400000, 0x00000000, 0xFF123456});
  ASSERT_TRUE(cache.saveImage(translucent, "/local/a.png").ok());
  cache.clearMemoryCache();
  ui::ImagePtr back = cache.getImageFromCacheWithUrl("/local/a.png");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->pixels(), translucent->pixels());
  EXPECT_FALSE(cache.saveImage(nullptr, "/local/b.png").ok());
  EXPECT_FALSE(cache.isDiskCacheExit("/local/b.png"));
}

TEST_F(QRVImageCacheManagerTest, DamagedFilesAndHostileKeysGiveNothing) {
  auto& cache = manager();
  ASSERT_TRUE(
      FileManager::writeAtomically(cache.getUrlSavePath(kUrl), std::string_view("\xFF\xD8\xFF truncated")).ok());
  EXPECT_TRUE(cache.isDiskCacheExit(kUrl));
  EXPECT_EQ(cache.getImageFromCacheWithUrl(kUrl), nullptr);
  EXPECT_EQ(cache.getImageFromCacheWithUrl("http://never.example.com/x.png"), nullptr);

  auto picture = solid(0x00FF00);
  auto status = cache.saveImageWithKey(picture, picture->pngData().value(), "../escape");
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(FileManager::fileExists(foundation::Paths::cachesDirectory() + "/escape"));
  EXPECT_FALSE(cache.isImageInMemoryCache("../escape"));
  EXPECT_EQ(cache.getImageFromCacheWithKey("../images/" + QRVImageCacheManager::getKeyFromUrl(kUrl)), nullptr);
  EXPECT_FALSE(cache.saveImage(picture, {}, kUrl).ok());
}

TEST_F(QRVImageCacheManagerTest, MemoryWarningsAndTheBackgroundEmptyTheMemory) {
  auto& cache = manager();
  cache.saveToMemory(solid(1), "a");
  cache.saveToMemory(nullptr, "b");
  EXPECT_TRUE(cache.isImageInMemoryCache("a"));
  EXPECT_FALSE(cache.isImageInMemoryCache("b"));
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.postNotificationName(ui::kApplicationDidReceiveMemoryWarningNotification);
  EXPECT_FALSE(cache.isImageInMemoryCache("a"));
  cache.saveToMemory(solid(1), "a");
  center.postNotificationName(ui::kApplicationDidEnterBackgroundNotification);
  EXPECT_FALSE(cache.isImageInMemoryCache("a"));
}

TEST_F(QRVImageCacheManagerTest, WithoutMultitaskingTheBackgroundKeepsTheMemory) {
  foundation::DeviceInfo info = foundation::DeviceInfo::current();
  info.multitaskingSupported = false;
  foundation::DeviceInfo::setCurrentForTesting(info);
  QRVImageCacheManager::resetSharedManagerForTesting();
  manager().saveToMemory(solid(1), "a");
  foundation::NotificationCenter::defaultCenter().postNotificationName(ui::kApplicationDidEnterBackgroundNotification);
  EXPECT_TRUE(manager().isImageInMemoryCache("a"));
  foundation::DeviceInfo::setCurrentForTesting(std::nullopt);
}

TEST_F(QRVImageCacheManagerTest, TheMemoryIsBoundedByDefault) {
  auto& memory = manager().memoryCache();
  EXPECT_EQ(memory.costLimit(), QRVImageCacheManager::kDefaultMemoryCostLimit);
  memory.setCostLimit(3 * 64);  // three 4 x 4 pictures
  for (int i = 0; i < 5; ++i) manager().saveToMemory(solid(static_cast<std::uint32_t>(i)), std::to_string(i));
  EXPECT_FALSE(manager().isImageInMemoryCache("0"));
  EXPECT_FALSE(manager().isImageInMemoryCache("1"));
  EXPECT_TRUE(manager().isImageInMemoryCache("4"));
  EXPECT_EQ(memory.count(), 3u);
}

TEST_F(QRVImageCacheManagerTest, ASuspendedQueueWithWorkResumesAtTheFirstCheckAfterFiveSeconds) {
  auto& cache = manager();  // the 10 s check starts now
  EXPECT_EQ(cache.imageQueue().maxConcurrentOperationCount(), 20);
  step(7);
  cache.suspendImageLoading();
  ASSERT_TRUE(cache.lastSuspendedTime());
  auto firstSuspension = *cache.lastSuspendedTime();
  step(1);
  cache.suspendImageLoading();  // already suspended: the time stays
  EXPECT_EQ(cache.lastSuspendedTime(), firstSuspension);

  auto operation = framework::QRVImageDataOperation::create("/no/such/picture.png", {});
  ASSERT_TRUE(cache.imageQueue().addOperation(operation));
  step(2);  // the check at 10 s: suspended for only 3 s
  EXPECT_TRUE(cache.imageQueue().isSuspended());
  EXPECT_FALSE(operation->isExecuting() || operation->isFinished());
  step(10);  // the check at 20 s
  EXPECT_FALSE(cache.imageQueue().isSuspended());
  EXPECT_FALSE(cache.lastSuspendedTime());
  waitForFetches();
  EXPECT_TRUE(operation->isFinished());
}

TEST_F(QRVImageCacheManagerTest, AnEmptySuspendedQueueStaysSuspended) {
  auto& cache = manager();
  cache.suspendImageLoading();
  step(30);
  EXPECT_TRUE(cache.imageQueue().isSuspended());
  cache.restoreImageLoading();
  EXPECT_FALSE(cache.imageQueue().isSuspended());
  EXPECT_FALSE(cache.lastSuspendedTime());
}

TEST_F(QRVImageCacheManagerTest, EncodeURLEscapesAllButTheUnreservedCharacters) {
  EXPECT_EQ(QRVImageCacheManager::encodeURL("a-b_c.d~e f+g/h?i=j&k"), "a-b_c.d%7Ee%20f%2Bg%2Fh%3Fi%3Dj%26k");
  EXPECT_EQ(QRVImageCacheManager::encodeURL("节目"), "%E8%8A%82%E7%9B%AE");
  EXPECT_EQ(QRVImageCacheManager::encodeURL(""), "");
}

}  // namespace
