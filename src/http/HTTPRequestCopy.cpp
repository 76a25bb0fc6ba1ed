// Copying a request: its configuration, never the state of an exchange.
#include "src/http/HTTPRequest.h"

namespace http {

std::shared_ptr<HTTPRequest> HTTPRequest::copy() const {
  Lock lock(cancelledLock_);
  auto copied = makeRequestOfSameClass(url_);
  copyInto(*copied);
  return copied;
}

void HTTPRequest::copyInto(HTTPRequest& copy) const {
  // The copy is new: no other thread knows it yet, so its fields are set without its lock.
  copy.delegate_ = delegate_;
  copy.requestMethod_ = requestMethod_;
  copy.postBody_ = postBody_;
  copy.postBodyFilePath_ = postBodyFilePath_;
  copy.shouldStreamPostDataFromDisk_ = shouldStreamPostDataFromDisk_;
  // A body built gzipped is sent as built: its length and headers are those of the gzip form.
  copy.shouldCompressRequestBody_ = shouldCompressRequestBody_;
  copy.compressedPostBody_ = compressedPostBody_;
  copy.requestHeaders_ = requestHeaders_;
  copy.requestCookies_ = requestCookies_;
  copy.useCookiePersistence_ = useCookiePersistence_;
  copy.allowCompressedResponse_ = allowCompressedResponse_;
  copy.downloadDestinationPath_ = downloadDestinationPath_;
  copy.temporaryFileDownloadPath_ = temporaryFileDownloadPath_;
  copyCredentialSettingsInto(copy);
  copy.uploadProgressDelegate_ = uploadProgressDelegate_;
  copy.downloadProgressDelegate_ = downloadProgressDelegate_;
  copy.postLength_ = postLength_;
  copy.haveBuiltPostBody_ = haveBuiltPostBody_;
  copy.didStartSelector_ = didStartSelector_;
  copy.didFinishSelector_ = didFinishSelector_;
  copy.didFailSelector_ = didFailSelector_;
  copy.timeOutSeconds_ = timeOutSeconds_;
  copy.shouldResetUploadProgress_ = shouldResetUploadProgress_;
  copy.shouldResetDownloadProgress_ = shouldResetDownloadProgress_;
  copy.showAccurateProgress_ = showAccurateProgress_;
  copy.defaultResponseEncoding_ = defaultResponseEncoding_;
  copy.allowResumeForFileDownloads_ = allowResumeForFileDownloads_;
  copy.userInfo_ = userInfo_;
  copy.tag_ = tag_;
  copy.useHTTPVersionOne_ = useHTTPVersionOne_;
  copy.shouldRedirect_ = shouldRedirect_;
  copy.validatesSecureCertificate_ = validatesSecureCertificate_;
  copy.clientCertificateIdentity_ = clientCertificateIdentity_;
  copy.clientCertificates_ = clientCertificates_;
  copy.numberOfTimesToRetryOnTimeout_ = numberOfTimesToRetryOnTimeout_;
  copy.shouldUseRFC2616RedirectBehaviour_ = shouldUseRFC2616RedirectBehaviour_;
  copy.shouldAttemptPersistentConnection_ = shouldAttemptPersistentConnection_;
  copy.persistentConnectionTimeoutSeconds_ = persistentConnectionTimeoutSeconds_;
  copyCacheSettingsInto(copy);
}

}  // namespace http
