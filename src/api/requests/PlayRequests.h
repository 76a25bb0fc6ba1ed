#pragma once

#include <vector>

#include "src/api/models/ProgramModel.h"
#include "src/api/requests/ApiRequestClass.h"
#include "src/api/requests/ResultSteps.h"

// The request classes of module "play": one row of the endpoint table each.
namespace api {

class PlayChannelRequest final : public ApiRequestClass<PlayChannelRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.playChannel", ApiVerb::get, &result_steps::playPattern};
};

class PlayNowChannelsRequest final : public ApiRequestClass<PlayNowChannelsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.playNowChannels", ApiVerb::post, &result_steps::playPattern};
};

class PlayProgramRequest final : public ApiRequestClass<PlayProgramRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.playProgram", ApiVerb::get, &result_steps::playPattern};
};

class PlayCollectProgramsRequest final : public ApiRequestClass<PlayCollectProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.playCollectPrograms", ApiVerb::get, &result_steps::songsOfCollection};
};

class PlayCollectSongsRequest final : public ApiRequestClass<PlayCollectSongsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.playCollectSongs", ApiVerb::get, &result_steps::songsOfCollection};
};

class PlayCreatorProgramsRequest final : public ApiRequestClass<PlayCreatorProgramsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.playCreatorPrograms", ApiVerb::get, &result_steps::songsOfCollection};
};

// The listening history: fetched from the server when the local one is empty, and kept locally
// (newest first, at most 50) as the player starts programmes.
class ListenHistoryRequest final : public ApiRequestClass<ListenHistoryRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.getPlayedPrograms", ApiVerb::get, &result_steps::listenHistory};

  // Main thread. The local history; empty when there is none.
  static std::vector<ProgramModelPtr> ListListenHistoryProgram();
  // Main thread. Puts the programme at the head of the local history.
  static void addListenProgram(const ProgramModelPtr& programme);
  // Main thread. Replaces the local history with the list.
  static void saveLocal(const std::vector<ProgramModelPtr>& programmes);
};

class PlaySetPlayedProgram final : public ApiRequestClass<PlaySetPlayedProgram> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play._setPlayedProgram", ApiVerb::post, &result_steps::inheritedOnly};
};

class GetAdPlanRequest final : public ApiRequestClass<GetAdPlanRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play.getAdPlan", ApiVerb::get, &result_steps::adPlan};
};

class PlayLogRequest final : public ApiRequestClass<PlayLogRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"play._playLog", ApiVerb::post, &result_steps::inheritedOnly};
};

}  // namespace api
