#include "src/framework/request/QRVHTTPBaseDataRequest.h"

#include <cctype>
#include <utility>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Url.h"
#include "platform/ui/Image.h"
#include "src/framework/request/QRVRequestParameters.h"
#include "src/framework/ui/Toast.h"
#include "src/framework/util/CommonUtils.h"
#include "src/http/FormDataRequest.h"
#include "src/http/HTTPRequestErrors.h"

namespace framework {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The bytes a form part carries for a value that is a picture or bytes; nullopt for other kinds.
std::optional<foundation::Result<foundation::Bytes>> fileBytesOf(const foundation::Value& value, double quality) {
  if (const foundation::Bytes* bytes = value.getBytes()) return foundation::Result<foundation::Bytes>(*bytes);
  if (auto picture = value.objectAs<ui::Image>()) return picture->jpegData(quality);
  return std::nullopt;
}

}  // namespace

QRVHTTPBaseDataRequest::~QRVHTTPBaseDataRequest() {
  // A request released while its exchange still runs (a test resetting the manager, a caller
  // cancelling) must not be called back once it is gone.
  if (request_ && !request_->isFinished()) request_->clearDelegatesAndCancel();
}

void QRVHTTPBaseDataRequest::cancelRequest() {
  if (!request_ || engineEnded_) {
    reportCancel();
    return;
  }
  cancelPending_ = true;
  request_->cancel();
}

void QRVHTTPBaseDataRequest::reportPendingCancel() {
  engineEnded_ = true;
  if (std::exchange(cancelPending_, false)) reportCancel();
}

foundation::Result<std::shared_ptr<http::FormDataRequest>> QRVHTTPBaseDataRequest::generateRequestWithUrl(
    const std::string& url, const foundation::Dictionary& parameters) {
  const foundation::Dictionary all = QRVRequestParameters::merged(getStaticParams(), parameters);
  std::shared_ptr<http::FormDataRequest> form;
  if (getRequestMethod() == 0) {
    foundation::Result<std::string> query = QRVRequestParameters::queryString(all);
    if (!query.ok()) return query.error();
    form = http::FormDataRequest::requestWithURL(QRVRequestParameters::appendingQuery(url, query.value()));
    form->setRequestMethod("GET");
  } else {
    form = http::FormDataRequest::requestWithURL(url);
    form->setRequestMethod("POST");
    if (foundation::Status added = addFormFields(*form, all); !added.ok()) return added.error();
  }
  configure(*form);
  return form;
}

foundation::Status QRVHTTPBaseDataRequest::addFormFields(http::FormDataRequest& form,
                                                         const foundation::Dictionary& parameters) const {
  bool hasFilePart = false;
  for (const auto& [key, value] : parameters) {
    if (auto bytes = fileBytesOf(value, kPictureQuality)) {
      if (!bytes->ok()) return bytes->error();
      form.addData(bytes->value(), kPictureFileName, kPictureContentType, key);
      hasFilePart = true;
      continue;
    }
    foundation::Result<std::string> text = QRVRequestParameters::textOf(key, value);
    if (!text.ok()) return text.error();
    form.addPostValue(text.value(), key);
  }
  form.setPostFormat(hasFilePart ? http::FormDataRequest::PostFormat::multipartFormData
                                 : http::FormDataRequest::PostFormat::URLEncoded);
  return foundation::Status::success();
}

void QRVHTTPBaseDataRequest::configure(http::FormDataRequest& form) {
  auto self = std::static_pointer_cast<QRVHTTPBaseDataRequest>(shared_from_this());
  form.setDelegate(std::shared_ptr<http::HTTPRequestDelegate>(self));
  form.setDefaultResponseEncoding(getResponseEncoding());
  form.setTimeOutSeconds(kTimeOutSeconds);
  form.setAllowCompressedResponse(true);
  if (filePath().empty()) {
    // A broken or hostile server must not fill the memory: the reply is bounded as it arrives,
    // inflated piece by piece so that a small compressed body cannot grow past the bound either.
    form.setMaxResponseDataSize(kMaxReplyBytes);
    form.setShouldWaitToInflateCompressedResponses(false);
    return;
  }
  CommonUtils::createDirectorysAtPath(foundation::Paths::deletingLastPathComponent(filePath()));
  form.setDownloadProgressDelegate(std::shared_ptr<http::ProgressDelegate>(self));
  form.setDownloadDestinationPath(filePath());
  form.setShowAccurateProgress(true);
}

void QRVHTTPBaseDataRequest::doRequestWithParams(const foundation::Dictionary& parameters) {
  foundation::Result<std::shared_ptr<http::FormDataRequest>> form = generateRequestWithUrl(requestUrl(), parameters);
  if (!form.ok()) {
    failBeforeSending(form.error());
    return;
  }
  request_ = std::move(form.value());
  request_->startAsynchronous();
}

void QRVHTTPBaseDataRequest::failBeforeSending(foundation::ErrorPtr error) {
  // Reported from the main loop, as a network failure would be: the factory registers the
  // request with the manager only after this initialiser returns.
  foundation::RunLoop::main().post([self = shared_from_this(), error = std::move(error)] {
    auto& request = static_cast<QRVHTTPBaseDataRequest&>(*self);
    request.reportFailure(error);
    request.doRelease();
  });
}

bool QRVHTTPBaseDataRequest::onReceivedCacheData(const foundation::Value& cached) {
  const foundation::Dictionary* dictionary = cached.getDictionary();
  if (!dictionary) return false;
  setResultDic(*dictionary);
  setResult(QRVRequestResult((*dictionary)["result"]["code"], ""));
  reportFinish();
  return true;
}

void QRVHTTPBaseDataRequest::requestStarted(http::HTTPRequest&) {
  showIndicator(true);
  reportStart();
}

void QRVHTTPBaseDataRequest::requestDidReceiveResponseHeaders(http::HTTPRequest&,
                                                              const foundation::Dictionary& headers) {
  if (filePath().empty()) return;
  for (const auto& [name, value] : headers) {
    if (!equalsIgnoringCase(name, "Content-Length")) continue;
    const std::int64_t length = value.toInt64(-1);
    if (length >= 0) setTotalData(length);
  }
}

void QRVHTTPBaseDataRequest::requestDidReceiveBytes(http::HTTPRequest&, std::int64_t amount) {
  addDownloadedData(amount);
  reportProgress(static_cast<float>(static_cast<double>(downloadedData()) / static_cast<double>(totalData())));
}

void QRVHTTPBaseDataRequest::requestFinished(http::HTTPRequest& engineRequest) {
  auto self = shared_from_this();  // doRelease() may drop the last owner
  showIndicator(false);
  if (!filePath().empty()) {
    // The body went to the file: there is no reply text to read.
    setResult(QRVRequestResult(foundation::Value(), ""));
    reportFinish();
  } else if (foundation::Result<std::string> text = replyText(engineRequest); text.ok()) {
    handleResultString(std::move(text.value()));
  } else {
    reportFailure(text.error());
  }
  reportPendingCancel();
  doRelease();
}

foundation::Result<std::string> QRVHTTPBaseDataRequest::replyText(const http::HTTPRequest& engineRequest) const {
  std::optional<foundation::Bytes> body = engineRequest.responseData();
  if (!body)
    return foundation::makeError(foundation::kUrlErrorDomain, kUnreadableReplyError, "The reply could not be inflated");
  foundation::Result<std::string> text = foundation::Text::decode(*body, getResponseEncoding());
  if (!text.ok())
    return foundation::makeError(foundation::kUrlErrorDomain, kUnreadableReplyError,
                                 "The reply cannot be read as " + getResponseEncoding() + " text", text.error());
  return text;
}

void QRVHTTPBaseDataRequest::requestFailed(http::HTTPRequest& engineRequest) {
  auto self = shared_from_this();  // doRelease() may drop the last owner
  showIndicator(false);
  const foundation::ErrorPtr error = engineRequest.error();
  reportFailure(error);
  if (shouldShowFailureToast(error))
    toast::makeToast(*indicatorView(), kNoNetworkToastText, kNoNetworkToastSeconds, "center");
  reportPendingCancel();
  doRelease();
}

bool QRVHTTPBaseDataRequest::shouldShowFailureToast(const foundation::ErrorPtr& error) const {
  // An oversized reply is the server's fault, not the network's.
  return error && error->domain() == http::kHTTPRequestErrorDomain &&
         !http::isRequestError(error, http::HTTPRequestErrorCode::cancelled) &&
         !http::isRequestError(error, http::HTTPRequestErrorCode::responseTooLarge) && !useSilentAlert() &&
         indicatorView();
}

}  // namespace framework
