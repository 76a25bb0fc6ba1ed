#include <gtest/gtest.h>

#include "src/api/requests/ApiRequests.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

using foundation::Value;

// Replies shaped so that each result step's gate opens.
constexpr const char* kDataObject =
    R"({"err":"hapn.ok","data":{"program_id":"1","uid":"5","artist_id":"3","salbum_id":"7","city":"北京"}})";
constexpr const char* kDataLists =
    R"({"err":"hapn.ok","data":{"lists":[{"program_id":"1","song_id":"2"}],"total":"1"}})";
constexpr const char* kDataArray = R"({"err":"hapn.ok","data":[{"program_id":"1","channel_id":"11","radio_id":"2"}]})";
constexpr const char* kDataNumber = R"({"err":"hapn.ok","data":602})";
constexpr const char* kSearchHits = R"({"err":"hapn.ok","data":{"lists":[{"_type":1,"song_id":"2"}]}})";
constexpr const char* kVersion = R"({"err":"hapn.ok","data":{"version":{"version":"2.1"}}})";
constexpr const char* kBatchOfThree =
    R"({"err":"hapn.ok","data":[{"lists":[],"total":1},{"lists":[],"total":2},{"lists":[],"total":3}]})";
constexpr const char* kProgramAndSongs =
    R"({"err":"hapn.ok","data":{"program":{"program_id":"1"},"songs":[{"song_id":"2"}]}})";
constexpr const char* kAdPlan = R"({"err":"hapn.ok","data":{"ads":[],"per_count":5}})";
constexpr const char* kRecommendation = R"({"err":"hapn.ok","data":{"program_id":"1","recommend":"1"}})";
constexpr const char* kLogin = R"({"err":"hapn.ok","data":{"user":{"uid":"5"},"luid":"L"}})";

// One request class: the server method it calls, its verb, a reply, and a key its result step
// files (with the value it must hold, when given).
struct ClassRow {
  const char* name;
  void (*send)(std::shared_ptr<framework::DataRequestDelegate>, foundation::Dictionary);
  const char* method;
  const char* verb;
  const char* reply;
  const char* key;
  const char* value;
};

template <class Request>
ClassRow row(const char* name, const char* method, const char* verb, const char* reply, const char* key,
             const char* value) {
  auto send = [](std::shared_ptr<framework::DataRequestDelegate> delegate, foundation::Dictionary parameters) {
    Request::requestWithDelegate(std::move(delegate), std::move(parameters));
  };
  return {name, send, method, verb, reply, key, value};
}

const std::vector<ClassRow>& everyClass() {
  static const std::vector<ClassRow> rows{
      row<GetArtistRequest>("GetArtistRequest", "item.getArtist", "GET", kDataObject, "artist", nullptr),
      row<ListSAlbumSongs>("ListSAlbumSongs", "item.listSAlbumSongs", "GET", kDataLists, kKeyArray, nullptr),
      row<SAlbumRequest>("SAlbumRequest", "item.listArtistSAlbums", "GET", kDataLists, kKeyArray, nullptr),
      row<ListArtistSAlbumsRequest>("ListArtistSAlbumsRequest", "item.listArtistSAlbums", "GET", kDataLists, kKeyTotal,
                                    nullptr),
      row<ListArtistSongsRequest>("ListArtistSongsRequest", "item.listArtistSongs", "GET", kDataLists, kKeyTotal,
                                  nullptr),
      row<GetSAlbumDetailRequest>("GetSAlbumDetailRequest", "item.getSAlbumDetail", "GET", kDataObject, kKeyArray,
                                  nullptr),
      row<ListNewSAlbumsRequest>("ListNewSAlbumsRequest", "item.listNewSAlbums", "GET", kDataLists, kKeyTotal, nullptr),
      row<ListGenreSALbumsRequest>("ListGenreSALbumsRequest", "item.listGenreSALbums", "GET", kDataLists, kKeyTotal,
                                   nullptr),
      row<GetGenresRequest>("GetGenresRequest", "item.getGenres", "GET", kDataArray, "genres", nullptr),
      row<AllRequest>("AllRequest", "search.all", "GET", kSearchHits, kKeyArray, nullptr),
      row<ArtistSearchRequest>("ArtistSearchRequest", "search.artist", "GET", kDataLists, kKeyTotal, nullptr),
      row<ProgramSearchRequest>("ProgramSearchRequest", "search.program", "GET", kDataLists, kKeyTotal, nullptr),
      row<SalbumSearchRequest>("SalbumSearchRequest", "search.salbum", "GET", kDataLists, kKeyTotal, nullptr),
      row<SongSearchRequest>("SongSearchRequest", "search.song", "GET", kDataLists, kKeyTotal, nullptr),
      row<AddRecommendSalbumCollectionRequest>("AddRecommendSalbumCollectionRequest", "item._setNewSAlbum", "POST",
                                               kDataObject, "dic", nullptr),
      row<AddCancelRecommendSalbumCollectionRequest>("AddCancelRecommendSalbumCollectionRequest", "user._collectSAlbum",
                                                     "POST", kDataObject, "dic", nullptr),
      row<AddDownSalbumCollectionRequest>("AddDownSalbumCollectionRequest", "item._activeSAlbum", "POST", kDataObject,
                                          "dic", nullptr),
      row<AddUpSalbumCollectionRequest>("AddUpSalbumCollectionRequest", "item._activeSAlbum", "POST", kDataObject,
                                        "dic", nullptr),
      row<AllAppListRequest>("AllAppListRequest", "other.friendApps", "GET", kDataArray, kKeyArray, nullptr),
      row<AdviseRequest>("AdviseRequest", "other._advise", "POST", kDataObject, "data", nullptr),
      row<CheckRequest>("CheckRequest", "other._check", "POST", kVersion, "version", nullptr),
      row<GeoWeatherRequest>("GeoWeatherRequest", "other.geoWeather", "GET", kDataObject, "location", nullptr),
      row<PushBindDevice>("PushBindDevice", "push._bindDevice", "POST", kDataObject, "data", nullptr),
      row<UserHomePageRequest>("UserHomePageRequest", "call", "POST", kBatchOfThree, kKeyArray, nullptr),
      row<ListSalbumAndSongRequest>("ListSalbumAndSongRequest", "call", "POST", kBatchOfThree, "totalSAlbum", nullptr),
      row<GetMoreSongDonwnURL>("GetMoreSongDonwnURL", "call", "POST", kDataArray, "songArr", nullptr),
      row<ListUserPAlbumRequest>("ListUserPAlbumRequest", "photo.listUserPAlbums", "GET", kDataLists, kKeyTotal,
                                 nullptr),
      row<ListPAlbumPhotosRequest>("ListPAlbumPhotosRequest", "photo.listPAlbumPhotos", "GET", kDataLists, kKeyTotal,
                                   nullptr),
      row<AddPAlbumRequest>("AddPAlbumRequest", "photo._addPAlbum", "POST", kDataNumber, "pAlbumId", "602"),
      row<EditPAlbumRequest>("EditPAlbumRequest", "photo._editPAlbum", "POST", kDataObject, "err", "ok"),
      row<DelPAlbumRequest>("DelPAlbumRequest", "photo._delPAlbum", "POST", kDataObject, "err", "ok"),
      row<SetPAlbumsOrderRequest>("SetPAlbumsOrderRequest", "photo._setPAlbumsOrder", "POST", kDataObject, "err", "ok"),
      row<AddPalbumPhotoRequest>("AddPalbumPhotoRequest", "photo._addPAlbumPhoto", "POST", kDataObject, "err", "ok"),
      row<DelPAlbumPhotoRequest>("DelPAlbumPhotoRequest", "photo._delPAlbumPhoto", "POST", kDataObject, "err", "ok"),
      row<PlayChannelRequest>("PlayChannelRequest", "play.playChannel", "GET", kProgramAndSongs, "program", nullptr),
      row<PlayNowChannelsRequest>("PlayNowChannelsRequest", "play.playNowChannels", "POST", kProgramAndSongs, "program",
                                  nullptr),
      row<PlayProgramRequest>("PlayProgramRequest", "play.playProgram", "GET", kProgramAndSongs, "program", nullptr),
      row<PlayCollectProgramsRequest>("PlayCollectProgramsRequest", "play.playCollectPrograms", "GET", kProgramAndSongs,
                                      kKeyArray, nullptr),
      row<PlayCollectSongsRequest>("PlayCollectSongsRequest", "play.playCollectSongs", "GET", kProgramAndSongs,
                                   kKeyArray, nullptr),
      row<PlayCreatorProgramsRequest>("PlayCreatorProgramsRequest", "play.playCreatorPrograms", "GET", kProgramAndSongs,
                                      kKeyArray, nullptr),
      row<ListenHistoryRequest>("ListenHistoryRequest", "play.getPlayedPrograms", "GET", kDataArray, kKeyArray,
                                nullptr),
      row<PlaySetPlayedProgram>("PlaySetPlayedProgram", "play._setPlayedProgram", "POST", kDataObject, "data", nullptr),
      row<GetAdPlanRequest>("GetAdPlanRequest", "play.getAdPlan", "GET", kAdPlan, "perCount", nullptr),
      row<PlayLogRequest>("PlayLogRequest", "play._playLog", "POST", kDataObject, "data", nullptr),
      row<ListNowChannelsRequest>("ListNowChannelsRequest", "radio.listAllNowChannels", "GET", kDataArray, kKeyArray,
                                  nullptr),
      row<ListRadiosRequest>("ListRadiosRequest", "radio.listRadios", "GET", kDataArray, kKeyArray, nullptr),
      row<ListAllChannelsRequest>("ListAllChannelsRequest", "radio.listAllChannels", "GET", kDataArray, "radioArray",
                                  nullptr),
      row<ListRadioChannelsRequest>("ListRadioChannelsRequest", "radio.listRadioChannels", "GET", kDataArray, kKeyArray,
                                    nullptr),
      row<ListChannelProgramsRequest>("ListChannelProgramsRequest", "radio.listChannelPrograms", "GET", kDataLists,
                                      kKeyTotal, nullptr),
      row<ListProgramSongsRequest>("ListProgramSongsRequest", "radio.listProgramSongs", "GET", kDataLists, kKeyArray,
                                   nullptr),
      row<ListGroundProgramsRequest>("ListGroundProgramsRequest", "radio.listGroundPrograms", "GET", kDataLists,
                                     kKeyTotal, nullptr),
      row<ListMyProgramsRequest>("ListMyProgramsRequest", "radio.listMyPrograms", "POST", kDataLists, "total", nullptr),
      row<ListMyProgramsByGroupRequest>("ListMyProgramsByGroupRequest", "radio.listMyPrograms", "POST", kDataLists,
                                        "programsArray", nullptr),
      row<ListUserProgramsRequest>("ListUserProgramsRequest", "radio.listUserPrograms", "POST", kDataLists, kKeyTotal,
                                   nullptr),
      row<AddProgramRequest>("AddProgramRequest", "radio._addProgram", "POST", kDataNumber, "programId", nullptr),
      row<EditProgramRequest>("EditProgramRequest", "radio._editProgram", "POST", kDataObject, "program", nullptr),
      row<AddProgramSongRequest>("AddProgramSongRequest", "radio._addProgramSong", "POST", kDataObject, "data",
                                 nullptr),
      row<AppendSAlbum2programRequest>("AppendSAlbum2programRequest", "radio._appendSAlbum", "POST", kDataObject, "ok",
                                       "ok"),
      row<DelProgramSong>("DelProgramSong", "radio._delProgramSong", "POST", kDataObject, "data", nullptr),
      row<GetProgramDetailRequest>("GetProgramDetailRequest", "radio.getProgramDetail", "POST", kDataObject, "program",
                                   nullptr),
      row<TestProgramRequest>("TestProgramRequest", "radio.testProgram", "GET", kDataNumber, "programId", nullptr),
      row<RecommendRequest>("RecommendRequest", "radio._recommend", "POST", kRecommendation, "recommend", nullptr),
      row<ListAuditProgramsRequest>("ListAuditProgramsRequest", "radio.listAuditPrograms", "GET", kDataLists, kKeyTotal,
                                    nullptr),
      row<AuditProgramRequest>("AuditProgramRequest", "radio._auditProgram", "POST", kDataObject, "data", nullptr),
      row<ListProgramAuditLogsRequest>("ListProgramAuditLogsRequest", "radio.listProgramAuditLogs", "POST", kDataLists,
                                       "auditLogsArray", nullptr),
      row<LoginRequest>("LoginRequest", "user._login", "POST", kLogin, "luid", nullptr),
      row<LoginThirdRequest>("LoginThirdRequest", "user._loginThird", "POST", kLogin, "user", nullptr),
      row<BindThridRequest>("BindThridRequest", "user._bindThird", "POST", kDataObject, "data", nullptr),
      row<GetDetailUserRequest>("GetDetailUserRequest", "user.getDetail", "POST", kDataObject, "user", nullptr),
      row<GetLoginUrlRequest>("GetLoginUrlRequest", "user.getLoginUrl", "GET", kDataNumber, "loginUrl", nullptr),
      row<ListCollectProgramsRequest>("ListCollectProgramsRequest", "user.listCollectPrograms", "POST", kDataLists,
                                      kKeyArray, nullptr),
      row<AddCollectionRequst>("AddCollectionRequst", "user._subscribe", "POST", kDataObject, "dic", nullptr),
      row<DelCollectionRequest>("DelCollectionRequest", "user._unsubscribe", "POST", kDataObject, "dic", nullptr),
      row<ListSubscriptionStatusRequest>("ListSubscriptionStatusRequest", "user.listSubscriptionStatus", "POST",
                                         kDataObject, "data", nullptr),
      row<ListThirdAccountsRequest>("ListThirdAccountsRequest", "user.listThirdAccounts", "POST", kDataArray,
                                    "thirdAccounts", nullptr),
      row<UnbindAccountRequest>("UnbindAccountRequest", "user._unbindAccount", "POST", kDataObject, "data", nullptr),
      row<ShareToThirdRequest>("ShareToThirdRequest", "user._shareToThird", "POST", kDataObject, "data", nullptr),
  };
  return rows;
}

class EveryRequestClassTest : public apitest::ApiRequestTest {};

TEST_F(EveryRequestClassTest, EachClassCallsItsMethodByItsVerbAndFilesItsResult) {
  for (const ClassRow& each : everyClass()) {
    SCOPED_TRACE(each.name);
    api.answerWithBody(each.method, each.reply);
    delegate = std::make_shared<datarequesttest::RecordingDelegate>();
    each.send(delegate, {{"probe", "7"}});
    runToEnd();
    const station::StationCall sent = api.calls().back();
    const std::string method = each.method;
    EXPECT_EQ(sent.path, method == "call" ? "/api/call" : "/api/" + method + ".json");
    EXPECT_EQ(sent.httpMethod, each.verb);
    const bool isGet = std::string(each.verb) == "GET";
    EXPECT_EQ(isGet ? sent.queryValue("probe") : sent.formValue("probe"), "7");
    EXPECT_TRUE((isGet ? sent.queryValue("device_id") : sent.formValue("device_id")).has_value());
    ASSERT_EQ(delegate->events.back(), "finish");
    ASSERT_TRUE(delegate->resultDic.contains(each.key)) << each.key;
    if (each.value) {
      EXPECT_EQ(delegate->resultDic[each.key], Value(each.value));
    }
  }
  EXPECT_EQ(api.callCount(), everyClass().size());
}

}  // namespace
}  // namespace api
