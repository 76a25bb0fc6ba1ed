// Choosing the proxy through a proxy auto-configuration script: fetched from a file, http or
// https URL, run off the network thread, answered back on it.
#include "platform/foundation/FileManager.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Url.h"
#include "platform/foundation/Utf8.h"
#include "platform/net/ProxyAutoConfig.h"
#include "platform/net/URLParts.h"
#include "src/http/ConnectionPool.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

// UTF-8 when the bytes are, else ISO Latin-1 (which every byte string is).
std::string decodeScript(const foundation::Bytes& bytes) {
  std::string text(bytes.begin(), bytes.end());
  if (foundation::isValidUtf8(text)) return text;
  std::string converted;
  for (unsigned char byte : bytes) {
    if (byte < 0x80) {
      converted += static_cast<char>(byte);
    } else {
      converted += static_cast<char>(0xC0 | (byte >> 6));
      converted += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return converted;
}

}  // namespace

void HTTPRequest::fetchPACFile() {
  auto parsed = foundation::Url::parse(settings_.PACurl);
  std::string scheme = parsed.ok() ? net::toLowerASCII(parsed->scheme()) : "";
  if (scheme == "file") {
    readLocalPACFile(parsed->path());
    return;
  }
  if (scheme != "http" && scheme != "https") {
    startRequest();
    return;
  }
  auto PACRequest = requestWithURL(settings_.PACurl);
  PACRequest->isPACFileRequest_ = true;
  PACRequest->settings_.timeOutSeconds = settings_.timeOutSeconds;
  PACRequest->setQueuePriority(foundation::Operation::kQueuePriorityHigh);
  PACFileRequest_ = PACRequest;
  // This request holds a place in the shared queue while it waits: make room for the script's.
  changeSharedQueueWidth(1);
  std::weak_ptr<HTTPRequest> weak = self();
  PACRequest->setCompletionHandler([weak, PACWeak = std::weak_ptr<HTTPRequest>(PACRequest)] {
    networkLoop().post([weak, PACWeak] {
      auto request = weak.lock();
      auto fetched = PACWeak.lock();
      if (request && fetched) request->finishedDownloadingPACFile(fetched);
    });
  });
  PACRequest->startAsynchronous();
}

void HTTPRequest::readLocalPACFile(const std::string& path) {
  // Read off the network thread and waited for only the request's time-out: a FIFO or a hung
  // file system must hold neither. An unreadable, oversized or late script sends it directly.
  std::weak_ptr<HTTPRequest> weak = self();
  foundation::FileManager::readFileInBackground(path, net::PACScript::kMaxScriptBytes,
                                                foundation::Duration(settings_.timeOutSeconds), networkLoop(),
                                                [weak](foundation::Result<foundation::Bytes> bytes) {
                                                  auto request = weak.lock();
                                                  if (!request) return;
                                                  Lock lock(request->cancelledLock_);
                                                  if (request->error_ || request->isCancelled()) return;
                                                  if (bytes.ok())
                                                    request->runPACScript(decodeScript(*bytes));
                                                  else
                                                    request->startRequest();
                                                });
}

void HTTPRequest::finishedDownloadingPACFile(const std::shared_ptr<HTTPRequest>& PACRequest) {
  Lock lock(cancelledLock_);
  changeSharedQueueWidth(-1);
  PACFileRequest_.reset();
  if (error_ || isCancelled()) return;
  int status = PACRequest->responseStatusCode();
  // Only a successful reply is a script; an error page would be run as one otherwise.
  if (!PACRequest->error() && status >= 200 && status < 300) {
    if (auto data = PACRequest->responseData()) {
      runPACScript(decodeScript(*data));
      return;
    }
  }
  startRequest();
}

void HTTPRequest::runPACScript(std::string script) {
  std::weak_ptr<HTTPRequest> weak = self();
  net::PACScript::proxiesForURLAsync(std::move(script), url_, networkLoop(), [weak](auto answer) {
    auto request = weak.lock();
    if (!request) return;
    Lock lock(request->cancelledLock_);
    if (request->error_ || request->isCancelled()) return;
    if (answer.ok() && !answer->empty()) {
      const auto& proxy = answer->front();
      request->settings_.proxyHost = proxy.host;
      request->settings_.proxyPort = proxy.port;
      request->settings_.proxyType = proxy.type == "DIRECT" ? "" : proxy.type;
    }
    request->startRequest();
  });
}

void HTTPRequest::changeSharedQueueWidth(int by) {
  std::scoped_lock poolLock(ConnectionPool::shared().lock());
  auto& queue = sharedQueue();
  queue.setMaxConcurrentOperationCount(queue.maxConcurrentOperationCount() + by);
}

}  // namespace http
