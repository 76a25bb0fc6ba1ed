#include "src/api/requests/RadioRequests.h"

#include "src/api/cache/ChannelSlotCache.h"
#include "src/api/cache/RadioCache.h"

namespace api {

std::optional<foundation::Dictionary> ListNowChannelsRequest::loadAllChannelInfo() { return ChannelSlotCache::load(); }

std::vector<ChannelModelPtr> ListNowChannelsRequest::localNowChannel(std::string_view dayOfWeek,
                                                                     std::string_view timeId) {
  std::optional<foundation::Dictionary> slots = ChannelSlotCache::load();
  return slots ? ChannelSlotCache::channelsAt(*slots, dayOfWeek, timeId) : std::vector<ChannelModelPtr>();
}

std::vector<RadioModelPtr> ListRadiosRequest::localRadios() { return RadioCache::loadRadios(); }

std::vector<RadioModelPtr> ListAllChannelsRequest::localRadios() { return RadioCache::loadAllChannels(); }

}  // namespace api
