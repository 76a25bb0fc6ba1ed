#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "src/api/models/SongModel.h"
#include "src/api/models/UserModel.h"
#include "src/framework/model/QRVModel.h"

namespace api {

// A song album with its songs.
class SAlbumModel final : public framework::QRVModel<SAlbumModel> {
 public:
  static constexpr const char* kClassName = "SAlbumModel";
  static const framework::QRVModelProperties<SAlbumModel>& properties();

  QRV_TEXT_PROPERTY(salbumId, SalbumId)
  QRV_TEXT_PROPERTY(jujingId, JujingId)
  QRV_TEXT_PROPERTY(salbumName, SalbumName)
  QRV_TEXT_PROPERTY(releaseDate, ReleaseDate)
  QRV_TEXT_PROPERTY(tags, Tags)
  QRV_TEXT_PROPERTY(songNum, SongNum)
  QRV_TEXT_PROPERTY(picId, PicId)
  QRV_TEXT_PROPERTY(playNum, PlayNum)
  QRV_TEXT_PROPERTY(artistId, ArtistId)
  QRV_TEXT_PROPERTY(artistName, ArtistName)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(set_new_time, Set_new_time)
  QRV_TEXT_PROPERTY(type, Type)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
  QRV_TEXT_PROPERTY(duration, Duration)
  // Picture URLs, set by the request classes.
  QRV_MODEL_PROPERTY(foundation::Array, picUrlS, PicUrlS)
  QRV_MODEL_PROPERTY(std::vector<SongModelPtr>, songsArr, SongsArr)
  QRV_MODEL_PROPERTY(UserModelPtr, user, User)
  QRV_MODEL_PROPERTY(std::int64_t, collectionType, CollectionType)
};

using SAlbumModelPtr = std::shared_ptr<SAlbumModel>;

}  // namespace api
