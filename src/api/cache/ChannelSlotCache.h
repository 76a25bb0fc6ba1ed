#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "src/api/models/ChannelModel.h"

namespace api {

// The channels on air by day of the week and time slot, as the last "radio.listAllNowChannels"
// reply gave them: day → (slot → channel dictionaries), kept in "radio.listAllNowChannels.json".
// Days and slots are keys in decimal text whether the reply sent numbers or text, so that the
// lookups with a request's text parameters find them. Main thread only.
class ChannelSlotCache {
 public:
  static constexpr const char* kFileName = "radio.listAllNowChannels.json";

  // The slot dictionary of a reply's slot records, in order; a later record for the same day
  // and slot replaces the earlier one. Records without a usable day or slot are skipped.
  static foundation::Dictionary slotsOf(const foundation::Array& records);
  // The day or slot value as a key: text as it is, whole numbers in decimal; nullopt otherwise.
  static std::optional<std::string> keyOf(const foundation::Value& value);

  // The channels at [day][slot], in order; none when there is no such entry.
  static std::vector<ChannelModelPtr> channelsAt(const foundation::Dictionary& slots, std::string_view day,
                                                 std::string_view slot);

  // The cached slot dictionary; nullopt when the file is missing or unreadable.
  static std::optional<foundation::Dictionary> load();
  // Replaces the cached slot dictionary.
  static foundation::Status save(const foundation::Dictionary& slots);
};

}  // namespace api
