#include <gtest/gtest.h>

#include "platform/foundation/KeyedArchive.h"
#include "src/api/models/ADModel.h"
#include "src/api/models/ArtistModel.h"
#include "src/api/models/AuditLogModel.h"
#include "src/api/models/ChannelModel.h"
#include "src/api/models/GenresModel.h"
#include "src/api/models/LocationModel.h"
#include "src/api/models/PalbumModel.h"
#include "src/api/models/PhotoModel.h"
#include "src/api/models/ProgramModel.h"
#include "src/api/models/RadioModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/models/SongModel.h"
#include "src/api/models/ThirdAccountModel.h"
#include "src/api/models/UserModel.h"
#include "src/api/models/VersionModel.h"

namespace api {
namespace {

using foundation::Dictionary;
using foundation::Value;
using AttributeMap = framework::QRVBaseModelObject::AttributeMap;

template <class Model>
class EveryModelTest : public ::testing::Test {};

using AllModels = ::testing::Types<UserModel, SongModel, ArtistModel, SAlbumModel, ChannelModel, RadioModel,
                                   ProgramModel, PalbumModel, PhotoModel, ThirdAccountModel, GenresModel, AuditLogModel,
                                   ADModel, LocationModel, VersionModel>;
TYPED_TEST_SUITE(EveryModelTest, AllModels);

// Every mapped text attribute filled from its JSON key, restored by name from an archive.
TYPED_TEST(EveryModelTest, FillsEveryMappedKeyAndArchivesItUnderThePropertyName) {
  auto empty = std::make_shared<TypeParam>();
  const AttributeMap map = *empty->attributeMapDictionary();
  ASSERT_FALSE(map.empty());
  Dictionary reply;
  for (const auto& [property, jsonKey] : map) reply.set(jsonKey, "v:" + jsonKey);
  auto model = TypeParam::initWithDataDic(reply);
  const std::string description = model->description();
  for (const auto& [property, jsonKey] : map) {
    const bool isModel = property == "user" || property == "channelArr" || property == "songsArr";
    const std::string shown = isModel ? "" : "[" + property + "=v:" + jsonKey + "]";
    EXPECT_NE(description.find(shown), std::string::npos) << description;
  }
  auto data = model->getArchivedData();
  ASSERT_TRUE(data.ok()) << data.error()->debugText();
  auto restored = foundation::KeyedArchive::unarchiveObject(*data);
  ASSERT_TRUE(restored.ok()) << restored.error()->debugText();
  auto copy = restored->template objectAs<TypeParam>();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->description(), description);
}

std::vector<std::string> jsonKeys(const AttributeMap& map) {
  std::vector<std::string> keys;
  for (const auto& entry : map) keys.push_back(entry.second);
  return keys;
}

TEST(ModelAttributeMapsTest, KeysThatDifferFromThePropertyNames) {
  EXPECT_EQ(jsonKeys(*UserModel().attributeMapDictionary()),
            (std::vector<std::string>{"create_ip", "create_time", "email", "last_log_ip", "last_log_time", "pic_id",
                                      "status", "uid", "uname", "user_type", "validataion", "pic_url", "luid", "unote",
                                      "pri_audit_program", "pri_create_program", "pri_item_edit", "pri_item_view",
                                      "pri_user_page"}));
  auto artist = ArtistModel::initWithDataDic(Dictionary{{"Constellation", "Leo"}, {"description", "d"}});
  EXPECT_EQ(artist->constellation(), "Leo");
  EXPECT_EQ(artist->atristDescription(), "d");
  auto app = ADModel::initWithDataDic(Dictionary{{"ios", "https://example.invalid/app"}});
  EXPECT_EQ(app->link(), "https://example.invalid/app");
  auto weather = LocationModel::initWithDataDic(Dictionary{{"temp1", "20℃"}, {"index_d", "i"}});
  EXPECT_EQ(weather->temp(), "20℃");
  EXPECT_EQ(weather->index_d(), "i");
  auto song = SongModel::initWithDataDic(Dictionary{{"url", "d"}, {"_type", "t"}, {"audio_url", "a"}});
  EXPECT_EQ(song->donwLoadUrl(), "d");
  EXPECT_EQ(song->type(), "t");
  EXPECT_EQ(song->audioUrl(), "a");
  auto album = SAlbumModel::initWithDataDic(Dictionary{{"set_new_time", 1700000000}});
  EXPECT_EQ(album->set_new_time(), "1700000000");
  EXPECT_EQ(jsonKeys(*VersionModel().attributeMapDictionary()),
            (std::vector<std::string>{"newv", "update", "url", "info"}));
}

TEST(ModelAttributeMapsTest, ReplyNumbersBecomeTextAndNullsNil) {
  auto song = SongModel::initWithDataDic(
      Dictionary{{"song_id", 123}, {"filesize", 2048.5}, {"fav", true}, {"song_name", Value()}});
  EXPECT_EQ(song->songId(), "123");
  EXPECT_EQ(song->filesize(), "2048.5");
  EXPECT_EQ(song->fav(), "1");
  EXPECT_EQ(song->songName(), std::nullopt);
  EXPECT_EQ(song->language(), std::nullopt);
}

TEST(ModelAttributeMapsTest, UnmappedPropertiesAreNotArchived) {
  auto radio = RadioModel::initWithDataDic(Dictionary{{"radio_id", "r"}});
  radio->setChannelsArr({ChannelModel::initWithDataDic(Dictionary{{"channel_id", "c"}})});
  auto restored = foundation::KeyedArchive::unarchiveObject(*radio->getArchivedData());
  ASSERT_TRUE(restored.ok());
  auto copy = restored->objectAs<RadioModel>();
  EXPECT_EQ(copy->radioId(), "r");
  EXPECT_TRUE(copy->channelsArr().empty());

  auto album = SAlbumModel::initWithDataDic(Dictionary{{"salbum_id", "s"}});
  album->setCollectionType(3);
  album->setSongsArr({SongModel::initWithDataDic(Dictionary{{"song_id", "1"}})});
  auto restoredAlbum = foundation::KeyedArchive::unarchiveObject(*album->getArchivedData())->objectAs<SAlbumModel>();
  EXPECT_EQ(restoredAlbum->salbumId(), "s");
  EXPECT_EQ(restoredAlbum->collectionType(), 0);
  EXPECT_TRUE(restoredAlbum->songsArr().empty());
}

}  // namespace
}  // namespace api
