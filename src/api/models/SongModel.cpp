#include "src/api/models/SongModel.h"

#include "platform/foundation/NoDestructor.h"
#include "src/framework/network/NetWorkUitil.h"

namespace api {

namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

const framework::QRVModelProperties<SongModel>& SongModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<SongModel>> table(
      framework::QRVModelProperties<SongModel>()
          .text("songId", "song_id", &SongModel::songId_)
          .text("jujingId", "jujing_id", &SongModel::jujingId_)
          .text("songName", "song_name", &SongModel::songName_)
          .text("artistId", "artist_id", &SongModel::artistId_)
          .text("salbumId", "salbum_id", &SongModel::salbumId_)
          .text("releaseDate", "release_date", &SongModel::releaseDate_)
          .text("language", &SongModel::language_)
          .text("salbumsName", "salbums_name", &SongModel::salbumsName_)
          .text("artistsName", "artists_name", &SongModel::artistsName_)
          .text("tags", &SongModel::tags_)
          .text("playUrl", "play_url", &SongModel::playUrl_)
          .text("downUrl", "down_url", &SongModel::downUrl_)
          .text("playNum", "play_num", &SongModel::playNum_)
          .text("duration", &SongModel::duration_)
          .text("filesize", &SongModel::filesize_)
          .text("status", &SongModel::status_)
          .text("audioUrl", "audio_url", &SongModel::audioUrl_)
          .text("type", "_type", &SongModel::type_)
          .text("picUrl", "pic_url", &SongModel::picUrl_)
          .text("donwLoadUrl", "url", &SongModel::donwLoadUrl_)
          .text("fav", &SongModel::fav_)
          .text("programId", "program_id", &SongModel::programId_));
  return *table;
}

std::string SongModel::getAudioPlayUrl(std::string_view kindOfNetWork) const {
  const std::string url = audioUrl_.value_or("");
  if (kindOfNetWork == "2G网络") return replaceAll(url, "/song/", "/song/log/");
  if (kindOfNetWork == "3G网络") return replaceAll(url, "/song/", "/song/medium/");
  if (kindOfNetWork == "wifi网络") return replaceAll(url, "/song/", "/song/high/");
  return url;
}

std::string SongModel::getAudioPlayUrl() const {
  return getAudioPlayUrl(framework::NetWorkUitil::defaultUitil().KindOfNetWork());
}

}  // namespace api
