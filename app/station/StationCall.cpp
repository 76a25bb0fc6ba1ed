#include "app/station/StationCall.h"

#include <algorithm>
#include <string_view>

#include "platform/foundation/Url.h"

namespace station {
namespace {

constexpr std::string_view kApiPrefix = "/api/";
constexpr std::string_view kJsonSuffix = ".json";

// A url-encoded name or value; "+" is a space, as HTML forms send it.
std::string formDecoded(std::string_view text) {
  std::string plus(text);
  std::replace(plus.begin(), plus.end(), '+', ' ');
  foundation::Result<std::string> plain = foundation::Url::percentUnescape(plus);
  return plain.ok() ? plain.value() : plus;
}

// "a=1&b=%20" as decoded pairs, in order.
FieldList decodePairs(std::string_view text) {
  FieldList fields;
  while (!text.empty()) {
    const std::size_t end = text.find('&');
    const std::string_view pair = text.substr(0, end);
    const std::size_t equals = pair.find('=');
    if (!pair.empty())
      fields.emplace_back(formDecoded(pair.substr(0, equals)),
                          equals == std::string_view::npos ? std::string() : formDecoded(pair.substr(equals + 1)));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return fields;
}

// The value of a parameter of a header ("boundary" in a Content-Type, "name" in a disposition).
std::string headerParameter(std::string_view header, const std::string& name) {
  for (std::size_t at = header.find(name + "="); at != std::string_view::npos; at = header.find(name + "=", at + 1)) {
    if (at > 0 && header[at - 1] != ' ' && header[at - 1] != ';') continue;
    std::string_view value = header.substr(at + name.size() + 1);
    if (!value.empty() && value.front() == '"') return std::string(value.substr(1, value.find('"', 1) - 1));
    return std::string(value.substr(0, value.find(';')));
  }
  return {};
}

// The parts between the boundaries: text fields to `form`, parts with a file name to `files`.
void decodeMultipart(const std::string& body, const std::string& boundary, StationCall& call) {
  const std::string delimiter = "--" + boundary;
  std::size_t start = body.find(delimiter + "\r\n");
  while (start != std::string::npos) {
    start += delimiter.size() + 2;
    const std::size_t end = body.find("\r\n" + delimiter, start);
    if (end == std::string::npos) return;
    const std::string part = body.substr(start, end - start);
    const std::size_t headEnd = part.find("\r\n\r\n");
    const std::string head = part.substr(0, headEnd);
    const std::string content = headEnd == std::string::npos ? std::string() : part.substr(headEnd + 4);
    const std::string name = headerParameter(head, "name");
    if (head.find("filename=") != std::string::npos) {
      const std::size_t typeAt = head.find("Content-Type: ");
      const std::string type =
          typeAt == std::string::npos ? "" : head.substr(typeAt + 14, head.find("\r\n", typeAt) - typeAt - 14);
      call.files.push_back({name, headerParameter(head, "filename"), type, content});
    } else {
      call.form.emplace_back(name, content);
    }
    start = body.compare(end + 2, delimiter.size() + 2, delimiter + "--") == 0 ? std::string::npos : end + 2;
  }
}

// "/api/play.playChannel.json" -> "play.playChannel"; "/api/call" -> "call".
std::string apiMethodOf(const std::string& path) {
  std::string method = path.substr(std::min(path.size(), kApiPrefix.size()));
  if (method.size() > kJsonSuffix.size() && method.ends_with(kJsonSuffix))
    method.resize(method.size() - kJsonSuffix.size());
  return method;
}

std::optional<std::string> firstValue(const FieldList& fields, const std::string& name) {
  for (const auto& [key, value] : fields)
    if (key == name) return value;
  return std::nullopt;
}

}  // namespace

StationCall StationCall::decode(const net::LocalRequest& request) {
  StationCall call;
  call.method = apiMethodOf(request.path);
  call.httpMethod = request.method;
  call.path = request.path;
  call.rawQuery = request.query;
  call.query = decodePairs(request.query);
  call.contentType = request.header("Content-Type").value_or("");
  if (call.contentType.starts_with("multipart/form-data")) {
    decodeMultipart(request.body, headerParameter(call.contentType, "boundary"), call);
  } else if (call.contentType.starts_with("application/x-www-form-urlencoded")) {
    call.form = decodePairs(request.body);
  }
  return call;
}

std::optional<std::string> StationCall::field(const std::string& name) const {
  if (std::optional<std::string> value = queryValue(name)) return value;
  return formValue(name);
}

std::optional<std::string> StationCall::queryValue(const std::string& name) const { return firstValue(query, name); }
std::optional<std::string> StationCall::formValue(const std::string& name) const { return firstValue(form, name); }

}  // namespace station
