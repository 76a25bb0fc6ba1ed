#pragma once

#include <memory>
#include <vector>

#include "src/framework/model/QRVModel.h"

namespace api {

class ProgramModel;

// A channel of a radio.
class ChannelModel final : public framework::QRVModel<ChannelModel> {
 public:
  static constexpr const char* kClassName = "ChannelModel";
  static const framework::QRVModelProperties<ChannelModel>& properties();

  QRV_TEXT_PROPERTY(channelId, ChannelId)
  QRV_TEXT_PROPERTY(radioId, RadioId)
  QRV_TEXT_PROPERTY(radioName, RadioName)
  QRV_TEXT_PROPERTY(channelName, ChannelName)
  QRV_TEXT_PROPERTY(coverPics, CoverPics)
  QRV_TEXT_PROPERTY(recommend, Recommend)
  QRV_TEXT_PROPERTY(pubTime, PubTime)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
  // The channel's programmes, filled by code; not archived.
  QRV_MODEL_PROPERTY(std::vector<std::shared_ptr<ProgramModel>>, programsArr, ProgramsArr)
  QRV_TEXT_PROPERTY(songNum, SongNum)
  QRV_TEXT_PROPERTY(programNum, ProgramNum)
};

using ChannelModelPtr = std::shared_ptr<ChannelModel>;

}  // namespace api
