#include "src/framework/request/QRVRequestParameters.h"

#include <cmath>

#include "src/framework/request/QRVBaseDataRequest.h"

namespace framework {

foundation::Dictionary QRVRequestParameters::merged(const foundation::Dictionary& staticParams,
                                                    const foundation::Dictionary& callerParams) {
  foundation::Dictionary all = staticParams;
  for (const auto& [key, value] : callerParams) all.set(key, value);
  return all;
}

foundation::Result<std::string> QRVRequestParameters::textOf(std::string_view key, const foundation::Value& value) {
  if (const std::string* text = value.getString()) return *text;
  if (const bool* flag = value.getBool()) return std::string(*flag ? "1" : "0");
  if (value.isNumber() && std::isfinite(value.toDouble())) return value.toString();
  return unsendableParameter(key, value);
}

foundation::Result<std::string> QRVRequestParameters::queryString(const foundation::Dictionary& parameters) {
  std::string query;
  for (const auto& [key, value] : parameters) {
    foundation::Result<std::string> text = textOf(key, value);
    if (!text.ok()) return text.error();
    if (!query.empty()) query += '&';
    query += QRVBaseDataRequest::encodeURL(key) + '=' + QRVBaseDataRequest::encodeURL(text.value());
  }
  return query;
}

std::string QRVRequestParameters::appendingQuery(const std::string& url, const std::string& query) {
  if (query.empty()) return url;
  const std::size_t mark = url.find('?');
  if (mark == std::string::npos) return url + '?' + query;
  const bool readyForPair = url.back() == '?' || url.back() == '&';
  return url + (readyForPair ? "" : "&") + query;
}

foundation::ErrorPtr QRVRequestParameters::unsendableParameter(std::string_view key, const foundation::Value& value) {
  return foundation::makeError(kDataRequestErrorDomain, kUnsendableParameterError,
                               "The parameter \"" + std::string(key) + "\" (" + value.kindName() + ") cannot be sent");
}

}  // namespace framework
