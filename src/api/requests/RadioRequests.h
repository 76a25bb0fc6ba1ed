#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "src/api/models/ChannelModel.h"
#include "src/api/models/RadioModel.h"
#include "src/api/requests/ApiRequestClass.h"
#include "src/api/requests/ResultSteps.h"

// The request classes of module "radio": one row of the endpoint table each.
namespace api {

// The channels on air; the whole week's slots are cached for drawing the channel list at once.
class ListNowChannelsRequest final : public ApiRequestClass<ListNowChannelsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listAllNowChannels", ApiVerb::get, &result_steps::nowChannels};

  // Main thread. The cached slot dictionary (day → slot → channel dictionaries); nullopt
  // without a readable cache.
  static std::optional<foundation::Dictionary> loadAllChannelInfo();
  // Main thread. The cached channels of the day and slot; none when they are not cached.
  static std::vector<ChannelModelPtr> localNowChannel(std::string_view dayOfWeek, std::string_view timeId);
};

class ListRadiosRequest final : public ApiRequestClass<ListRadiosRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listRadios", ApiVerb::get, &result_steps::radios};

  // Main thread. The cached radios; none without a readable cache.
  static std::vector<RadioModelPtr> localRadios();
};

// The radios with their channels, cached for the side menu.
class ListAllChannelsRequest final : public ApiRequestClass<ListAllChannelsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listAllChannels", ApiVerb::get, &result_steps::allChannels};

  // Main thread. The cached radios with their channels; none without a readable cache.
  static std::vector<RadioModelPtr> localRadios();
};

class ListRadioChannelsRequest final : public ApiRequestClass<ListRadioChannelsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listRadioChannels", ApiVerb::get, &result_steps::radioChannels};
};

class ListChannelProgramsRequest final : public ApiRequestClass<ListChannelProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listChannelPrograms", ApiVerb::get, &result_steps::listPattern};
};

class ListProgramSongsRequest final : public ApiRequestClass<ListProgramSongsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listProgramSongs", ApiVerb::get, &result_steps::programSongs};
};

class ListGroundProgramsRequest final : public ApiRequestClass<ListGroundProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listGroundPrograms", ApiVerb::get, &result_steps::listPattern};
};

class ListMyProgramsRequest final : public ApiRequestClass<ListMyProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listMyPrograms", ApiVerb::post, &result_steps::myPrograms};
};

class ListMyProgramsByGroupRequest final : public ApiRequestClass<ListMyProgramsByGroupRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listMyPrograms", ApiVerb::post, &result_steps::myProgramsByGroup};
};

class ListUserProgramsRequest final : public ApiRequestClass<ListUserProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listUserPrograms", ApiVerb::post, &result_steps::listPattern};
};

class AddProgramRequest final : public ApiRequestClass<AddProgramRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._addProgram", ApiVerb::post, &result_steps::dataAsProgramId};
};

class EditProgramRequest final : public ApiRequestClass<EditProgramRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._editProgram", ApiVerb::post, &result_steps::editedProgram};
};

class AddProgramSongRequest final : public ApiRequestClass<AddProgramSongRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._addProgramSong", ApiVerb::post, &result_steps::inheritedOnly};
};

class AppendSAlbum2programRequest final : public ApiRequestClass<AppendSAlbum2programRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._appendSAlbum", ApiVerb::post, &result_steps::okFlag};
};

class DelProgramSong final : public ApiRequestClass<DelProgramSong> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._delProgramSong", ApiVerb::post, &result_steps::inheritedOnly};
};

class GetProgramDetailRequest final : public ApiRequestClass<GetProgramDetailRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.getProgramDetail", ApiVerb::post, &result_steps::programDetail};
};

class TestProgramRequest final : public ApiRequestClass<TestProgramRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.testProgram", ApiVerb::get, &result_steps::dataAsProgramId};
};

class RecommendRequest final : public ApiRequestClass<RecommendRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._recommend", ApiVerb::post, &result_steps::recommendation};
};

class ListAuditProgramsRequest final : public ApiRequestClass<ListAuditProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listAuditPrograms", ApiVerb::get, &result_steps::listPattern};
};

class AuditProgramRequest final : public ApiRequestClass<AuditProgramRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio._auditProgram", ApiVerb::post, &result_steps::inheritedOnly};
};

class ListProgramAuditLogsRequest final : public ApiRequestClass<ListProgramAuditLogsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"radio.listProgramAuditLogs", ApiVerb::post, &result_steps::auditLogs};
};

}  // namespace api
