#pragma once

#include <string>

#include "platform/foundation/Result.h"
#include "src/api/requests/ApiRequestClass.h"
#include "src/api/requests/BatchCall.h"
#include "src/api/requests/ResultSteps.h"

// The request classes of modules "other" and "push" and the batch calls: one row of the
// endpoint table each.
namespace api {

class AllAppListRequest final : public ApiRequestClass<AllAppListRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"other.friendApps", ApiVerb::get, &result_steps::friendApps};
};

class AdviseRequest final : public ApiRequestClass<AdviseRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"other._advise", ApiVerb::post, &result_steps::inheritedOnly};
};

class CheckRequest final : public ApiRequestClass<CheckRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"other._check", ApiVerb::post, &result_steps::version};
};

class GeoWeatherRequest final : public ApiRequestClass<GeoWeatherRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"other.geoWeather", ApiVerb::get, &result_steps::location};
};

class PushBindDevice final : public ApiRequestClass<PushBindDevice> {
 public:
  static constexpr ApiEndpoint kEndpoint{"push._bindDevice", ApiVerb::post, &result_steps::inheritedOnly};
};

// A user's home page in one call: photo albums, own programmes and collected programmes.
class UserHomePageRequest final : public ApiRequestClass<UserHomePageRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"call", ApiVerb::post, &result_steps::userHomePage};

  // Any thread. The "js_methods" parameters for the user's home page.
  static foundation::Result<foundation::Dictionary> parametersForUser(const std::string& uid);
};

// An artist's page in one call: albums and songs.
class ListSalbumAndSongRequest final : public ApiRequestClass<ListSalbumAndSongRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"call", ApiVerb::post, &result_steps::salbumsAndSongs};

  // Any thread. The "js_methods" parameters for the artist's page.
  static foundation::Result<foundation::Dictionary> parametersForArtist(const std::string& artistId);
};

class GetMoreSongDonwnURL final : public ApiRequestClass<GetMoreSongDonwnURL> {
 public:
  static constexpr ApiEndpoint kEndpoint{"call", ApiVerb::post, &result_steps::moreSongs};
};

}  // namespace api
