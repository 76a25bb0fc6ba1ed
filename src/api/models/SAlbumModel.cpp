#include "src/api/models/SAlbumModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<SAlbumModel>& SAlbumModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<SAlbumModel>> table(
      framework::QRVModelProperties<SAlbumModel>()
          .text("salbumId", "salbum_id", &SAlbumModel::salbumId_)
          .text("jujingId", "jujing_id", &SAlbumModel::jujingId_)
          .text("salbumName", "salbum_name", &SAlbumModel::salbumName_)
          .text("releaseDate", "release_date", &SAlbumModel::releaseDate_)
          .text("tags", &SAlbumModel::tags_)
          .text("songNum", "song_num", &SAlbumModel::songNum_)
          .text("picId", "pic_id", &SAlbumModel::picId_)
          .text("playNum", "play_num", &SAlbumModel::playNum_)
          .text("artistId", "artist_id", &SAlbumModel::artistId_)
          .text("artistName", "artist_name", &SAlbumModel::artistName_)
          .text("status", &SAlbumModel::status_)
          .text("set_new_time", &SAlbumModel::set_new_time_)
          .text("type", "_type", &SAlbumModel::type_)
          .text("picUrl", "pic_url", &SAlbumModel::picUrl_)
          .text("duration", &SAlbumModel::duration_));
  return *table;
}

}  // namespace api
