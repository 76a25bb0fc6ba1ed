#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "src/api/cache/ChannelSlotCache.h"
#include "src/api/cache/RadioCache.h"
#include "src/api/cache/RequestCacheFolder.h"
#include "src/api/requests/RadioRequests.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

using foundation::Dictionary;
using foundation::Value;

class RequestCacheTest : public apitest::ApiRequestTest {
 protected:
  static std::string fileText(const char* name) {
    foundation::Result<std::string> text = foundation::FileManager::readTextFile(RequestCacheFolder::pathOf(name));
    return text.ok() ? text.value() : std::string();
  }
};

TEST_F(RequestCacheTest, TheSlotReplyIsCachedWithDecimalKeysAndAnswersTheRequestedSlot) {
  call<ListNowChannelsRequest>({{"dayofweek", "1"}, {"timeid", "3"}, {"_pn", "1"}, {"_sz", "20"}});
  auto channels = modelsAt<ChannelModel>(delegate->resultDic[kKeyArray]);
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels[0]->channelName(), "华语流行");
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));  // the rest of the reply stays

  // The reply gave days and slots as numbers and as text; the file holds text keys only.
  std::optional<Dictionary> slots = ListNowChannelsRequest::loadAllChannelInfo();
  ASSERT_TRUE(slots);
  EXPECT_EQ(slots->keys(), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(slots->find("1")->getDictionary()->keys(), (std::vector<std::string>{"3", "4"}));
  EXPECT_EQ(ListNowChannelsRequest::localNowChannel("1", "4")[0]->channelId(), "19");
  EXPECT_EQ(ListNowChannelsRequest::localNowChannel("2", "3").size(), 1u);
  EXPECT_TRUE(ListNowChannelsRequest::localNowChannel("7", "3").empty());
  // A null in a channel, which a property list cannot hold, is left out rather than losing the file.
  EXPECT_FALSE(ListNowChannelsRequest::localNowChannel("1", "3")[1]->picUrl());
}

TEST_F(RequestCacheTest, ALaterRecordForTheSameSlotReplacesTheEarlierOne) {
  const foundation::Array records{
      Dictionary{{"dayofweek", 3}, {"timeid", 2}, {"channels", foundation::Array{Dictionary{{"channel_id", "1"}}}}},
      Dictionary{{"dayofweek", "3"}, {"timeid", 2.0}, {"channels", foundation::Array{Dictionary{{"channel_id", "2"}}}}},
      Dictionary{{"dayofweek", Dictionary{}}, {"timeid", 2}, {"channels", foundation::Array{}}},
      Dictionary{{"dayofweek", 4}, {"timeid", 1.5}, {"channels", foundation::Array{}}}};
  const Dictionary slots = ChannelSlotCache::slotsOf(records);
  EXPECT_EQ(slots.keys(), (std::vector<std::string>{"3"}));
  auto channels = ChannelSlotCache::channelsAt(slots, "3", "2");
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0]->channelId(), "2");
}

TEST_F(RequestCacheTest, AFailedOrMalformedSlotReplyChangesNeitherResultNorCache) {
  call<ListNowChannelsRequest>({{"dayofweek", "1"}, {"timeid", "3"}});
  const std::string cached = fileText(ChannelSlotCache::kFileName);
  ASSERT_FALSE(cached.empty());

  api.answerWithBody("radio.listAllNowChannels", R"({"err":"hapn.ok","data":{"dayofweek":1}})");
  call<ListNowChannelsRequest>({{"dayofweek", "1"}, {"timeid", "3"}});
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));
  api.answerWithErr("radio.listAllNowChannels", kErrLoginExpired);
  call<ListNowChannelsRequest>({{"dayofweek", "1"}, {"timeid", "3"}});
  EXPECT_EQ(fileText(ChannelSlotCache::kFileName), cached);
}

TEST_F(RequestCacheTest, AllChannelsFileRadiosPicturesAndTheirCache) {
  call<ListAllChannelsRequest>();
  auto radios = modelsAt<RadioModel>(delegate->resultDic["radioArray"]);
  ASSERT_EQ(radios.size(), 3u);
  EXPECT_EQ(radios[1]->channelsArr().size(), 2u);
  EXPECT_TRUE(radios[2]->channelsArr().empty());
  // Empty picture URLs are left out and a URL shared by two channels is one entry.
  EXPECT_EQ(
      delegate->resultDic["pics"].getDictionary()->keys(),
      (std::vector<std::string>{"http://127.0.0.1:9/img/channel/11.jpg", "http://127.0.0.1:9/img/channel/shared.jpg"}));

  std::vector<RadioModelPtr> local = ListAllChannelsRequest::localRadios();
  ASSERT_EQ(local.size(), 3u);
  EXPECT_EQ(local[0]->radioName(), "流行电台");
  ASSERT_EQ(local[0]->channelsArr().size(), 2u);
  EXPECT_EQ(local[0]->channelsArr()[1]->songNum(), "880");
}

TEST_F(RequestCacheTest, TheRadioListIsCachedAndMissingFilesReadAsNothing) {
  EXPECT_TRUE(ListRadiosRequest::localRadios().empty());
  EXPECT_TRUE(ListAllChannelsRequest::localRadios().empty());
  EXPECT_FALSE(ListNowChannelsRequest::loadAllChannelInfo());

  call<ListRadiosRequest>();
  EXPECT_EQ(delegate->resultDic.keys(), (std::vector<std::string>{kKeyArray}));
  std::vector<RadioModelPtr> local = ListRadiosRequest::localRadios();
  ASSERT_EQ(local.size(), 3u);
  EXPECT_EQ(local[1]->radioId(), "3");

  ASSERT_TRUE(foundation::FileManager::writeAtomically(RequestCacheFolder::pathOf(RadioCache::kRadiosFileName),
                                                       std::string_view("<plist><dict>"))
                  .ok());
  EXPECT_TRUE(ListRadiosRequest::localRadios().empty());
}

TEST_F(RequestCacheTest, ANameThatLeavesTheFolderIsRefused) {
  const std::string outside = foundation::Paths::appendingPathComponent(RequestCacheFolder::path(), "../escaped");
  EXPECT_FALSE(RequestCacheFolder::writeData("../escaped", {1, 2}).ok());
  EXPECT_FALSE(foundation::FileManager::fileExists(outside));
  ASSERT_TRUE(foundation::FileManager::writeAtomically(outside, std::string_view("x")).ok());
  EXPECT_FALSE(RequestCacheFolder::readData("../escaped").ok());
  EXPECT_FALSE(RequestCacheFolder::writePropertyList("a/b", Value(1.0)).ok());
}

}  // namespace
}  // namespace api
