#include "src/api/cache/ListenHistory.h"
#include "src/api/requests/ResultSteps.h"

namespace api::result_steps {

void playPattern(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = request.resultDic()["data"];
  const foundation::Value& fields = data["program"];
  ProgramModelPtr programme = ReplyReader::modelOf<ProgramModel>(fields);
  programme->setSongsArr({});
  ReplyReader::ensureUser(*programme);
  if (!data["songs"].isArray()) return;
  programme->setSongsArr(ReplyReader::modelsOf<SongModel>(data["songs"]));
  request.resultDic().set("program", programme);
}

void songsOfCollection(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = request.resultDic()["data"];
  if (!ReplyReader::isNonEmpty(data) || !data["songs"].isArray()) return;
  request.setResultDic({{kKeyArray, ReplyReader::modelValuesOf<SongModel>(data["songs"])}});
}

void listenHistory(BaseDataRequest& request) {
  if (!request.succeeded() || !request.resultDic()["data"].isArray()) return;
  std::vector<ProgramModelPtr> programmes =
      ReplyReader::listProgrammes(request.resultDic()["data"], ReplyReader::Channels::listed);
  // The server's history replaces the local one, in its order and without the local cap.
  (void)ListenHistory::save(programmes);
  foundation::Dictionary result{{kKeyArray, ReplyReader::valuesOf(programmes)}};
  if (const foundation::Value& total = request.resultDic()["total"]; !total.isNull()) result.set(kKeyTotal, total);
  request.setResultDic(std::move(result));
}

void adPlan(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = request.resultDic()["data"];
  if (!data.isDictionary() || !ReplyReader::isNonEmpty(data)) return;
  foundation::Value ads = data["ads"];
  foundation::Value perCount = data["per_count"];
  if (!ads.isNull()) request.resultDic().set("ads", std::move(ads));
  if (!perCount.isNull()) request.resultDic().set("perCount", std::move(perCount));
}

}  // namespace api::result_steps
