#include "src/api/requests/BaseDataRequest.h"

#include "platform/foundation/NoDestructor.h"

namespace api {
namespace {

constexpr const char* kCompiledInApiBaseUrl = "http://api.zunoradio.com";

std::string& currentApiBaseUrl() {
  static foundation::NoDestructor<std::string> url(kCompiledInApiBaseUrl);
  return *url;
}

}  // namespace

const std::string& BaseDataRequest::apiBaseUrl() { return currentApiBaseUrl(); }

void BaseDataRequest::setApiBaseUrl(std::string_view url) {
  while (url.ends_with('/')) url.remove_suffix(1);
  currentApiBaseUrl() = url.empty() ? std::string(kCompiledInApiBaseUrl) : std::string(url);
}

void BaseDataRequest::setApiBaseUrlForTesting(const std::string& url) { setApiBaseUrl(url); }

std::string BaseDataRequest::urlForMethod(std::string_view method) {
  if (method == "call") return apiBaseUrl() + "/api/call";
  return apiBaseUrl() + "/api/" + std::string(method) + ".json?";
}

bool BaseDataRequest::succeeded() const {
  const std::string* err = resultDic()["err"].getString();
  return isSuccess() && err && *err == kErrOk;
}

}  // namespace api
