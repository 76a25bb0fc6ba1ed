#include "src/api/models/PalbumModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<PalbumModel>& PalbumModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<PalbumModel>> table(
      framework::QRVModelProperties<PalbumModel>()
          .text("palbumId", "palbum_id", &PalbumModel::palbumId_)
          .text("palbumDesc", "palbum_desc", &PalbumModel::palbumDesc_)
          .text("palbumName", "palbum_name", &PalbumModel::palbumName_)
          .text("uid", &PalbumModel::uid_)
          .text("picNum", "pic_num", &PalbumModel::picNum_)
          .text("palbumSetting", "palbum_setting", &PalbumModel::palbumSetting_)
          .text("status", &PalbumModel::status_)
          .text("picUrl", "pic_url", &PalbumModel::picUrl_));
  return *table;
}

}  // namespace api
