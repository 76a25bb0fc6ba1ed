#include "platform/net/HTTPMessage.h"

#include <algorithm>

#include "platform/net/NetErrors.h"
#include "platform/net/URLParts.h"

namespace net {
namespace {

bool isTokenCharacter(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), isTokenCharacter); }

bool isFieldValue(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

}  // namespace

const char* httpVersionText(HTTPVersion version) { return version == HTTPVersion::HTTP1_0 ? "HTTP/1.0" : "HTTP/1.1"; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

foundation::Result<std::shared_ptr<HTTPMessage>> HTTPMessage::createRequest(const std::string& method,
                                                                            const std::string& url,
                                                                            HTTPVersion version) {
  if (!isToken(method))
    return foundation::makeError(kCFNetworkErrorDomain, kUnsupportedURL, "Invalid request method: " + method);
  auto parts = parseHTTPURL(url);
  if (!parts) return parts.error();
  std::shared_ptr<HTTPMessage> message(new HTTPMessage());
  message->isRequest_ = true;
  message->version_ = version;
  message->method_ = method;
  message->url_ = url;
  message->scheme_ = parts->scheme;
  message->host_ = parts->host;
  message->port_ = parts->port;
  message->explicitPort_ = parts->explicitPort;
  message->target_ = parts->target;
  return message;
}

std::shared_ptr<HTTPMessage> HTTPMessage::createEmptyResponse() {
  return std::shared_ptr<HTTPMessage>(new HTTPMessage());
}

bool HTTPMessage::setHeaderFieldValue(std::string_view name, std::optional<std::string_view> value) {
  if (!isToken(name) || (value && !isFieldValue(*value))) return false;
  auto matches = [&](const HeaderField& field) { return equalsIgnoringCase(field.first, name); };
  auto first = std::find_if(fields_.begin(), fields_.end(), matches);
  if (first == fields_.end()) {
    if (value) fields_.emplace_back(std::string(name), std::string(*value));
    return true;
  }
  if (value) {
    first->first = std::string(name);
    first->second = std::string(*value);
    ++first;
  }
  fields_.erase(std::remove_if(first, fields_.end(), matches), fields_.end());
  return true;
}

bool HTTPMessage::addHeaderField(std::string_view name, std::string_view value) {
  if (!isToken(name) || !isFieldValue(value)) return false;
  fields_.emplace_back(std::string(name), std::string(value));
  return true;
}

std::optional<std::string> HTTPMessage::headerFieldValue(std::string_view name) const {
  std::optional<std::string> joined;
  for (const auto& [fieldName, value] : fields_) {
    if (!equalsIgnoringCase(fieldName, name)) continue;
    if (joined)
      *joined += ", " + value;
    else
      joined = value;
  }
  return joined;
}

std::vector<std::string> HTTPMessage::headerFieldValues(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [fieldName, value] : fields_)
    if (equalsIgnoringCase(fieldName, name)) values.push_back(value);
  return values;
}

std::vector<HTTPMessage::HeaderField> HTTPMessage::mergedHeaderFields() const {
  std::vector<HeaderField> merged;
  for (const HeaderField& field : fields_) {
    auto existing = std::find_if(merged.begin(), merged.end(),
                                 [&](const HeaderField& seen) { return equalsIgnoringCase(seen.first, field.first); });
    if (existing == merged.end())
      merged.push_back(field);
    else
      existing->second += ", " + field.second;
  }
  return merged;
}

std::string HTTPMessage::hostFieldValue() const {
  std::string value = host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_;
  if (explicitPort_) value += ":" + std::to_string(port_);
  return value;
}

std::string HTTPMessage::absoluteTarget() const { return scheme_ + "://" + hostFieldValue() + target_; }

std::string HTTPMessage::connectAuthority() const {
  return (host_.find(':') == std::string::npos ? host_ : "[" + host_ + "]") + ":" + std::to_string(port_);
}

std::string HTTPMessage::serializedHead(bool absoluteForm) const {
  std::string head = method_ + " ";
  head += absoluteForm ? absoluteTarget() : target_;
  head += " ";
  head += httpVersionText(version_);
  head += "\r\n";
  if (!headerFieldValue("Host")) head += "Host: " + hostFieldValue() + "\r\n";
  for (const auto& [name, value] : fields_) head += name + ": " + value + "\r\n";
  head += "\r\n";
  return head;
}

std::string HTTPMessage::statusLine() const {
  std::string line = std::string(httpVersionText(version_)) + " " + std::to_string(statusCode_);
  if (!reason_.empty()) line += " " + reason_;
  return line;
}

void HTTPMessage::setResponseStatus(HTTPVersion version, int statusCode, std::string reasonPhrase) {
  version_ = version;
  statusCode_ = statusCode;
  reason_ = std::move(reasonPhrase);
}

}  // namespace net
