#include <gtest/gtest.h>

#include "platform/foundation/KeyedArchive.h"
#include "src/api/models/ProgramModel.h"

namespace api {
namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

ChannelModelPtr channel(const char* name) { return ChannelModel::initWithDataDic(Dictionary{{"channel_name", name}}); }
SongModelPtr song(Value filesize) { return SongModel::initWithDataDic(Dictionary{{"filesize", filesize}}); }
ProgramModelPtr program(Value id, Value uid = Value()) {
  return ProgramModel::initWithDataDic(Dictionary{{"program_id", id}, {"uid", uid}});
}
UserModelPtr user(Value uid, Value auditRight = Value()) {
  return UserModel::initWithDataDic(Dictionary{{"uid", uid}, {"pri_audit_program", auditRight}});
}

TEST(ProgramModelTest, ArchiveKeepsUserChannelsAndSongsButNotTheCovers) {
  auto original = ProgramModel::initWithDataDic(Dictionary{
      {"program_id", 77}, {"program_name", "晨间"}, {"fav", "1"}, {"user", Dictionary{{"uid", "9"}, {"uname", "dj"}}}});
  original->setChannelArr({channel("Jazz"), channel("Rock")});
  original->setSongsArr({song("100"), song(28)});
  original->setCoverNumber(2);
  original->setCoverPics(Array{"http://pics.invalid/a"});
  original->setPicArr(Array{"http://pics.invalid/b"});

  auto data = original->getArchivedData();
  ASSERT_TRUE(data.ok()) << data.error()->debugText();
  auto restored = foundation::KeyedArchive::unarchiveObject(*data);
  ASSERT_TRUE(restored.ok()) << restored.error()->debugText();
  auto copy = restored->objectAs<ProgramModel>();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->programId(), "77");
  EXPECT_EQ(copy->programName(), "晨间");
  ASSERT_NE(copy->user(), nullptr);
  EXPECT_EQ(copy->user()->uname(), "dj");
  EXPECT_EQ(copy->getChannelsName(), "Jazz.Rock");
  ASSERT_EQ(copy->songsArr().size(), 2u);
  EXPECT_EQ(copy->songsArr()[1]->filesize(), "28");
  EXPECT_TRUE(copy->coverNumber().isNull());
  EXPECT_TRUE(copy->coverPics().empty());
  EXPECT_TRUE(copy->picArr().empty());
}

TEST(ProgramModelTest, ChannelNames) {
  auto p = program("1");
  EXPECT_EQ(p->getChannelsName(), "");
  EXPECT_EQ(p->getGenreChannelName(), "");
  p->setChannelArr({channel("Solo")});
  EXPECT_EQ(p->getChannelsName(), "Solo");
  p->setChannelArr({channel("A"), channel("B"), channel("C")});
  EXPECT_EQ(p->getChannelsName(), "A.B.C");
  EXPECT_EQ(p->getGenreChannelName(), "A");
}

TEST(ProgramModelTest, AllSongsFileSizeIsInBytes) {
  auto p = program("1");
  EXPECT_EQ(p->getAllSongsFileSize(), 0);
  p->setSongsArr({song("100"), song("28")});
  EXPECT_EQ(p->getAllSongsFileSize(), 131072);
  p->setSongsArr({song("3000000000"), song(Value()), song("junk")});
  EXPECT_EQ(p->getAllSongsFileSize(), 3000000000LL * 1024) << "sizes past 32 bits; missing sizes count 0";
}

TEST(ProgramModelTest, EditRightBelongsToAuditorsAndOwners) {
  auto mine = program("1", "42");
  EXPECT_FALSE(mine->hasEditPri(nullptr));
  EXPECT_TRUE(mine->hasEditPri(user("42", "0")));
  EXPECT_FALSE(mine->hasEditPri(user("43", "0")));
  EXPECT_TRUE(mine->hasEditPri(user("43", "1")));
  EXPECT_TRUE(program("2")->hasEditPri(user(Value(), 1)));
}

TEST(ProgramModelTest, MissingIdsNeverMatch) {
  EXPECT_FALSE(program("1")->hasEditPri(user(Value()))) << "a programme without uid is nobody's";
  EXPECT_FALSE(program("1", "")->hasEditPri(user(Value())));
  Array list{Value(program(Value())), Value(program("5"))};
  EXPECT_EQ(ProgramModel::isExistProgramWithProgramId("", list), nullptr);
  EXPECT_EQ(ProgramModel::isExistProgramWithProgramId("5", list), list[1].objectAs<ProgramModel>());
  EXPECT_EQ(ProgramModel::isExistProgramWithProgramId("6", list), nullptr);
  EXPECT_FALSE(ProgramModel::notificationEditEvent(Dictionary{{"program", Value(program(Value()))}, {"arr", list}}));
}

TEST(ProgramModelTest, EditNotificationCopiesTheEditedFields) {
  auto listed = ProgramModel::initWithDataDic(
      Dictionary{{"program_id", "5"}, {"program_name", "old"}, {"tags", "keep"}, {"status", "0"}});
  auto edited = ProgramModel::initWithDataDic(Dictionary{
      {"program_id", "5"}, {"program_name", "new"}, {"program_desc", "d"}, {"pic_url", "p"}, {"status", "1"}});
  edited->setChannelArr({channel("X")});
  Array list{Value(program("4")), Value(listed)};
  EXPECT_TRUE(ProgramModel::notificationEditEvent(Dictionary{{"program", Value(edited)}, {"arr", list}}));
  EXPECT_EQ(listed->programName(), "new");
  EXPECT_EQ(listed->programDesc(), "d");
  EXPECT_EQ(listed->picUrl(), "p");
  EXPECT_EQ(listed->status(), "1");
  EXPECT_EQ(listed->getChannelsName(), "X");
  EXPECT_EQ(listed->tags(), "keep");
  EXPECT_FALSE(ProgramModel::notificationEditEvent(Dictionary{{"program", Value(program("9"))}, {"arr", list}}));
}

TEST(ProgramModelTest, CollectNotificationsSetTheFavouriteFlag) {
  auto listed = program("5");
  Array list{Value(listed)};
  EXPECT_TRUE(ProgramModel::notificationIsCollectEvent(
      Dictionary{{"programId", "5"}, {"arr", list}, {"notifyName", "ProgramIsCollected"}}));
  EXPECT_EQ(listed->fav(), "1");
  EXPECT_TRUE(ProgramModel::notificationIsCollectEvent(
      Dictionary{{"programId", "5"}, {"arr", list}, {"notifyName", "ProgramIsCancelCollected"}}));
  EXPECT_EQ(listed->fav(), "0");
  EXPECT_FALSE(ProgramModel::notificationIsCollectEvent(
      Dictionary{{"programId", "6"}, {"arr", list}, {"notifyName", "ProgramIsCollected"}}));
  EXPECT_FALSE(
      ProgramModel::notificationIsCollectEvent(Dictionary{{"arr", list}, {"notifyName", "ProgramIsCollected"}}));
}

}  // namespace
}  // namespace api
