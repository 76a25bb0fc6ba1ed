#include <gtest/gtest.h>

#include "src/api/models/PalbumModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/requests/ApiRequests.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

using foundation::Dictionary;
using foundation::Value;

class BatchCallTest : public apitest::ApiRequestTest {};

TEST_F(BatchCallTest, TheHomePageBatchNamesItsThreeCallsInOrder) {
  foundation::Result<Dictionary> parameters = UserHomePageRequest::parametersForUser("5821");
  ASSERT_TRUE(parameters.ok());
  EXPECT_EQ(parameters.value()["js_methods"], Value(R"([{"name":"photo.listUserPAlbums","args":{"uid":"5821"}},)"
                                                    R"({"name":"radio.listUserPrograms","args":{"uid":"5821"}},)"
                                                    R"({"name":"user.listCollectPrograms","args":{"uid":"5821"}}])"));
  EXPECT_EQ(ListSalbumAndSongRequest::parametersForArtist("301").value()["js_methods"],
            Value(R"([{"name":"item.listArtistSAlbums","args":{"artist_id":"301"}},)"
                  R"({"name":"item.listArtistSongs","args":{"artist_id":"301"}}])"));
}

TEST_F(BatchCallTest, TheHomePageResultKeepsTheOrderOfTheCalls) {
  call<UserHomePageRequest>(UserHomePageRequest::parametersForUser("5821").value());
  const station::StationCall sent = api.calls().back();
  EXPECT_EQ(sent.path, "/api/call");
  EXPECT_EQ(sent.httpMethod, "POST");
  ASSERT_TRUE(sent.formValue("js_methods"));
  EXPECT_EQ(sent.formValue("luid"), "");

  EXPECT_EQ(delegate->resultDic.keys(), (std::vector<std::string>{kKeyArray}));
  const foundation::Array& lists = *delegate->resultDic[kKeyArray].getArray();
  ASSERT_EQ(lists.size(), 3u);
  auto albums = modelsAt<PalbumModel>(lists[0]);
  ASSERT_EQ(albums.size(), 2u);
  EXPECT_EQ(albums[0]->user()->uname(), "小鹿DJ");
  EXPECT_EQ(modelsAt<ProgramModel>(lists[1])[1]->programName(), "加班不孤单");
  auto collected = modelsAt<ProgramModel>(lists[2]);
  ASSERT_EQ(collected.size(), 1u);
  EXPECT_EQ(collected[0]->programName(), "深夜电台·城市故事");
}

TEST_F(BatchCallTest, TheArtistPageFilesAlbumsSongsAndTheirTotals) {
  call<ListSalbumAndSongRequest>(ListSalbumAndSongRequest::parametersForArtist("301").value());
  const foundation::Array& lists = *delegate->resultDic[kKeyArray].getArray();
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(modelsAt<SAlbumModel>(lists[0]).size(), 2u);
  EXPECT_EQ(modelsAt<SongModel>(lists[1]).size(), 3u);
  EXPECT_EQ(delegate->resultDic["totalSAlbum"], Value("14"));
  EXPECT_EQ(delegate->resultDic["totalSong"], Value(163));
}

TEST_F(BatchCallTest, ABatchReplyWithTooFewResultsIsLeftAsItCame) {
  api.answerWithBody("call", R"({"err":"hapn.ok","data":[{"lists":[]},{"lists":[]}]})");
  call<UserHomePageRequest>(UserHomePageRequest::parametersForUser("5821").value());
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));
  EXPECT_EQ(delegate->resultDic["data"].getArray()->size(), 2u);

  api.answerWithBody("call", R"({"err":"hapn.ok","data":[{"lists":[{"salbum_id":"1"}],"total":1}]})");
  call<ListSalbumAndSongRequest>(ListSalbumAndSongRequest::parametersForArtist("301").value());
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));
  EXPECT_EQ(delegate->events.back(), "finish");

  api.answerWithBody("call", R"({"err":"hapn.ok","data":{"0":{"lists":[]}}})");
  call<UserHomePageRequest>(UserHomePageRequest::parametersForUser("5821").value());
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));
}

}  // namespace
}  // namespace api
