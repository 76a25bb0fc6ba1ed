#include "src/framework/request/QRVBaseDataRequest.h"

#include <algorithm>
#include <utility>

#include "platform/foundation/ArchiveFormat.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Url.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/cache/DataEnvironment.h"
#include "src/framework/json/QRVJSONDeserializer.h"
#include "src/framework/request/QRVDataRequestManager.h"
#include "src/framework/request/QRVMaskActivityView.h"

namespace framework {
namespace {

// The data cache keeps the logged-in user as a model object, which this layer knows only
// through the attributes it archives; "luid" is one of them.
std::string loggedInUserLoginId() {
  const foundation::Value user = DataCacheManager::sharedManager().getCachedObjectByKey(kUserIsLoginCacheKey);
  if (!user.isObject()) return {};
  foundation::Result<foundation::Value> archived = foundation::KeyedArchive::archivedPropertyList(user);
  if (!archived.ok()) return {};
  namespace format = foundation::archive_format;
  const foundation::Value& luid = archived.value()[format::kRootKey][format::kFieldsKey]["luid"];
  return luid.isString() ? *luid.getString() : std::string();
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

void trim(std::string& text) {
  while (!text.empty() && isBlank(text.back())) text.pop_back();
  const auto firstKept = std::find_if_not(text.begin(), text.end(), isBlank);
  text.erase(text.begin(), firstKept);
}

foundation::ErrorPtr unreadableReply(std::string why, foundation::ErrorPtr underlying = nullptr) {
  return foundation::makeError(foundation::kUrlErrorDomain, kUnreadableReplyError, std::move(why),
                               std::move(underlying));
}

// The reply as the dictionary the result steps read; a top-level array arrives under "data".
foundation::Result<foundation::Dictionary> parseReply(const std::string& text) {
  if (text.empty()) return unreadableReply("The reply is empty");
  foundation::Result<foundation::Value> parsed = foundation::Json::parse(text);
  if (!parsed.ok()) return unreadableReply("The reply is not JSON", parsed.error());
  foundation::Value& value = parsed.value();
  if (foundation::Dictionary* object = value.getDictionary()) return std::move(*object);
  if (value.isArray()) return foundation::Dictionary{{"data", std::move(value)}};
  return unreadableReply(std::string("The reply is a JSON ") + value.kindName() + ", not an object");
}

}  // namespace

struct QRVBaseDataRequest::Settings {
  std::shared_ptr<DataRequestDelegate> delegate;
  std::optional<std::string> requestUrl;
  foundation::Dictionary parameters;
  std::shared_ptr<ui::View> indicatorView;
  std::string cancelSubject;
  bool silentAlert = false;
  std::string cacheKey;
  std::int32_t cacheType = 0;
  std::string filePath;
  QRVRequestBlocks blocks;
};

QRVBaseDataRequest::~QRVBaseDataRequest() {
  if (indicatorView_) showIndicator(false);
}

void QRVBaseDataRequest::initWithDelegate(std::shared_ptr<DataRequestDelegate> delegate,
                                          std::optional<std::string> requestUrl, foundation::Dictionary parameters,
                                          std::shared_ptr<ui::View> indicatorView, std::string cancelSubject,
                                          bool silentAlert, std::string cacheKey, std::int32_t cacheType,
                                          std::string filePath) {
  initialise({std::move(delegate),
              std::move(requestUrl),
              std::move(parameters),
              std::move(indicatorView),
              std::move(cancelSubject),
              silentAlert,
              std::move(cacheKey),
              cacheType,
              std::move(filePath),
              {}});
}

void QRVBaseDataRequest::initWithParameters(foundation::Dictionary parameters, std::optional<std::string> requestUrl,
                                            std::shared_ptr<ui::View> indicatorView, std::string cancelSubject,
                                            bool silentAlert, std::string cacheKey, std::int32_t cacheType,
                                            std::string filePath, QRVRequestBlocks blocks) {
  initialise({nullptr, std::move(requestUrl), std::move(parameters), std::move(indicatorView), std::move(cancelSubject),
              silentAlert, std::move(cacheKey), cacheType, std::move(filePath), std::move(blocks)});
}

void QRVBaseDataRequest::initialise(Settings settings) {
  requestUrl_ = settings.requestUrl ? std::move(*settings.requestUrl) : getRequestUrl();
  indicatorView_ = std::move(settings.indicatorView);
  delegate_ = std::move(settings.delegate);
  blocks_ = std::move(settings.blocks);
  useSilentAlert_ = settings.silentAlert;
  cacheKey_ = std::move(settings.cacheKey);
  usingCacheData_ = !cacheKey_.empty();
  cacheType_ = settings.cacheType;
  cancelSubject_ = std::move(settings.cancelSubject);
  requestStartTime_ = foundation::Clock::current().wallNow();
  parameters_ = std::move(settings.parameters);
  filePath_ = std::move(settings.filePath);

  if (answerFromCache()) return;
  usingCacheData_ = false;
  doRequestWithParams(parameters_);
}

bool QRVBaseDataRequest::answerFromCache() {
  if (!DataCacheManager::isValidKey(cacheKey_)) return false;
  const foundation::Value cached = DataCacheManager::sharedManager().getCachedObjectByKey(cacheKey_);
  if (cached.isNull() || !onReceivedCacheData(cached)) return false;
  usingCacheData_ = true;
  // The factory registers the request after this returns; the timer keeps it alive until then.
  foundation::RunLoop::current().scheduleTimer(foundation::Duration(kCacheReleaseDelaySeconds), false,
                                               [self = shared_from_this()] { self->doRelease(); });
  return true;
}

void QRVBaseDataRequest::doRelease() { QRVDataRequestManager::sharedManager().removeRequest(*this); }

foundation::Dictionary QRVBaseDataRequest::getStaticParams() const {
  const foundation::DeviceInfo device = foundation::DeviceInfo::current();
  return foundation::Dictionary{
      {"device_id", ""},
      {"luid", loggedInUserLoginId()},
      {"device", device.systemName + " " + device.systemVersion},
  };
}

void QRVBaseDataRequest::processResult() { result_ = QRVRequestResult(resultDic_["result"]["code"], ""); }

bool QRVBaseDataRequest::onReceivedCacheData(const foundation::Value&) { return false; }

void QRVBaseDataRequest::doRequestWithParams(const foundation::Dictionary&) {}

std::string QRVBaseDataRequest::getRequestHost() const {
  return DataEnvironment::sharedDataEnvironment().urlRequestHost();
}

bool QRVBaseDataRequest::isSuccess() const { return result_ && result_->isSuccess(); }

std::string QRVBaseDataRequest::encodeURL(std::string_view text) {
  static const foundation::NoDestructor<std::string> kUnescaped(std::string(foundation::Url::kAlphanumerics) + "-_.");
  return foundation::Url::percentEscape(text, *kUnescaped);
}

void QRVBaseDataRequest::showIndicator(bool show) {
  isLoading_ = show;
  if (show) {
    if (maskActivityView_ || !indicatorView_) return;
    maskActivityView_ = QRVXibView::loadFromXib<QRVMaskActivityView>();
    if (maskActivityView_) maskActivityView_->showInView(*indicatorView_);
  } else if (maskActivityView_) {
    maskActivityView_->hide();
    maskActivityView_.reset();
  }
}

bool QRVBaseDataRequest::handleResultString(std::optional<std::string> text) {
  resultString_ = std::move(text).value_or("");
  trim(resultString_);
  foundation::Result<foundation::Dictionary> reply = parseReply(resultString_);
  if (!reply.ok()) {
    reportFailure(reply.error());
    return false;
  }
  resultDic_ = std::move(reply.value());
  processResult();
  if (isSuccess() && !cacheKey_.empty()) storeResultInCache();
  reportFinish();
  return true;
}

void QRVBaseDataRequest::storeResultInCache() const {
  DataCacheManager& cache = DataCacheManager::sharedManager();
  // A result the cache cannot keep is simply not cached; the caller still gets it.
  foundation::Status stored =
      cacheType_ != 0 ? cache.addObject(resultDic_, cacheKey_) : cache.addObjectToMemory(resultDic_, cacheKey_);
  (void)stored;
}

foundation::Result<foundation::Dictionary> QRVBaseDataRequest::getDicFromString(const std::string& text) {
  return QRVJSONDeserializer::deserializer().deserializeAsDictionary(foundation::Bytes(text.begin(), text.end()));
}

void QRVBaseDataRequest::reportStart() {
  if (delegate_) {
    delegate_->requestDidStartLoad(*this);
  } else if (blocks_.onRequestStart) {
    blocks_.onRequestStart(*this);
  }
}

void QRVBaseDataRequest::reportFinish() {
  if (delegate_) {
    delegate_->requestDidFinishLoad(*this);
  } else if (blocks_.onRequestFinished) {
    blocks_.onRequestFinished(*this);
  }
}

void QRVBaseDataRequest::reportCancel() {
  if (delegate_) {
    delegate_->requestDidCancelLoad(*this);
  } else if (blocks_.onRequestCanceled) {
    blocks_.onRequestCanceled(*this);
  }
}

void QRVBaseDataRequest::reportFailure(const foundation::ErrorPtr& error) {
  if (delegate_) {
    delegate_->requestDidFailLoadWithError(*this, error);
  } else if (blocks_.onRequestFailed) {
    blocks_.onRequestFailed(*this, error);
  }
}

void QRVBaseDataRequest::reportProgress(float progress) {
  if (!(progress > currentProgress_)) return;
  currentProgress_ = progress;
  if (delegate_) {
    delegate_->requestProgressChanged(*this, progress);
  } else if (blocks_.onProgressChanged) {
    blocks_.onProgressChanged(*this, progress);
  }
}

}  // namespace framework
