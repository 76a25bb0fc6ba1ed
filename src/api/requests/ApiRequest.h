#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "src/api/requests/BaseDataRequest.h"
#include "src/framework/request/DataRequestDelegate.h"

namespace api {

// Any method of a module of the web API by name, always as a form post to
// "<base>/api/<module>.<method>.json". A reply that says "hapn.ok" goes to the success block,
// any other parsed reply to the failure block; a transport failure or an unreadable reply
// reaches neither. The request keeps itself alive (through the request manager) until its
// reply has been handled, then lets go. Main thread only.
class ApiRequest : public BaseDataRequest {
 public:
  using Block = std::function<void(ApiRequest&)>;

  static std::shared_ptr<ApiRequest> initWithMod(std::string mod, std::string method);
  static std::shared_ptr<ApiRequest> userApi(std::string method);
  static std::shared_ptr<ApiRequest> radioApi(std::string method);
  static std::shared_ptr<ApiRequest> itemApi(std::string method);
  static std::shared_ptr<ApiRequest> searchApi(std::string method);
  static std::shared_ptr<ApiRequest> otherApi(std::string method);
  static std::shared_ptr<ApiRequest> playApi(std::string method);

  const std::string& mod() const { return mod_; }
  const std::string& func() const { return func_; }

  int getRequestMethod() const override { return 1; }
  std::string getRequestUrl() const override;
  void processResult() override;

  void postWithParameters(foundation::Dictionary parameters, Block requestOK);
  // Replaces any blocks given before.
  void postWithParameters(foundation::Dictionary parameters, Block requestOK, Block requestFAIL);
  // No blocks: the delegate hears the base's callbacks.
  void postWithParameters(foundation::Dictionary parameters, std::shared_ptr<framework::DataRequestDelegate> delegate);

 private:
  ApiRequest(std::string mod, std::string method) : mod_(std::move(mod)), func_(std::move(method)) {}
  void send(const foundation::Dictionary& parameters);

  std::string mod_;
  std::string func_;
  Block finishOK_;
  Block finishFAIL_;
};

using ApiRequestPtr = std::shared_ptr<ApiRequest>;

}  // namespace api
