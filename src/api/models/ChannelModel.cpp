#include "src/api/models/ChannelModel.h"

#include "platform/foundation/NoDestructor.h"
#include "src/api/models/ProgramModel.h"

namespace api {

const framework::QRVModelProperties<ChannelModel>& ChannelModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<ChannelModel>> table(
      framework::QRVModelProperties<ChannelModel>()
          .text("channelId", "channel_id", &ChannelModel::channelId_)
          .text("radioId", "radio_id", &ChannelModel::radioId_)
          .text("channelName", "channel_name", &ChannelModel::channelName_)
          .text("coverPics", "cover_pics", &ChannelModel::coverPics_)
          .text("recommend", &ChannelModel::recommend_)
          .text("pubTime", "pub_time", &ChannelModel::pubTime_)
          .text("status", &ChannelModel::status_)
          .text("radioName", "radio_name", &ChannelModel::radioName_)
          .text("picUrl", "pic_url", &ChannelModel::picUrl_)
          .text("songNum", "song_num", &ChannelModel::songNum_)
          .text("programNum", "program_num", &ChannelModel::programNum_));
  return *table;
}

}  // namespace api
