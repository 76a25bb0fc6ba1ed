#include "src/api/cache/ChannelSlotCache.h"

#include <cmath>

#include "src/api/cache/RequestCacheFolder.h"
#include "src/api/requests/ReplyReader.h"

namespace api {

foundation::Dictionary ChannelSlotCache::slotsOf(const foundation::Array& records) {
  foundation::Dictionary slots;
  for (const foundation::Value& record : records) {
    std::optional<std::string> day = keyOf(record["dayofweek"]);
    std::optional<std::string> slot = keyOf(record["timeid"]);
    if (!day || !slot) continue;
    const foundation::Value& channels = record["channels"];
    if (!slots.contains(*day)) slots.set(*day, foundation::Dictionary());
    slots.find(*day)->getDictionary()->set(*slot, channels.isArray() ? channels : foundation::Array());
  }
  return slots;
}

std::optional<std::string> ChannelSlotCache::keyOf(const foundation::Value& value) {
  if (const std::string* text = value.getString()) return text->empty() ? std::nullopt : std::optional(*text);
  if (value.isInteger()) return value.toString();
  if (value.isNumber() && std::isfinite(value.toDouble()) && value.toDouble() == std::floor(value.toDouble()))
    return value.toString();
  return std::nullopt;
}

std::vector<ChannelModelPtr> ChannelSlotCache::channelsAt(const foundation::Dictionary& slots, std::string_view day,
                                                          std::string_view slot) {
  return ReplyReader::modelsOf<ChannelModel>(slots[day][slot]);
}

std::optional<foundation::Dictionary> ChannelSlotCache::load() {
  foundation::Result<foundation::Value> cached = RequestCacheFolder::readPropertyList(kFileName);
  if (!cached.ok() || !cached.value().isDictionary()) return std::nullopt;
  return std::move(*cached.value().getDictionary());
}

foundation::Status ChannelSlotCache::save(const foundation::Dictionary& slots) {
  return RequestCacheFolder::writePropertyList(kFileName, slots);
}

}  // namespace api
