#include "src/api/requests/OtherRequests.h"

namespace api {

foundation::Result<foundation::Dictionary> UserHomePageRequest::parametersForUser(const std::string& uid) {
  const foundation::Dictionary args{{"uid", uid}};
  return BatchCall::parameters(
      {{"photo.listUserPAlbums", args}, {"radio.listUserPrograms", args}, {"user.listCollectPrograms", args}});
}

foundation::Result<foundation::Dictionary> ListSalbumAndSongRequest::parametersForArtist(const std::string& artistId) {
  const foundation::Dictionary args{{"artist_id", artistId}};
  return BatchCall::parameters({{"item.listArtistSAlbums", args}, {"item.listArtistSongs", args}});
}

}  // namespace api
