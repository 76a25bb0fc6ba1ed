// Feeds arbitrary reply text to the reply road of every web-API request class: whatever the
// server sends, reading it and running the class's result step must not crash or leak.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "src/api/requests/ApiRequests.h"

namespace {

template <class T>
std::shared_ptr<api::BaseDataRequest> makeRequest() {
  return std::make_shared<T>();
}

using Factory = std::shared_ptr<api::BaseDataRequest> (*)();

constexpr Factory kFactories[] = {
    makeRequest<api::GetArtistRequest>,
    makeRequest<api::SAlbumRequest>,
    makeRequest<api::ListArtistSAlbumsRequest>,
    makeRequest<api::ListArtistSongsRequest>,
    makeRequest<api::GetSAlbumDetailRequest>,
    makeRequest<api::ListNewSAlbumsRequest>,
    makeRequest<api::ListGenreSALbumsRequest>,
    makeRequest<api::GetGenresRequest>,
    makeRequest<api::AllRequest>,
    makeRequest<api::ArtistSearchRequest>,
    makeRequest<api::ProgramSearchRequest>,
    makeRequest<api::SalbumSearchRequest>,
    makeRequest<api::SongSearchRequest>,
    makeRequest<api::AddRecommendSalbumCollectionRequest>,
    makeRequest<api::AddCancelRecommendSalbumCollectionRequest>,
    makeRequest<api::AddDownSalbumCollectionRequest>,
    makeRequest<api::AddUpSalbumCollectionRequest>,
    makeRequest<api::AllAppListRequest>,
    makeRequest<api::AdviseRequest>,
    makeRequest<api::CheckRequest>,
    makeRequest<api::GeoWeatherRequest>,
    makeRequest<api::UserHomePageRequest>,
    makeRequest<api::ListSalbumAndSongRequest>,
    makeRequest<api::ListUserPAlbumRequest>,
    makeRequest<api::ListPAlbumPhotosRequest>,
    makeRequest<api::AddPAlbumRequest>,
    makeRequest<api::EditPAlbumRequest>,
    makeRequest<api::DelPAlbumRequest>,
    makeRequest<api::SetPAlbumsOrderRequest>,
    makeRequest<api::AddPalbumPhotoRequest>,
    makeRequest<api::DelPAlbumPhotoRequest>,
    makeRequest<api::PlayChannelRequest>,
    makeRequest<api::PlayNowChannelsRequest>,
    makeRequest<api::PlayProgramRequest>,
    makeRequest<api::PlayCollectProgramsRequest>,
    makeRequest<api::PlayCollectSongsRequest>,
    makeRequest<api::PlayCreatorProgramsRequest>,
    makeRequest<api::ListenHistoryRequest>,
    makeRequest<api::GetAdPlanRequest>,
    makeRequest<api::PlayLogRequest>,
    makeRequest<api::ListNowChannelsRequest>,
    makeRequest<api::ListRadiosRequest>,
    makeRequest<api::ListAllChannelsRequest>,
    makeRequest<api::ListRadioChannelsRequest>,
    makeRequest<api::ListChannelProgramsRequest>,
    makeRequest<api::ListProgramSongsRequest>,
    makeRequest<api::ListGroundProgramsRequest>,
    makeRequest<api::ListMyProgramsRequest>,
    makeRequest<api::ListMyProgramsByGroupRequest>,
    makeRequest<api::ListUserProgramsRequest>,
    makeRequest<api::AddProgramRequest>,
    makeRequest<api::EditProgramRequest>,
    makeRequest<api::AddProgramSongRequest>,
    makeRequest<api::AppendSAlbum2programRequest>,
    makeRequest<api::GetProgramDetailRequest>,
    makeRequest<api::TestProgramRequest>,
    makeRequest<api::RecommendRequest>,
    makeRequest<api::ListAuditProgramsRequest>,
    makeRequest<api::AuditProgramRequest>,
    makeRequest<api::ListProgramAuditLogsRequest>,
    makeRequest<api::LoginRequest>,
    makeRequest<api::LoginThirdRequest>,
    makeRequest<api::BindThridRequest>,
    makeRequest<api::GetDetailUserRequest>,
    makeRequest<api::GetLoginUrlRequest>,
    makeRequest<api::ListCollectProgramsRequest>,
    makeRequest<api::DelCollectionRequest>,
    makeRequest<api::ListSubscriptionStatusRequest>,
    makeRequest<api::ListThirdAccountsRequest>,
    makeRequest<api::UnbindAccountRequest>,
    makeRequest<api::ShareToThirdRequest>,
    makeRequest<api::GetUserLoginRequest>,
    // Added after the seeds were made: their first byte keeps choosing the class it chose.
    makeRequest<api::ListSAlbumSongs>,
    makeRequest<api::PushBindDevice>,
    makeRequest<api::GetMoreSongDonwnURL>,
    makeRequest<api::PlaySetPlayedProgram>,
    makeRequest<api::DelProgramSong>,
    makeRequest<api::AddCollectionRequst>,
};

// Result steps write request caches and user settings: they go to a home of their own.
bool prepared = [] {
  foundation::Paths::useFreshHomeForTesting();
  foundation::RunLoop::main();
  return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Factory makeOne = kFactories[data[0] % std::size(kFactories)];
  auto request = makeOne();
  request->handleResultString(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  return 0;
}
