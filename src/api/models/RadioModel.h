#pragma once

#include <memory>
#include <vector>

#include "src/api/models/ChannelModel.h"
#include "src/framework/model/QRVModel.h"

namespace api {

// A radio with its channels. The channels are filled by code and not archived, so a restored
// radio has none.
class RadioModel final : public framework::QRVModel<RadioModel> {
 public:
  static constexpr const char* kClassName = "RadioModel";
  static const framework::QRVModelProperties<RadioModel>& properties();

  QRV_TEXT_PROPERTY(radioId, RadioId)
  QRV_TEXT_PROPERTY(radioName, RadioName)
  QRV_MODEL_PROPERTY(std::vector<ChannelModelPtr>, channelsArr, ChannelsArr)
};

using RadioModelPtr = std::shared_ptr<RadioModel>;

}  // namespace api
