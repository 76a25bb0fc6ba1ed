#include "src/api/models/ArtistModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<ArtistModel>& ArtistModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<ArtistModel>> table(
      framework::QRVModelProperties<ArtistModel>()
          .text("artistId", "artist_id", &ArtistModel::artistId_)
          .text("jujingId", "jujing_id", &ArtistModel::jujingId_)
          .text("zhName", "zh_name", &ArtistModel::zhName_)
          .text("enName", "en_name", &ArtistModel::enName_)
          .text("country", &ArtistModel::country_)
          .text("sex", &ArtistModel::sex_)
          .text("birthday", &ArtistModel::birthday_)
          .text("bloodtype", &ArtistModel::bloodtype_)
          .text("constellation", "Constellation", &ArtistModel::constellation_)
          .text("atristDescription", "description", &ArtistModel::atristDescription_)
          .text("salbumNum", "salbum_num", &ArtistModel::salbumNum_)
          .text("songNum", "song_num", &ArtistModel::songNum_)
          .text("status", &ArtistModel::status_)
          .text("type", "_type", &ArtistModel::type_)
          .text("picUrl", "pic_url", &ArtistModel::picUrl_));
  return *table;
}

}  // namespace api
