#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/KeyedArchive.h"
#include "src/framework/model/QRVModel.h"

namespace framework {
namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

class TrackModel final : public QRVModel<TrackModel> {
 public:
  static constexpr const char* kClassName = "TestTrackModel";
  static const QRVModelProperties<TrackModel>& properties() {
    static const auto table = QRVModelProperties<TrackModel>()
                                  .text("trackId", "track_id", &TrackModel::trackId_)
                                  .text("title", &TrackModel::title_)
                                  .model("next", "next", &TrackModel::next_)
                                  .models("parts", "parts", &TrackModel::parts_);
    return table;
  }

  QRV_TEXT_PROPERTY(trackId, TrackId)
  QRV_TEXT_PROPERTY(title, Title)
  QRV_MODEL_PROPERTY(std::shared_ptr<TrackModel>, next, Next)
  QRV_MODEL_PROPERTY(std::vector<std::shared_ptr<TrackModel>>, parts, Parts)
};

// Maps one more attribute than it has accessors for.
class GhostModel final : public QRVModel<GhostModel> {
 public:
  static constexpr const char* kClassName = "TestGhostModel";
  static const QRVModelProperties<GhostModel>& properties() {
    static const auto table = QRVModelProperties<GhostModel>().text("name", &GhostModel::name_);
    return table;
  }
  std::optional<AttributeMap> attributeMapDictionary() const override {
    return AttributeMap{{"ghost", "ghost"}, {"name", "name"}};
  }
  QRV_TEXT_PROPERTY(name, Name)
};

// Reads its one property from a JSON key other than its table's.
class AliasModel final : public QRVModel<AliasModel> {
 public:
  static constexpr const char* kClassName = "TestAliasModel";
  static const QRVModelProperties<AliasModel>& properties() {
    static const auto table = QRVModelProperties<AliasModel>().text("name", &AliasModel::name_);
    return table;
  }
  std::optional<AttributeMap> attributeMapDictionary() const override { return AttributeMap{{"name", "alias"}}; }
  QRV_TEXT_PROPERTY(name, Name)
};

// Two properties read the same JSON key.
class TwinModel final : public QRVModel<TwinModel> {
 public:
  static constexpr const char* kClassName = "TestTwinModel";
  static const QRVModelProperties<TwinModel>& properties() {
    static const auto table = QRVModelProperties<TwinModel>()
                                  .text("first", "name", &TwinModel::first_)
                                  .text("second", "name", &TwinModel::second_);
    return table;
  }
  QRV_TEXT_PROPERTY(first, First)
  QRV_TEXT_PROPERTY(second, Second)
};

class PlainModel final : public QRVBaseModelObject {
 public:
  std::string archiveClassName() const override { return "TestPlainModel"; }
};

TEST(QRVBaseModelObjectTest, SetterNamesCapitaliseOnlyTheFirstLetter) {
  EXPECT_EQ(QRVBaseModelObject::getSetterSelWithAttibuteName("luid"), "setLuid");
  EXPECT_EQ(QRVBaseModelObject::getSetterSelWithAttibuteName("set_new_time"), "setSet_new_time");
  EXPECT_EQ(QRVBaseModelObject::getSetterSelWithAttibuteName("picURL"), "setPicURL");
}

TEST(QRVBaseModelObjectTest, FillsFromReplyTurningNumbersIntoTextAndNullsIntoNil) {
  auto track = TrackModel::initWithDataDic(Dictionary{{"track_id", 12}, {"title", Value()}, {"unmapped", "x"}});
  EXPECT_EQ(track->trackId(), "12");
  EXPECT_EQ(track->title(), std::nullopt);

  track->setAttributes(Dictionary{{"track_id", 1.5}, {"title", true}});
  EXPECT_EQ(track->trackId(), "1.5");
  EXPECT_EQ(track->title(), "1");

  track->setAttributes(Dictionary{{"title", "kept?"}});
  EXPECT_EQ(track->trackId(), std::nullopt) << "a mapped key missing from the reply clears the property";
  EXPECT_EQ(track->title(), "kept?");

  track->setAttributes(Dictionary{{"title", Array{"not", "text"}}});
  EXPECT_EQ(track->title(), std::nullopt);
}

TEST(QRVBaseModelObjectTest, BuildsNestedModelsFromDictionaries) {
  auto track = TrackModel::initWithDataDic(
      Dictionary{{"next", Dictionary{{"track_id", "n"}}},
                 {"parts", Array{Dictionary{{"title", "a"}}, "junk", Dictionary{{"title", "b"}}}}});
  ASSERT_NE(track->next(), nullptr);
  EXPECT_EQ(track->next()->trackId(), "n");
  ASSERT_EQ(track->parts().size(), 2u);
  EXPECT_EQ(track->parts()[1]->title(), "b");
}

TEST(QRVBaseModelObjectTest, TakingFromAReplyFillsTheSameModelAndLeavesUnmappedKeys) {
  const Dictionary reply{{"track_id", 7},
                         {"title", "一首很长很长的歌的名字，长得放不进短字符串"},
                         {"next", Dictionary{{"title", "下一首也有一个很长很长的名字"}}},
                         {"parts", Array{Dictionary{{"track_id", "p1"}}, "junk", Dictionary{{"title", "b"}}}},
                         {"unmapped", "还在这里的一个很长很长的值"}};
  Dictionary taken = reply;
  auto copied = TrackModel::initWithDataDic(reply);
  auto moved = TrackModel::initTakingDataDic(taken);
  EXPECT_EQ(moved->description(), copied->description());
  EXPECT_EQ(taken["unmapped"], reply["unmapped"]);

  Dictionary twinReply{{"name", "一个足够长以至于要放在堆上的名字"}};
  auto twin = TwinModel::initTakingDataDic(twinReply);
  EXPECT_EQ(twin->first(), "一个足够长以至于要放在堆上的名字");
  EXPECT_EQ(twin->second(), twin->first()) << "a key two properties read is copied, not taken";
}

TEST(QRVBaseModelObjectTest, SkipsAttributesWithoutAccessors) {
  auto ghost = GhostModel::initWithDataDic(Dictionary{{"ghost", "boo"}, {"name", "n"}});
  EXPECT_EQ(ghost->name(), "n");
  EXPECT_EQ(ghost->description(), "TestGhostModel:{ [ghost=nil]  [name=n] }");
  auto archived = foundation::KeyedArchive::archivedPropertyList(Value(ghost));
  ASSERT_TRUE(archived.ok());
  auto restored = foundation::KeyedArchive::unarchivePropertyList(*archived);
  ASSERT_TRUE(restored.ok());
  EXPECT_EQ(restored->objectAs<GhostModel>()->name(), "n");
}

TEST(QRVBaseModelObjectTest, AModelsOwnAttributeMapDecidesTheJsonKeys) {
  auto alias = AliasModel::initWithDataDic(Dictionary{{"name", "table key"}, {"alias", 42}});
  EXPECT_EQ(alias->name(), "42");
  alias->setAttributes(Dictionary{{"name", "table key"}});
  EXPECT_EQ(alias->name(), std::nullopt);
}

TEST(QRVBaseModelObjectTest, ModelWithoutMapStaysEmptyAndEncodesNothing) {
  foundation::ArchiveRegistry::shared().registerClass(
      "TestPlainModel", [](foundation::ArchiveDecoder&) { return std::make_shared<PlainModel>(); });
  auto plain = std::make_shared<PlainModel>();
  plain->setAttributes(Dictionary{{"anything", 1}});
  EXPECT_EQ(plain->description(), "TestPlainModel:{}");
  auto archived = foundation::KeyedArchive::archivedPropertyList(Value(plain));
  ASSERT_TRUE(archived.ok()) << archived.error()->debugText();
  const Value& fields = (*archived)["$root"]["$fields"];
  ASSERT_TRUE(fields.isDictionary());
  EXPECT_TRUE(fields.getDictionary()->empty());
  EXPECT_NE(foundation::KeyedArchive::unarchivePropertyList(*archived)->objectAs<PlainModel>(), nullptr);
}

TEST(QRVBaseModelObjectTest, ArchivesUnderPropertyNamesAndRestoresNestedModels) {
  auto track = TrackModel::initWithDataDic(Dictionary{
      {"track_id", 7}, {"next", Dictionary{{"title", "after"}}}, {"parts", Array{Dictionary{{"track_id", "p1"}}}}});
  auto data = track->getArchivedData();
  ASSERT_TRUE(data.ok()) << data.error()->debugText();

  auto propertyList = foundation::KeyedArchive::archivedPropertyList(Value(track));
  ASSERT_TRUE(propertyList.ok());
  const Dictionary* fields = (*propertyList)["$root"]["$fields"].getDictionary();
  ASSERT_NE(fields, nullptr);
  EXPECT_EQ(fields->keys(), (std::vector<std::string>{"trackId", "next", "parts"})) << "nil title is not written";

  auto restored = foundation::KeyedArchive::unarchiveObject(*data);
  ASSERT_TRUE(restored.ok()) << restored.error()->debugText();
  auto copy = restored->objectAs<TrackModel>();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->trackId(), "7");
  EXPECT_EQ(copy->title(), std::nullopt);
  ASSERT_NE(copy->next(), nullptr);
  EXPECT_EQ(copy->next()->title(), "after");
  ASSERT_EQ(copy->parts().size(), 1u);
  EXPECT_EQ(copy->parts()[0]->trackId(), "p1");
}

TEST(QRVBaseModelObjectTest, ArchivingNeedsASharedModel) {
  TrackModel local;
  auto data = local.getArchivedData();
  EXPECT_FALSE(data.ok());
}

TEST(QRVBaseModelObjectTest, DescriptionListsMappedPropertiesInOrder) {
  auto track = TrackModel::initWithDataDic(Dictionary{{"track_id", "9"}, {"parts", Array{Dictionary{}}}});
  EXPECT_EQ(track->description(),
            "TestTrackModel:{ [trackId=9]  [title=nil]  [next=nil]  [parts=(TestTrackModel:{ [trackId=nil]  "
            "[title=nil]  [next=nil]  [parts=()] })] }");
}

TEST(QRVBaseModelObjectTest, ModelFilledOffTheMainThreadIsCompleteWhenFillingReturns) {
  std::shared_ptr<TrackModel> track;
  std::thread worker([&] { track = TrackModel::initWithDataDic(Dictionary{{"track_id", 5}, {"title", "t"}}); });
  worker.join();
  EXPECT_EQ(track->trackId(), "5");
  EXPECT_EQ(track->title(), "t");
}

}  // namespace
}  // namespace framework
