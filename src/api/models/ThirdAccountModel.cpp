#include "src/api/models/ThirdAccountModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<ThirdAccountModel>& ThirdAccountModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<ThirdAccountModel>> table(
      framework::QRVModelProperties<ThirdAccountModel>()
          .text("accessToken", "access_token", &ThirdAccountModel::accessToken_)
          .text("expires", &ThirdAccountModel::expires_)
          .text("nickname", &ThirdAccountModel::nickname_)
          .text("photo", &ThirdAccountModel::photo_)
          .text("status", &ThirdAccountModel::status_)
          .text("thirdId", "third_id", &ThirdAccountModel::thirdId_)
          .text("thirdType", "third_type", &ThirdAccountModel::thirdType_)
          .text("uid", &ThirdAccountModel::uid_));
  return *table;
}

}  // namespace api
