#pragma once

#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "src/api/models/RadioModel.h"

namespace api {

// The radios of the last "radio.listAllChannels" reply (with their channels, for the side menu)
// and of the last "radio.listRadios" reply, each kept as the reply's data unchanged.
// Main thread only.
class RadioCache {
 public:
  static constexpr const char* kAllChannelsFileName = "radio.listAllChannels.json";
  static constexpr const char* kRadiosFileName = "listRadios.json.data";

  // The radios of a reply's (or the file's) data, each with the channels of its "channels".
  static std::vector<RadioModelPtr> radiosWithChannels(const foundation::Value& data);

  // The cached radios with channels; none when the file is missing or unreadable.
  static std::vector<RadioModelPtr> loadAllChannels();
  static foundation::Status saveAllChannels(const foundation::Value& data);

  // The cached plain radio list; none when the file is missing or unreadable.
  static std::vector<RadioModelPtr> loadRadios();
  static foundation::Status saveRadios(const foundation::Value& data);
};

}  // namespace api
