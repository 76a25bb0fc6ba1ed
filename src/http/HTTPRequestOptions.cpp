// Class-wide options of requests: the default user agent, MIME types, "Content-Type" parsing,
// Base64, the expiry of kept connections, and running a request synchronously.
#include <mutex>

#include "platform/foundation/Base64.h"
#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Text.h"
#include "platform/net/MIMETypes.h"
#include "platform/net/URLParts.h"
#include "src/http/ConnectionPool.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

struct UserAgent {
  std::mutex lock;
  std::optional<std::string> text;
};

UserAgent& defaultUserAgent() {
  static UserAgent* userAgent = new UserAgent();  // read by requests until exit
  return *userAgent;
}

std::optional<std::string> makeDefaultUserAgent() {
  auto device = foundation::DeviceInfo::current();
  if (device.bundleName.empty()) return std::nullopt;
  const std::string& shortVersion = device.bundleShortVersion;
  const std::string& build = device.bundleVersion;
  std::string version = !shortVersion.empty() && !build.empty() && shortVersion != build
                            ? shortVersion + " rv:" + build
                            : (shortVersion.empty() ? build : shortVersion);
  return device.bundleName + " " + version + " (" + device.model + "; " + device.systemName + " " +
         device.systemVersion + "; " + foundation::Locale::current().identifier() + ")";
}

std::string_view trimmed(std::string_view text) {
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> HTTPRequest::defaultUserAgentString() {
  auto& userAgent = defaultUserAgent();
  std::scoped_lock lock(userAgent.lock);
  if (!userAgent.text) userAgent.text = makeDefaultUserAgent();  // kept once there is one
  return userAgent.text;
}

void HTTPRequest::setDefaultUserAgentString(std::optional<std::string> text) {
  auto& userAgent = defaultUserAgent();
  std::scoped_lock lock(userAgent.lock);
  userAgent.text = std::move(text);
}

std::optional<std::string> HTTPRequest::mimeTypeForFileAtPath(const std::string& path) {
  if (!foundation::FileManager::fileExists(path)) return std::nullopt;
  return net::MIMETypes::system().typeForFileName(path);
}

void HTTPRequest::parseMimeType(std::string& mimeType, std::string& encoding,
                                const std::optional<std::string>& contentType) {
  if (!contentType) return;
  std::string_view header = *contentType;
  auto semicolon = header.find(';');
  if (semicolon == std::string_view::npos || semicolon == 0) {
    mimeType = trimmed(header);
    return;
  }
  mimeType = trimmed(header.substr(0, semicolon));
  auto parameters = header.substr(semicolon);
  auto at = net::toLowerASCII(std::string(parameters)).find("charset=");
  if (at == std::string::npos) return;
  auto rest = parameters.substr(at + 8);
  std::string charset(trimmed(rest.substr(0, rest.find(';'))));
  if (charset.size() >= 2 && charset.front() == '"' && charset.back() == '"')
    charset = charset.substr(1, charset.size() - 2);
  if (!charset.empty() && foundation::Text::isKnownCharset(charset)) encoding = charset;
}

std::string HTTPRequest::base64forData(const foundation::Bytes& data) { return foundation::base64Encode(data); }

bool HTTPRequest::isMultitaskingSupported() { return foundation::DeviceInfo::current().multitaskingSupported; }

void HTTPRequest::expirePersistentConnections() {
  auto& pool = ConnectionPool::shared();
  std::scoped_lock lock(pool.lock());
  pool.expireIdleRecords(foundation::Clock::current().now());
}

void HTTPRequest::startSynchronous() {
  auto& caller = foundation::RunLoop::current();
  {
    Lock lock(cancelledLock_);
    isSynchronous_ = true;
    synchronousLoop_ = &caller;
  }
  start();
  // The request's own time-outs end it; the loop's limit only has to outlast them.
  caller.runUntil([this] { return isFinished(); }, foundation::Duration(1e9));
  caller.pumpOnce();  // the callbacks posted to this loop before the request finished
  Lock lock(cancelledLock_);
  synchronousLoop_ = nullptr;
}

bool HTTPRequest::isSynchronous() const { return lockedCopy(isSynchronous_); }

}  // namespace http
