#pragma once

#include "src/api/requests/ApiRequestClass.h"
#include "src/api/requests/ResultSteps.h"

// The request classes of module "user": one row of the endpoint table each.
namespace api {

class LoginRequest final : public ApiRequestClass<LoginRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._login", ApiVerb::post, &result_steps::login};
};

class LoginThirdRequest final : public ApiRequestClass<LoginThirdRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._loginThird", ApiVerb::post, &result_steps::loginThird};
};

class BindThridRequest final : public ApiRequestClass<BindThridRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._bindThird", ApiVerb::post, &result_steps::inheritedOnly};
};

class GetDetailUserRequest final : public ApiRequestClass<GetDetailUserRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user.getDetail", ApiVerb::post, &result_steps::userDetail};
};

class GetLoginUrlRequest final : public ApiRequestClass<GetLoginUrlRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user.getLoginUrl", ApiVerb::get, &result_steps::dataAsLoginUrl};
};

class ListCollectProgramsRequest final : public ApiRequestClass<ListCollectProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user.listCollectPrograms", ApiVerb::post, &result_steps::collectedPrograms};
};

class AddCollectionRequst final : public ApiRequestClass<AddCollectionRequst> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._subscribe", ApiVerb::post, &result_steps::dataAsDic};
};

class DelCollectionRequest final : public ApiRequestClass<DelCollectionRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._unsubscribe", ApiVerb::post, &result_steps::dataAsDic};
};

class ListSubscriptionStatusRequest final : public ApiRequestClass<ListSubscriptionStatusRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user.listSubscriptionStatus", ApiVerb::post, &result_steps::inheritedOnly};
};

class ListThirdAccountsRequest final : public ApiRequestClass<ListThirdAccountsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user.listThirdAccounts", ApiVerb::post, &result_steps::thirdAccounts};
};

class UnbindAccountRequest final : public ApiRequestClass<UnbindAccountRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._unbindAccount", ApiVerb::post, &result_steps::inheritedOnly};
};

class ShareToThirdRequest final : public ApiRequestClass<ShareToThirdRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._shareToThird", ApiVerb::post, &result_steps::inheritedOnly};
};

// A subclass of the base that calls no method of its own.
class GetUserLoginRequest final : public BaseDataRequest {};

}  // namespace api
