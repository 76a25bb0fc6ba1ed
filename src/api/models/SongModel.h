#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "src/framework/model/QRVModel.h"

namespace api {

// A song of a programme, an album, an artist or a search.
class SongModel final : public framework::QRVModel<SongModel> {
 public:
  static constexpr const char* kClassName = "SongModel";
  static const framework::QRVModelProperties<SongModel>& properties();

  // The stream URL for a network kind as NetWorkUitil names it: "/song/" becomes "/song/log/"
  // on "2G网络", "/song/medium/" on "3G网络" and "/song/high/" on "wifi网络"; any other kind
  // keeps audioUrl as it is. Empty when the song has no audioUrl.
  std::string getAudioPlayUrl(std::string_view kindOfNetWork) const;
  // Any thread. The stream URL for the network kind NetWorkUitil reports now.
  std::string getAudioPlayUrl() const;

  QRV_TEXT_PROPERTY(songId, SongId)
  QRV_TEXT_PROPERTY(jujingId, JujingId)
  QRV_TEXT_PROPERTY(songName, SongName)
  QRV_TEXT_PROPERTY(artistId, ArtistId)
  QRV_TEXT_PROPERTY(salbumId, SalbumId)
  QRV_TEXT_PROPERTY(releaseDate, ReleaseDate)
  QRV_TEXT_PROPERTY(language, Language)
  QRV_TEXT_PROPERTY(salbumsName, SalbumsName)
  QRV_TEXT_PROPERTY(artistsName, ArtistsName)
  QRV_TEXT_PROPERTY(tags, Tags)
  QRV_TEXT_PROPERTY(playUrl, PlayUrl)
  QRV_TEXT_PROPERTY(downUrl, DownUrl)
  QRV_TEXT_PROPERTY(playNum, PlayNum)
  QRV_TEXT_PROPERTY(duration, Duration)
  // Kilobytes.
  QRV_TEXT_PROPERTY(filesize, Filesize)
  QRV_TEXT_PROPERTY(status, Status)
  // The stream URL.
  QRV_TEXT_PROPERTY(audioUrl, AudioUrl)
  QRV_TEXT_PROPERTY(type, Type)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
  QRV_TEXT_PROPERTY(donwLoadUrl, DonwLoadUrl)
  QRV_MODEL_PROPERTY(bool, isPlaying, IsPlaying)
  // "1" when collected.
  QRV_TEXT_PROPERTY(fav, Fav)
  QRV_TEXT_PROPERTY(programId, ProgramId)
  QRV_TEXT_PROPERTY(programName, ProgramName)
  QRV_TEXT_PROPERTY(programByUserName, ProgramByUserName)
};

using SongModelPtr = std::shared_ptr<SongModel>;

}  // namespace api
