#include "src/playback/managers/UserApiManager.h"

#include "src/api/requests/ApiRequest.h"

namespace playback {

void UserApiManager::listThirdAccounts(std::shared_ptr<framework::DataRequestDelegate> delegate) {
  api::ApiRequest::userApi("listThirdAccounts")->postWithParameters({}, std::move(delegate));
}

}  // namespace playback
