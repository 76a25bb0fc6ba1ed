#include "src/api/requests/ApiRequest.h"

#include "src/framework/request/QRVDataRequestManager.h"

namespace api {

std::shared_ptr<ApiRequest> ApiRequest::initWithMod(std::string mod, std::string method) {
  return std::shared_ptr<ApiRequest>(new ApiRequest(std::move(mod), std::move(method)));
}

std::shared_ptr<ApiRequest> ApiRequest::userApi(std::string method) { return initWithMod("user", std::move(method)); }
std::shared_ptr<ApiRequest> ApiRequest::radioApi(std::string method) { return initWithMod("radio", std::move(method)); }
std::shared_ptr<ApiRequest> ApiRequest::itemApi(std::string method) { return initWithMod("item", std::move(method)); }
std::shared_ptr<ApiRequest> ApiRequest::searchApi(std::string method) {
  return initWithMod("search", std::move(method));
}
std::shared_ptr<ApiRequest> ApiRequest::otherApi(std::string method) { return initWithMod("other", std::move(method)); }
std::shared_ptr<ApiRequest> ApiRequest::playApi(std::string method) { return initWithMod("play", std::move(method)); }

std::string ApiRequest::getRequestUrl() const { return apiBaseUrl() + "/api/" + mod_ + "." + func_ + ".json"; }

void ApiRequest::processResult() {
  BaseDataRequest::processResult();
  // Taken out first: a block may post again through this same request.
  Block ok = finishOK_;
  Block fail = finishFAIL_;
  if (succeeded() && ok) {
    ok(*this);
  } else if (!succeeded() && fail) {
    fail(*this);
  }
}

void ApiRequest::postWithParameters(foundation::Dictionary parameters, Block requestOK) {
  finishOK_ = std::move(requestOK);
  send(parameters);
}

void ApiRequest::postWithParameters(foundation::Dictionary parameters, Block requestOK, Block requestFAIL) {
  finishOK_ = std::move(requestOK);
  finishFAIL_ = std::move(requestFAIL);
  send(parameters);
}

void ApiRequest::postWithParameters(foundation::Dictionary parameters,
                                    std::shared_ptr<framework::DataRequestDelegate> delegate) {
  setDelegate(std::move(delegate));
  send(parameters);
}

void ApiRequest::send(const foundation::Dictionary& parameters) {
  setRequestUrl(getRequestUrl());
  // The manager holds the request until the reply road lets it go.
  framework::QRVDataRequestManager::sharedManager().addRequest(shared_from_this());
  doRequestWithParams(parameters);
}

}  // namespace api
