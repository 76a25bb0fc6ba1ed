#include "src/playback/adverts/AdvertisementManager.h"

#include <cstdio>
#include <utility>

#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "src/api/models/UserModel.h"
#include "src/api/requests/PlayRequests.h"
#include "src/framework/util/WDTools.h"
#include "src/http/HTTPRequest.h"
#include "src/http/NetworkQueue.h"
#include "src/playback/adverts/SingleAdView.h"

namespace playback {
namespace {

constexpr const char* kPlanFileName = "ad.data";
// Users of a lower type listen without adverts.
constexpr std::int64_t kFirstUserTypeWithAdverts = 4;

std::shared_ptr<AdvertisementManager>& sharedInstance() {
  static foundation::NoDestructor<std::shared_ptr<AdvertisementManager>> instance;
  return *instance;
}

bool isAdvert(const foundation::Value& entry) {
  return entry.isDictionary() && entry["img"].isString() && entry["ad"].isString() && entry["link"].isString();
}

// Property lists hold no null, so a reply with a null anywhere would never be written.
foundation::Value withoutNulls(const foundation::Value& value) {
  if (const auto* dictionary = value.getDictionary()) {
    foundation::Dictionary kept;
    for (const auto& [key, item] : *dictionary)
      if (!item.isNull()) kept.set(key, withoutNulls(item));
    return kept;
  }
  if (const auto* array = value.getArray()) {
    foundation::Array kept;
    for (const auto& item : *array)
      if (!item.isNull()) kept.push_back(withoutNulls(item));
    return kept;
  }
  return value;
}

bool isSuccessfulStatus(int status) { return status >= 200 && status < 300; }

}  // namespace

AdvertisementManager::AdvertisementManager() : downloadQueue_(http::NetworkQueue::queue()) {
  downloadQueue_->setMaxConcurrentOperationCount(kMaxConcurrentDownloads);
  downloadQueue_->go();
}

AdvertisementManager::~AdvertisementManager() = default;

AdvertisementManager& AdvertisementManager::sharedManager() {
  auto& instance = sharedInstance();
  if (!instance) instance.reset(new AdvertisementManager());
  return *instance;
}

void AdvertisementManager::resetSharedManagerForTesting() {
  auto& instance = sharedInstance();
  if (instance) instance->downloadQueue_->cancelAllOperations();
  instance.reset();
}

std::string AdvertisementManager::adCacheFolder() { return framework::WDTools::getCachesFileDir() + "/adpath"; }

std::string AdvertisementManager::planFilePath() { return adCacheFolder() + "/" + kPlanFileName; }

std::string AdvertisementManager::cachedPicturePath(const std::string& imgUrl) {
  return adCacheFolder() + "/" + foundation::md5Hex(imgUrl);
}

std::string AdvertisementManager::cachedAudioPath(const std::string& adUrl) {
  return adCacheFolder() + "/" + foundation::md5Hex(adUrl) + ".mp3";
}

void AdvertisementManager::requestAdvertismentDataCompletHandler(Handler completion, Handler failed) {
  api::GetAdPlanRequest::requestWithDelegate(shared_from_this());
  if (completion) requestCompletionHandler_ = std::move(completion);
  if (failed) requestFailedHandler_ = std::move(failed);
}

void AdvertisementManager::requestAdvertismentDataCompletionHandler(Handler completion) {
  requestAdvertismentDataCompletHandler(std::move(completion), {});
}

bool AdvertisementManager::canPlayAdversementWithPlayTimes(std::int64_t playTimes) const {
  if (adsArray_.empty() || perCount_ < 1) return false;
  if (auto user = api::UserModel::getUser()) {
    const std::int64_t userType = foundation::Value(user->userType().value_or("")).toInt64();
    if (userType < kFirstUserTypeWithAdverts) return false;
  }
  return playTimes != 0 && playTimes % perCount_ == 0;
}

const foundation::Dictionary* AdvertisementManager::chosenAdvert() const {
  if (currentAudiosIndex_ < 0 || currentAudiosIndex_ >= static_cast<std::int64_t>(adsArray_.size())) return nullptr;
  return adsArray_[static_cast<std::size_t>(currentAudiosIndex_)].getDictionary();
}

void AdvertisementManager::showAdCoverView() {
  const foundation::Dictionary* advert = chosenAdvert();
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!advert || !window) return;
  if (ui::View* previous = window->viewWithTag(SingleAdView::kViewTag); previous && previous != window)
    previous->removeFromSuperview();
  auto view = framework::QRVXibView::loadFromXib<SingleAdView>();
  if (!view) return;
  view->ResetXibWithAd(*advert);
  view->setTag(SingleAdView::kViewTag);
  window->addSubview(view);
}

std::optional<std::string> AdvertisementManager::fetchAdverisementPath() const {
  const foundation::Dictionary* advert = chosenAdvert();
  if (!advert) return std::nullopt;
  return *(*advert)["ad"].getString();
}

std::optional<std::string> AdvertisementManager::fetchAdverisementPic() const {
  const foundation::Dictionary* advert = chosenAdvert();
  if (!advert) return std::nullopt;
  return *(*advert)["img"].getString();
}

std::int64_t AdvertisementManager::nextAdId() {
  const std::uint32_t draw = static_cast<std::uint32_t>(random_());
  currentAudiosIndex_ = adsArray_.empty() ? draw : draw % adsArray_.size();
  return currentAudiosIndex_;
}

void AdvertisementManager::setAdsArray(const foundation::Value& ads) {
  adsArray_.clear();
  if (const foundation::Array* entries = ads.getArray())
    for (const auto& entry : *entries)
      if (isAdvert(entry)) adsArray_.push_back(entry);
}

void AdvertisementManager::takePlan(const foundation::Dictionary& plan) {
  perCount_ = plan["perCount"].toInt64();
  setAdsArray(plan["ads"]);
}

void AdvertisementManager::requestDidFinishLoad(framework::QRVBaseDataRequest& request) {
  if (!dynamic_cast<api::GetAdPlanRequest*>(&request)) return;
  const foundation::Dictionary& result = request.resultDic();
  if (result["err"] != foundation::Value("hapn.ok")) return;
  // A failure here shows when the plan file and the media cannot be written; nothing else needs it.
  (void)foundation::FileManager::createDirectory(adCacheFolder(), false);
  takePlan(result);
  writePlanFile(result);
  nextAdId();
  syncAd();
  if (requestCompletionHandler_) requestCompletionHandler_();
}

void AdvertisementManager::requestDidFailLoadWithError(framework::QRVBaseDataRequest& /*request*/,
                                                       const foundation::ErrorPtr& /*error*/) {
  if (auto bytes = foundation::FileManager::readFile(planFilePath()); bytes.ok()) {
    auto plan = foundation::PropertyList::parse(bytes.value());
    if (plan.ok() && plan.value().isDictionary()) takePlan(*plan.value().getDictionary());
  }
  if (requestFailedHandler_) requestFailedHandler_();
}

void AdvertisementManager::writePlanFile(const foundation::Dictionary& result) const {
  // A failed write only costs the fallback of a later run.
  auto text = foundation::PropertyList::serialize(withoutNulls(result));
  if (text.ok()) (void)foundation::FileManager::writeAtomically(planFilePath(), text.value());
}

void AdvertisementManager::syncAd() {
  for (const auto& entry : adsArray_) {
    const std::string& img = *entry["img"].getString();
    const std::string& ad = *entry["ad"].getString();
    downloadUnlessCached(img, cachedPicturePath(img));
    downloadUnlessCached(ad, cachedAudioPath(ad));
  }
}

void AdvertisementManager::downloadUnlessCached(const std::string& url, const std::string& path) {
  if (foundation::FileManager::fileExists(path) || downloadsUnderWay_.contains(path)) return;
  // The download lands beside the final name and takes it only when the server answered with
  // the medium itself: an error page kept as a clip would be played in every later run.
  const std::string received = path + "_new";
  auto request = http::HTTPRequest::requestWithURL(url);
  request->setDownloadDestinationPath(received);
  request->setTemporaryFileDownloadPath(path + "_tmp");
  request->setAllowResumeForFileDownloads(true);
  std::weak_ptr<http::HTTPRequest> weakRequest = request;
  std::weak_ptr<AdvertisementManager> weakSelf = weak_from_this();
  auto finish = [weakRequest, weakSelf, path, received] {
    auto finished = weakRequest.lock();
    const bool kept = finished && isSuccessfulStatus(finished->responseStatusCode()) &&
                      foundation::FileManager::moveItem(received, path).ok();
    if (!kept) (void)foundation::FileManager::removeItem(received);
    if (auto self = weakSelf.lock()) self->downloadsUnderWay_.erase(path);
  };
  request->setCompletionBlock(finish);
  request->setFailureBlock([weakSelf, path] {
    if (auto self = weakSelf.lock()) self->downloadsUnderWay_.erase(path);
  });
  downloadsUnderWay_.insert(path);
  downloadQueue_->addOperation(request);
}

}  // namespace playback
