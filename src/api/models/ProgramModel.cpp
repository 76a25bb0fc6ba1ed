#include "src/api/models/ProgramModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<ProgramModel>& ProgramModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<ProgramModel>> table(
      framework::QRVModelProperties<ProgramModel>()
          .text("programId", "program_id", &ProgramModel::programId_)
          .text("programName", "program_name", &ProgramModel::programName_)
          .text("programDesc", "program_desc", &ProgramModel::programDesc_)
          .text("picIds", "pic_ids", &ProgramModel::picIds_)
          .text("picUrl", "pic_url", &ProgramModel::picUrl_)
          .text("creatorUid", "creator_uid", &ProgramModel::creatorUid_)
          .text("createTime", "create_time", &ProgramModel::createTime_)
          .text("modifyTime", "modify_time", &ProgramModel::modifyTime_)
          .text("zunoDj", "zunodj", &ProgramModel::zunoDj_)
          .text("subscribeNum", "subscribe_num", &ProgramModel::subscribeNum_)
          .text("songNum", "song_num", &ProgramModel::songNum_)
          .text("playNum", "play_num", &ProgramModel::playNum_)
          .text("tags", &ProgramModel::tags_)
          .text("pubTime", "pub_time", &ProgramModel::pubTime_)
          .text("recommend", &ProgramModel::recommend_)
          .text("status", &ProgramModel::status_)
          .model("user", "user", &ProgramModel::user_)
          .models("channelArr", "channelArr", &ProgramModel::channelArr_)
          .text("type", "_type", &ProgramModel::type_)
          .text("uid", &ProgramModel::uid_)
          .text("refLink", "ref_link", &ProgramModel::refLink_)
          .text("fav", &ProgramModel::fav_)
          .text("auditStatus", "audit_status", &ProgramModel::auditStatus_)
          .text("sync", &ProgramModel::sync_)
          .models("songsArr", "songsArr", &ProgramModel::songsArr_));
  return *table;
}

std::string ProgramModel::getGenreChannelName() const {
  if (channelArr_.empty() || !channelArr_.front()) return {};
  return channelArr_.front()->channelName().value_or("");
}

std::string ProgramModel::getChannelsName() const {
  std::string names;
  for (std::size_t i = 0; i < channelArr_.size(); ++i) {
    if (i > 0) names += '.';
    if (channelArr_[i]) names += channelArr_[i]->channelName().value_or("");
  }
  return names;
}

std::int64_t ProgramModel::getAllSongsFileSize() const {
  std::int64_t kilobytes = 0;
  for (const SongModelPtr& song : songsArr_)
    if (song && song->filesize()) kilobytes += foundation::Value(*song->filesize()).toInt64();
  return kilobytes * 1024;
}

bool ProgramModel::hasEditPri(const UserModelPtr& user) const {
  if (!user) return false;
  if (user->priAuditProgram() && foundation::Value(*user->priAuditProgram()).toInt64() == 1) return true;
  return user->uid() && uid_ && *user->uid() == *uid_;
}

ProgramModelPtr ProgramModel::isExistProgramWithProgramId(std::string_view programId,
                                                          const foundation::Array& dataSourceArr) {
  if (programId.empty()) return nullptr;
  for (const foundation::Value& element : dataSourceArr) {
    auto program = element.objectAs<ProgramModel>();
    if (program && program->programId() == programId) return program;
  }
  return nullptr;
}

namespace {

const foundation::Array& listIn(const foundation::Dictionary& userInfo) {
  static const foundation::NoDestructor<foundation::Array> kEmpty;
  const foundation::Array* list = userInfo["arr"].getArray();
  return list ? *list : *kEmpty;
}

}  // namespace

bool ProgramModel::notificationEditEvent(const foundation::Dictionary& userInfo) {
  auto edited = userInfo["program"].objectAs<ProgramModel>();
  if (!edited || !edited->programId()) return false;
  ProgramModelPtr program = isExistProgramWithProgramId(*edited->programId(), listIn(userInfo));
  if (!program) return false;
  program->setProgramName(edited->programName());
  program->setProgramDesc(edited->programDesc());
  program->setPicUrl(edited->picUrl());
  program->setChannelArr(edited->channelArr());
  program->setStatus(edited->status());
  return true;
}

bool ProgramModel::notificationIsCollectEvent(const foundation::Dictionary& userInfo) {
  ProgramModelPtr program = isExistProgramWithProgramId(userInfo["programId"].toString(), listIn(userInfo));
  if (!program) return false;
  const foundation::Value& name = userInfo["notifyName"];
  if (name == foundation::Value("ProgramIsCancelCollected")) program->setFav("0");
  if (name == foundation::Value("ProgramIsCollected")) program->setFav("1");
  return true;
}

}  // namespace api
