#include "src/api/models/ArtistModel.h"
#include "src/api/models/GenresModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/requests/ResultSteps.h"

namespace api::result_steps {
namespace {

const foundation::Value& dataOf(const BaseDataRequest& request) { return request.resultDic()["data"]; }

// A search result by its "_type": 1 song, 2 programme with user and channels, 3 album,
// 4 artist; nothing for any other type.
foundation::Value searchHit(const foundation::Dictionary& element) {
  switch (element["_type"].toInt64(0)) {
    case 1:
      return SongModel::initWithDataDic(element);
    case 2: {
      ProgramModelPtr programme = ProgramModel::initWithDataDic(element);
      ReplyReader::ensureUser(*programme);
      programme->setChannelArr(ReplyReader::modelsOf<ChannelModel>(element["channels"]));
      return programme;
    }
    case 3:
      return SAlbumModel::initWithDataDic(element);
    case 4:
      return ArtistModel::initWithDataDic(element);
    default:
      return {};
  }
}

}  // namespace

void artist(BaseDataRequest& request) {
  if (!request.isSuccess() || !dataOf(request).isDictionary() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  request.resultDic().set("artist", ReplyReader::modelOf<ArtistModel>(dataOf(request)));
}

void salbumSongs(BaseDataRequest& request) {
  if (!request.succeeded() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  request.resultDic().set(kKeyArray, ReplyReader::modelValuesOf<SongModel>(dataOf(request)["lists"]));
}

void salbumsOfLists(BaseDataRequest& request) {
  if (!request.isSuccess() || !dataOf(request)["lists"].isArray()) return;
  request.setResultDic({{kKeyArray, ReplyReader::modelValuesOf<SAlbumModel>(dataOf(request)["lists"])}});
}

void salbumDetail(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request).isDictionary() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  const foundation::Value& data = dataOf(request);
  std::shared_ptr<SAlbumModel> album = ReplyReader::modelOf<SAlbumModel>(data);
  const foundation::Array* pictures = data["pic_urls"].getArray();
  album->setPicUrlS(pictures ? *pictures : foundation::Array());
  if (ReplyReader::isNonEmpty(data["songs"]["lists"]))
    album->setSongsArr(ReplyReader::modelsOf<SongModel>(data["songs"]["lists"]));
  request.resultDic().set(kKeyArray, album);
}

void addedSAlbums(BaseDataRequest& request) {
  if (!request.succeeded() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  foundation::Array albums = ReplyReader::modelValuesOf<SAlbumModel>(dataOf(request)["lists"]);
  foundation::Value total = dataOf(request)["total"];
  request.resultDic().set(kKeyArray, std::move(albums));
  ReplyReader::setIfPresent(request.resultDic(), kKeyTotal, std::move(total));
}

void genres(BaseDataRequest& request) {
  if (!request.isSuccess()) return;
  request.resultDic().set("genres", ReplyReader::modelValuesOf<GenresModel>(dataOf(request)));
}

void searchAll(BaseDataRequest& request) {
  if (!request.isSuccess() || !dataOf(request)["lists"].isArray()) return;
  foundation::Array hits;
  for (const foundation::Value& element : *dataOf(request)["lists"].getArray()) {
    const foundation::Dictionary* fields = element.getDictionary();
    if (!fields) continue;
    if (foundation::Value hit = searchHit(*fields); !hit.isNull()) hits.push_back(std::move(hit));
  }
  request.setResultDic({{kKeyArray, std::move(hits)}});
}

void dataAsDic(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  foundation::Value data = dataOf(request);
  ReplyReader::setIfPresent(request.resultDic(), "dic", std::move(data));
}

}  // namespace api::result_steps
