#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/Result.h"

namespace net {

enum class HTTPVersion { HTTP1_0, HTTP1_1 };

// "HTTP/1.0" or "HTTP/1.1".
const char* httpVersionText(HTTPVersion version);

// One HTTP message: a request built by the caller, or a response head filled by a read stream.
// Header fields keep their order and spelling; repeated fields (Set-Cookie) are all kept; look-ups
// ignore case. A message is a plain value with no locking: one thread at a time, and a stream
// hands out copies (HTTPReadStream::responseHeader()), never the message it is still filling.
class HTTPMessage {
 public:
  using HeaderField = std::pair<std::string, std::string>;

  // Any thread. A request for an absolute http or https URL (scheme compared without regard to
  // case). Fails with net::kUnsupportedURL for any other scheme, a URL without host, a malformed
  // URL, or a method that is empty or not an HTTP token.
  static foundation::Result<std::shared_ptr<HTTPMessage>> createRequest(const std::string& method,
                                                                        const std::string& url, HTTPVersion version);
  // Any thread. An empty response whose head is not complete; read streams fill it.
  static std::shared_ptr<HTTPMessage> createEmptyResponse();

  bool isRequest() const { return isRequest_; }
  HTTPVersion version() const { return version_; }

  // --- Header fields (requests and responses) ---

  // Sets a field: replaces the first field of that name in place and drops later ones, or
  // appends when there is none. A value of std::nullopt removes every field of that name.
  // Names and values holding CR, LF or NUL are refused (returns false): no header injection.
  bool setHeaderFieldValue(std::string_view name, std::optional<std::string_view> value);
  // Appends a field even when one of that name exists (responses repeat Set-Cookie).
  bool addHeaderField(std::string_view name, std::string_view value);
  // The value of a field; repeated fields are joined with ", " in order. nullopt when absent.
  std::optional<std::string> headerFieldValue(std::string_view name) const;
  // Every value of a field, in order.
  std::vector<std::string> headerFieldValues(std::string_view name) const;
  // All fields as received or set, in order, repeats kept.
  const std::vector<HeaderField>& allHeaderFields() const { return fields_; }
  // One entry per field name (spelled as first seen), in order of first appearance; the values
  // of repeated fields joined with ", ". The form a dictionary of response headers takes.
  std::vector<HeaderField> mergedHeaderFields() const;

  // --- Requests ---

  const std::string& requestMethod() const { return method_; }
  // The URL as given to createRequest.
  const std::string& requestURL() const { return url_; }
  // Lower-case "http" or "https".
  const std::string& scheme() const { return scheme_; }
  // Host name or address, without IPv6 brackets, lower-case.
  const std::string& host() const { return host_; }
  // The URL's port, or 80/443 by scheme when the URL names none.
  int port() const { return port_; }
  bool hasExplicitPort() const { return explicitPort_; }
  // Path and query as sent to a server ("/" for an empty path).
  const std::string& requestTarget() const { return target_; }
  // The value of the Host field the stream adds when the caller set none.
  std::string hostFieldValue() const;
  // The absolute form of the target ("http://host:port/path?query"), as an HTTP proxy gets it.
  std::string absoluteTarget() const;
  // "host:port" as CONNECT names it: IPv6 in brackets, the port always.
  std::string connectAuthority() const;
  // The request head as raw bytes: request line (origin form, or absolute form for an HTTP
  // proxy), a Host field when none is set, then every field in order, then CR LF.
  std::string serializedHead(bool absoluteForm) const;

  // --- Responses ---

  bool isHeaderComplete() const { return headerComplete_; }
  int statusCode() const { return statusCode_; }
  const std::string& reasonPhrase() const { return reason_; }
  // The whole status line without CR LF, e.g. "HTTP/1.1 404 Not Found".
  std::string statusLine() const;
  // Used by the parser that fills a response.
  void setResponseStatus(HTTPVersion version, int statusCode, std::string reasonPhrase);
  void setHeaderComplete() { headerComplete_ = true; }

 private:
  HTTPMessage() = default;

  bool isRequest_ = false;
  HTTPVersion version_ = HTTPVersion::HTTP1_1;
  std::vector<HeaderField> fields_;

  std::string method_;
  std::string url_;
  std::string scheme_;
  std::string host_;
  int port_ = 0;
  bool explicitPort_ = false;
  std::string target_;

  bool headerComplete_ = false;
  int statusCode_ = 0;
  std::string reason_;
};

// Any thread. Case-insensitive comparison of ASCII header names and tokens.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace net
