#include "src/api/cache/ChannelSlotCache.h"
#include "src/api/cache/RadioCache.h"
#include "src/api/models/AuditLogModel.h"
#include "src/api/requests/ResultSteps.h"
#include "src/framework/request/QRVRequestParameters.h"

namespace api::result_steps {
namespace {

const foundation::Value& dataOf(const BaseDataRequest& request) { return request.resultDic()["data"]; }

// A request parameter as the text it was sent as; empty when it has none.
std::string parameterText(const BaseDataRequest& request, std::string_view key) {
  foundation::Result<std::string> text = framework::QRVRequestParameters::textOf(key, request.parameters()[key]);
  return text.ok() ? text.value() : std::string();
}

}  // namespace

void nowChannels(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request).isArray()) return;
  const foundation::Dictionary slots = ChannelSlotCache::slotsOf(*dataOf(request).getArray());
  std::vector<ChannelModelPtr> channels =
      ChannelSlotCache::channelsAt(slots, parameterText(request, "dayofweek"), parameterText(request, "timeid"));
  request.resultDic().set(kKeyArray, ReplyReader::valuesOf(channels));
  (void)ChannelSlotCache::save(slots);
}

void radios(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request).isArray()) return;
  (void)RadioCache::saveRadios(dataOf(request));
  request.setResultDic({{kKeyArray, ReplyReader::modelValuesOf<RadioModel>(dataOf(request))}});
}

void allChannels(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request).isArray()) return;
  std::vector<RadioModelPtr> radios = RadioCache::radiosWithChannels(dataOf(request));
  foundation::Dictionary pictures;
  for (const RadioModelPtr& radio : radios)
    for (const ChannelModelPtr& channel : radio->channelsArr())
      if (channel->picUrl() && !channel->picUrl()->empty()) pictures.set(*channel->picUrl(), "1");
  (void)RadioCache::saveAllChannels(dataOf(request));
  request.resultDic().set("radioArray", ReplyReader::valuesOf(radios));
  request.resultDic().set("pics", std::move(pictures));
}

void radioChannels(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  request.resultDic().set(kKeyArray, ReplyReader::modelValuesOf<ChannelModel>(dataOf(request)));
}

void listPattern(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request)["lists"].isArray()) return;
  // The reply is replaced by the result, so the programmes take their values out of it.
  foundation::Dictionary& data = *request.resultDic().find("data")->getDictionary();
  foundation::Dictionary result{{kKeyArray, ReplyReader::valuesOf(ReplyReader::listProgrammes(
                                                std::move(*data.find("lists")), ReplyReader::Channels::listed))}};
  if (foundation::Value* total = data.find("total"); total && !total->isNull())
    result.set(kKeyTotal, std::move(*total));
  request.setResultDic(std::move(result));
}

void programSongs(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request)["lists"].isArray()) return;
  request.setResultDic({{kKeyArray, ReplyReader::modelValuesOf<SongModel>(dataOf(request)["lists"])}});
}

void myPrograms(BaseDataRequest& request) {
  if (!request.succeeded() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  foundation::Value total = dataOf(request)["total"];
  foundation::Array programmes =
      ReplyReader::valuesOf(ReplyReader::listProgrammes(dataOf(request)["lists"], ReplyReader::Channels::listed));
  ReplyReader::setIfPresent(request.resultDic(), "total", total);
  request.resultDic().set(kKeyArray, std::move(programmes));
  ReplyReader::setIfPresent(request.resultDic(), kKeyTotal, std::move(total));
}

void myProgramsByGroup(BaseDataRequest& request) {
  if (!request.succeeded() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  foundation::Value total = dataOf(request)["total"];
  foundation::Array programmes =
      ReplyReader::valuesOf(ReplyReader::listProgrammes(dataOf(request)["lists"], ReplyReader::Channels::none));
  ReplyReader::setIfPresent(request.resultDic(), "total", total);
  ReplyReader::setIfPresent(request.resultDic(), kKeyTotal, std::move(total));
  request.resultDic().set("programsArray", std::move(programmes));
}

void dataAsProgramId(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  foundation::Value data = dataOf(request);
  ReplyReader::setIfPresent(request.resultDic(), "programId", std::move(data));
}

void editedProgram(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = dataOf(request);
  ProgramModelPtr programme = ReplyReader::modelOf<ProgramModel>(data);
  programme->setChannelArr(ReplyReader::modelsOf<ChannelModel>(data["channels"]));
  ReplyReader::ensureUser(*programme);
  request.resultDic().set("program", programme);
}

void okFlag(BaseDataRequest& request) {
  if (request.succeeded()) request.resultDic().set("ok", "ok");
}

void programDetail(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request).isDictionary() || !ReplyReader::isNonEmpty(dataOf(request))) return;
  const foundation::Value& data = dataOf(request);
  ProgramModelPtr programme = ReplyReader::modelOf<ProgramModel>(data);
  programme->setSongsArr(ReplyReader::modelsOf<SongModel>(data["songs"]["lists"]));
  programme->setChannelArr(ReplyReader::modelsOf<ChannelModel>(data["channels"]));
  ReplyReader::ensureUser(*programme);
  const foundation::Array* pictures = data["pic_urls"].getArray();
  programme->setPicArr(pictures ? *pictures : foundation::Array());
  programme->setCoverNumber(data["cover"]["num"]);
  const foundation::Array* covers = data["cover"]["pics"].getArray();
  programme->setCoverPics(covers ? *covers : foundation::Array());
  request.resultDic().set("program", programme);
}

void recommendation(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  foundation::Value programId = dataOf(request)["program_id"];
  foundation::Value recommend = dataOf(request)["recommend"];
  ReplyReader::setIfPresent(request.resultDic(), "programId", std::move(programId));
  ReplyReader::setIfPresent(request.resultDic(), "recommend", std::move(recommend));
}

void auditLogs(BaseDataRequest& request) {
  if (!request.isSuccess()) return;
  std::vector<std::shared_ptr<AuditLogModel>> logs = ReplyReader::modelsOf<AuditLogModel>(
      dataOf(request)["lists"], [](AuditLogModel& log, const foundation::Dictionary& element) {
        log.setUser(ReplyReader::modelOf<UserModel>(element["user"]));
      });
  foundation::Value total = dataOf(request)["total"];
  request.resultDic().set("auditLogsArray", ReplyReader::valuesOf(logs));
  ReplyReader::setIfPresent(request.resultDic(), "total", std::move(total));
}

}  // namespace api::result_steps
