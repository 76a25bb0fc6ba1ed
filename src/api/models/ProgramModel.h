#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "src/api/models/ChannelModel.h"
#include "src/api/models/SongModel.h"
#include "src/api/models/UserModel.h"
#include "src/framework/model/QRVModel.h"

namespace api {

// A programme: an ordered list of songs published by a user, with its channels and covers.
class ProgramModel final : public framework::QRVModel<ProgramModel> {
 public:
  static constexpr const char* kClassName = "ProgramModel";
  static const framework::QRVModelProperties<ProgramModel>& properties();

  // The first channel's name; empty when there is no channel.
  std::string getGenreChannelName() const;
  // The channel names joined by ".".
  std::string getChannelsName() const;
  // The songs' sizes added up, in bytes.
  std::int64_t getAllSongsFileSize() const;
  // Whether `user` may edit this programme: an auditor may edit any, others their own. A
  // programme or user without an id is nobody's own.
  bool hasEditPri(const UserModelPtr& user) const;

  // The first programme of `dataSourceArr` with this id; nullptr for none or for an empty id.
  static std::shared_ptr<ProgramModel> isExistProgramWithProgramId(std::string_view programId,
                                                                   const foundation::Array& dataSourceArr);
  // For "ProgramIsUpdated": copies name, description, picture, channels and status of
  // userInfo["program"] into the programme with its id in userInfo["arr"]; whether one was found.
  static bool notificationEditEvent(const foundation::Dictionary& userInfo);
  // For "ProgramIsCollected" and "ProgramIsCancelCollected": sets `fav` of the programme with
  // userInfo["programId"] in userInfo["arr"] by userInfo["notifyName"]; whether one was found.
  static bool notificationIsCollectEvent(const foundation::Dictionary& userInfo);

  QRV_TEXT_PROPERTY(programId, ProgramId)
  QRV_TEXT_PROPERTY(programName, ProgramName)
  QRV_TEXT_PROPERTY(programDesc, ProgramDesc)
  QRV_TEXT_PROPERTY(picIds, PicIds)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
  QRV_TEXT_PROPERTY(creatorUid, CreatorUid)
  QRV_TEXT_PROPERTY(createTime, CreateTime)
  QRV_TEXT_PROPERTY(modifyTime, ModifyTime)
  QRV_TEXT_PROPERTY(zunoDj, ZunoDj)
  QRV_TEXT_PROPERTY(subscribeNum, SubscribeNum)
  QRV_TEXT_PROPERTY(songNum, SongNum)
  QRV_TEXT_PROPERTY(playNum, PlayNum)
  QRV_TEXT_PROPERTY(tags, Tags)
  QRV_TEXT_PROPERTY(pubTime, PubTime)
  QRV_TEXT_PROPERTY(recommend, Recommend)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_MODEL_PROPERTY(UserModelPtr, user, User)
  QRV_MODEL_PROPERTY(std::vector<ChannelModelPtr>, channelArr, ChannelArr)
  QRV_TEXT_PROPERTY(type, Type)
  QRV_TEXT_PROPERTY(uid, Uid)
  QRV_TEXT_PROPERTY(refLink, RefLink)
  // "1" collected, "0" not.
  QRV_TEXT_PROPERTY(fav, Fav)
  QRV_TEXT_PROPERTY(auditStatus, AuditStatus)
  // Offline-sync flag, "1" or "0".
  QRV_TEXT_PROPERTY(sync, Sync)
  QRV_MODEL_PROPERTY(std::vector<SongModelPtr>, songsArr, SongsArr)
  // Set by the request classes from the reply as it stands; not archived.
  QRV_MODEL_PROPERTY(foundation::Array, picArr, PicArr)
  QRV_MODEL_PROPERTY(foundation::Value, coverNumber, CoverNumber)
  QRV_MODEL_PROPERTY(foundation::Array, coverPics, CoverPics)
};

using ProgramModelPtr = std::shared_ptr<ProgramModel>;

}  // namespace api
