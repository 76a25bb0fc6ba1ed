#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "platform/foundation/Value.h"
#include "src/framework/request/DataRequestDelegate.h"

namespace http {
class NetworkQueue;
}

namespace playback {

// The advert plan from the server: adverts (each a picture "img", an audio clip "ad" and a web
// link "link") and a frequency, one advert every `perCount` songs. The player asks before each
// song whether an advert is due; the manager then shows the advert's picture over the window and
// names the clip to play. The last good plan is kept in "adpath/ad.data" under the caches folder
// for runs whose fetch fails, and every advert's media is downloaded there in the background,
// two at a time. One instance for the run; main thread only.
class AdvertisementManager : public framework::DataRequestDelegate,
                             public std::enable_shared_from_this<AdvertisementManager> {
 public:
  using Handler = std::function<void()>;
  static constexpr int kMaxConcurrentDownloads = 2;

  ~AdvertisementManager() override;

  // Main thread. The one manager; its download queue runs from its creation.
  static AdvertisementManager& sharedManager();

  // Main thread. Fetches the plan; a handler given replaces the stored one, an empty one leaves
  // it. The completion handler runs when a good plan arrived, the failure handler when the fetch
  // failed (after falling back on the plan file).
  void requestAdvertismentDataCompletHandler(Handler completion, Handler failed);
  void requestAdvertismentDataCompletionHandler(Handler completion);

  // Main thread. Whether the song about to load, the `playTimes`th since the last advert, is to
  // be preceded by an advert.
  bool canPlayAdversementWithPlayTimes(std::int64_t playTimes) const;
  // Main thread. Lays the chosen advert's picture view (tag 10000) over the key window, in place
  // of the previous one; nothing when no advert is chosen.
  void showAdCoverView();
  // Main thread. The chosen advert's audio ("ad") and picture ("img") URLs; nullopt when none
  // is chosen.
  std::optional<std::string> fetchAdverisementPath() const;
  std::optional<std::string> fetchAdverisementPic() const;
  // Main thread. Chooses the advert for the next slot at random and returns its position.
  std::int64_t nextAdId();
  // Main thread. Queues the download of every advert medium not yet in the cache.
  void syncAd();

  void requestDidFinishLoad(framework::QRVBaseDataRequest& request) override;
  void requestDidFailLoadWithError(framework::QRVBaseDataRequest& request, const foundation::ErrorPtr& error) override;

  std::int64_t perCount() const { return perCount_; }
  void setPerCount(std::int64_t perCount) { perCount_ = perCount; }
  const foundation::Array& adsArray() const { return adsArray_; }
  // Keeps only the adverts whose "img", "ad" and "link" are texts.
  void setAdsArray(const foundation::Value& ads);
  std::int64_t currentAudiosIndex() const { return currentAudiosIndex_; }
  const std::shared_ptr<http::NetworkQueue>& downloadQueue() const { return downloadQueue_; }

  // Any thread. The advert cache folder and the cached files of a picture and a clip URL.
  static std::string adCacheFolder();
  static std::string planFilePath();
  static std::string cachedPicturePath(const std::string& imgUrl);
  static std::string cachedAudioPath(const std::string& adUrl);

  // Main thread; tests only. Cancels the downloads and forgets the instance.
  static void resetSharedManagerForTesting();

 private:
  AdvertisementManager();
  // The advert at the chosen position, or nullptr.
  const foundation::Dictionary* chosenAdvert() const;
  void takePlan(const foundation::Dictionary& plan);
  void writePlanFile(const foundation::Dictionary& result) const;
  void downloadUnlessCached(const std::string& url, const std::string& path);

  std::shared_ptr<http::NetworkQueue> downloadQueue_;
  Handler requestCompletionHandler_;
  Handler requestFailedHandler_;
  std::int64_t currentAudiosIndex_ = 0;
  std::int64_t perCount_ = 0;
  foundation::Array adsArray_;
  std::mt19937 random_{std::random_device{}()};
  std::set<std::string> downloadsUnderWay_;  // destination paths, so that no file is fetched twice at once
};

}  // namespace playback
