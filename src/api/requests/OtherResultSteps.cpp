#include "src/api/models/ADModel.h"
#include "src/api/models/LocationModel.h"
#include "src/api/models/PalbumModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/models/VersionModel.h"
#include "src/api/requests/ResultSteps.h"

namespace api::result_steps {
namespace {

const foundation::Value& dataOf(const BaseDataRequest& request) { return request.resultDic()["data"]; }

// The batch reply's results when data is an array of at least `count` of them.
const foundation::Array* batchResults(const BaseDataRequest& request, std::size_t count) {
  const foundation::Array* results = dataOf(request).getArray();
  return results && results->size() >= count ? results : nullptr;
}

}  // namespace

void friendApps(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  request.resultDic().set(kKeyArray, ReplyReader::modelValuesOf<ADModel>(dataOf(request)));
}

void version(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  request.resultDic().set("version", ReplyReader::modelOf<VersionModel>(dataOf(request)["version"]));
}

void location(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  request.resultDic().set("location", ReplyReader::modelOf<LocationModel>(dataOf(request)));
}

void userHomePage(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Array* results = batchResults(request, 3);
  if (!results || results->size() != 3) return;
  foundation::Array albums = ReplyReader::valuesOf(ReplyReader::modelsOf<PalbumModel>(
      (*results)[0]["lists"], [](PalbumModel& album, const foundation::Dictionary& element) {
        album.setUser(ReplyReader::modelOf<UserModel>(element["user"]));
      }));
  foundation::Array own =
      ReplyReader::valuesOf(ReplyReader::listProgrammes((*results)[1]["lists"], ReplyReader::Channels::listed));
  foundation::Array collected =
      ReplyReader::valuesOf(ReplyReader::listProgrammes((*results)[2]["lists"], ReplyReader::Channels::listed));
  request.setResultDic({{kKeyArray, foundation::Array{std::move(albums), std::move(own), std::move(collected)}}});
}

void salbumsAndSongs(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  // Both results are read, so a batch reply with fewer is left as it came.
  const foundation::Array* results = batchResults(request, 2);
  if (!results) return;
  const foundation::Value& albums = (*results)[0];
  const foundation::Value& songs = (*results)[1];
  foundation::Dictionary result{{kKeyArray, foundation::Array{ReplyReader::modelValuesOf<SAlbumModel>(albums["lists"]),
                                                              ReplyReader::modelValuesOf<SongModel>(songs["lists"])}}};
  ReplyReader::setIfPresent(result, "totalSAlbum", albums["total"]);
  ReplyReader::setIfPresent(result, "totalSong", songs["total"]);
  request.setResultDic(std::move(result));
}

void moreSongs(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  request.resultDic().set("songArr", ReplyReader::modelValuesOf<SongModel>(dataOf(request)));
}

}  // namespace api::result_steps
