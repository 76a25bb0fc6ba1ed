#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/ui/View.h"
#include "src/framework/request/DataRequestDelegate.h"
#include "src/framework/request/QRVRequestResult.h"

namespace framework {

class QRVBaseDataRequest;
class QRVMaskActivityView;

using QRVRequestBlock = std::function<void(QRVBaseDataRequest&)>;
using QRVRequestFailedBlock = std::function<void(QRVBaseDataRequest&, const foundation::ErrorPtr&)>;
using QRVRequestProgressBlock = std::function<void(QRVBaseDataRequest&, float)>;

// The block callbacks of a request made without a delegate; any may be empty, so callers name
// only the ones they give.
struct QRVRequestBlocks {
  QRVRequestBlock onRequestStart{};
  QRVRequestBlock onRequestFinished{};
  QRVRequestBlock onRequestCanceled{};
  QRVRequestFailedBlock onRequestFailed{};
  QRVRequestProgressBlock onProgressChanged{};
};

// What a request that is not silent shows on its indicator view when the network failed it.
inline constexpr const char* kNoNetworkToastText = "当前无网络，请稍后再试！";
inline constexpr double kNoNetworkToastSeconds = 2.0;

// Failures of the data request itself, before anything is sent.
inline constexpr const char* kDataRequestErrorDomain = "QRVDataRequestErrorDomain";
inline constexpr long long kUnsendableParameterError = 1;
// A reply that is blank, not JSON, or not a JSON object or array fails in the platform's URL
// error domain with this code.
inline constexpr long long kUnreadableReplyError = 0;

// One call of the web API from its creation to its release: parameters, the data cache, the
// reply parsed into `resultDic`, the result, the loading mask and the callbacks to a delegate or
// to blocks. Subclasses say which URL they call, how (GET or form post) and what their result
// step makes of the reply. Made by the factories of QRVDataRequestFactories, which hand it to
// QRVDataRequestManager; everything runs on the main thread.
class QRVBaseDataRequest : public std::enable_shared_from_this<QRVBaseDataRequest> {
 public:
  static constexpr std::int64_t kUnknownTotalData = std::numeric_limits<std::int64_t>::max();
  static constexpr double kCacheReleaseDelaySeconds = 0.1;

  QRVBaseDataRequest() = default;
  virtual ~QRVBaseDataRequest();
  QRVBaseDataRequest(const QRVBaseDataRequest&) = delete;
  QRVBaseDataRequest& operator=(const QRVBaseDataRequest&) = delete;

  // Main thread; once, right after the request was made and held by a shared_ptr. Answers from
  // the data cache when `cacheKey` finds a reply there (the finish callback runs before this
  // returns), else starts the call. A null `requestUrl` takes getRequestUrl().
  void initWithDelegate(std::shared_ptr<DataRequestDelegate> delegate, std::optional<std::string> requestUrl,
                        foundation::Dictionary parameters, std::shared_ptr<ui::View> indicatorView,
                        std::string cancelSubject, bool silentAlert, std::string cacheKey, std::int32_t cacheType,
                        std::string filePath);
  void initWithParameters(foundation::Dictionary parameters, std::optional<std::string> requestUrl,
                          std::shared_ptr<ui::View> indicatorView, std::string cancelSubject, bool silentAlert,
                          std::string cacheKey, std::int32_t cacheType, std::string filePath, QRVRequestBlocks blocks);

  // Main thread. Takes the request out of the request manager, which releases it.
  void doRelease();

  // --- Hooks (main thread) ---
  // The URL to call; a GET appends its query to it.
  virtual std::string getRequestUrl() const { return {}; }
  // 0 for a GET query, anything else for a form post.
  virtual int getRequestMethod() const { return 0; }
  // The IANA charset the reply is read in.
  virtual std::string getResponseEncoding() const { return "UTF-8"; }
  // "device_id" (empty), "luid" (the logged-in user's, or empty) and "device" (system name and
  // version), sent with every call under the caller's parameters.
  virtual foundation::Dictionary getStaticParams() const;
  // Sets `result` from "result" → "code"; subclasses call it first, then build their models.
  virtual void processResult();
  // Whether a cached object answers the request; the base takes none.
  virtual bool onReceivedCacheData(const foundation::Value& cached);
  // Starts the call; the base sends nothing.
  virtual void doRequestWithParams(const foundation::Dictionary& parameters);
  // The default host of the data environment.
  std::string getRequestHost() const;

  // Main thread. False until a reply stated success.
  bool isSuccess() const;
  // Any thread. The text percent-escaped as UTF-8: only ASCII letters, digits, "-", "_" and "."
  // stay as they are; a space is "%20".
  static std::string encodeURL(std::string_view text);
  // Main thread. Puts the loading mask on the indicator view, or takes it away.
  void showIndicator(bool show);
  // Main thread. The reply road: trims the text, reads it as a JSON object (an array arrives
  // under "data"), runs the result step, caches a successful result and calls back. A blank,
  // unreadable or non-object reply ends in the failure callback. Whether the reply was read.
  // Takes the text, which replies of a megabyte make worth moving rather than copying.
  bool handleResultString(std::optional<std::string> text);
  // Any thread. The JSON object in the text; an error for anything else.
  static foundation::Result<foundation::Dictionary> getDicFromString(const std::string& text);

  // --- Properties (main thread) ---
  bool isLoading() const { return isLoading_; }
  const std::shared_ptr<DataRequestDelegate>& delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<DataRequestDelegate> delegate) { delegate_ = std::move(delegate); }
  const std::string& requestUrl() const { return requestUrl_; }
  void setRequestUrl(std::string url) { requestUrl_ = std::move(url); }
  const std::shared_ptr<ui::View>& indicatorView() const { return indicatorView_; }
  void setIndicatorView(std::shared_ptr<ui::View> view) { indicatorView_ = std::move(view); }
  const foundation::Dictionary& resultDic() const { return resultDic_; }
  foundation::Dictionary& resultDic() { return resultDic_; }
  void setResultDic(foundation::Dictionary resultDic) { resultDic_ = std::move(resultDic); }
  const std::string& resultString() const { return resultString_; }
  const std::optional<QRVRequestResult>& result() const { return result_; }
  void setResult(std::optional<QRVRequestResult> result) { result_ = std::move(result); }
  const foundation::Dictionary& parameters() const { return parameters_; }

  const std::string& cancelSubject() const { return cancelSubject_; }
  bool useSilentAlert() const { return useSilentAlert_; }
  foundation::Date requestStartTime() const { return requestStartTime_; }
  bool usingCacheData() const { return usingCacheData_; }
  const std::string& cacheKey() const { return cacheKey_; }
  std::int32_t cacheType() const { return cacheType_; }
  const std::shared_ptr<QRVMaskActivityView>& maskActivityView() const { return maskActivityView_; }
  const std::string& filePath() const { return filePath_; }
  std::int64_t totalData() const { return totalData_; }
  std::int64_t downloadedData() const { return downloadedData_; }
  float currentProgress() const { return currentProgress_; }

 protected:
  // The callbacks: to the delegate when there is one, else to the block.
  void reportStart();
  void reportFinish();
  void reportCancel();
  void reportFailure(const foundation::ErrorPtr& error);
  // Reports a download's progress when it moved forward.
  void reportProgress(float progress);

  void setTotalData(std::int64_t total) { totalData_ = total; }
  void addDownloadedData(std::int64_t amount) { downloadedData_ += amount > 0 ? amount : 0; }

 private:
  struct Settings;
  void initialise(Settings settings);
  bool answerFromCache();
  void storeResultInCache() const;

  std::string cancelSubject_;
  bool useSilentAlert_ = false;
  foundation::Date requestStartTime_;
  bool usingCacheData_ = false;
  std::string cacheKey_;
  std::int32_t cacheType_ = 0;
  std::shared_ptr<QRVMaskActivityView> maskActivityView_;
  std::string filePath_;
  QRVRequestBlocks blocks_;
  std::int64_t totalData_ = kUnknownTotalData;
  std::int64_t downloadedData_ = 0;
  float currentProgress_ = 0;
  bool isLoading_ = false;
  std::shared_ptr<DataRequestDelegate> delegate_;
  std::string requestUrl_;
  std::shared_ptr<ui::View> indicatorView_;
  foundation::Dictionary resultDic_;
  std::string resultString_;
  std::optional<QRVRequestResult> result_;
  foundation::Dictionary parameters_;
};

using QRVDataRequestPtr = std::shared_ptr<QRVBaseDataRequest>;

}  // namespace framework
