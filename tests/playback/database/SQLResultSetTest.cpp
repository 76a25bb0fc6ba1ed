#include <map>

#include "src/playback/database/SQLResultSet.h"
#include "src/playback/database/SQLStatement.h"
#include "tests/playback/database/TemporaryDatabase.h"

namespace playback {
namespace {

using foundation::Bytes;
using foundation::Value;

class ResultSetTest : public testing::TemporaryDatabase {
 protected:
  void SetUp() override {
    TemporaryDatabase::SetUp();
    ASSERT_TRUE(db_->executeUpdate("create table t (Id integer, score real, name text, data blob, empty blob, gap)"));
    ASSERT_TRUE(db_->executeUpdate("insert into t values (?, ?, ?, ?, ?, ?)", INT64_C(4294967297), 1.5, "名字",
                                   Bytes{0, 255}, Bytes{}, nullptr));
    ASSERT_TRUE(db_->executeUpdate("insert into t (Id) values (2)"));
    rows_ = db_->executeQuery("select * from t order by Id desc");
    ASSERT_NE(rows_, nullptr);
  }
  std::shared_ptr<SQLResultSet> rows_;
};

TEST_F(ResultSetTest, ReadersTakeColumnsByIndexOrCaseInsensitiveName) {
  EXPECT_EQ(rows_->longLongIntForColumn("id"), 0);  // no current row yet
  ASSERT_TRUE(rows_->next());
  EXPECT_EQ(rows_->columnIndexForName("ID"), 0);
  EXPECT_EQ(rows_->columnNameForIndex(2), "name");
  EXPECT_EQ(rows_->longLongIntForColumn("id"), INT64_C(4294967297));
  EXPECT_EQ(rows_->longForColumnIndex(0), INT64_C(4294967297));
  EXPECT_EQ(rows_->doubleForColumn("SCORE"), 1.5);
  EXPECT_TRUE(rows_->boolForColumn("score"));
  EXPECT_EQ(rows_->intForColumnIndex(1), 1);
  EXPECT_EQ(rows_->stringForColumn("name"), "名字");
  EXPECT_STREQ(rows_->UTF8StringForColumnName("name"), "名字");
  EXPECT_EQ(rows_->dataForColumn("data"), (Bytes{0, 255}));
  ASSERT_TRUE(rows_->dataNoCopyForColumn("data"));
  EXPECT_EQ(rows_->dataNoCopyForColumn("data")->size(), 2u);
  EXPECT_EQ(rows_->dataForColumn("empty"), Bytes{});
  EXPECT_EQ(rows_->dateForColumn("score"), foundation::Date{1.5});
  EXPECT_EQ(rows_->stringForColumnIndex(0), "4294967297");
}

TEST_F(ResultSetTest, NullAndMissingColumnsReadAsNothing) {
  ASSERT_TRUE(rows_->next());
  EXPECT_TRUE(rows_->columnIsNull("gap"));
  EXPECT_FALSE(rows_->columnIsNull("empty"));
  EXPECT_EQ(rows_->stringForColumn("gap"), std::nullopt);
  EXPECT_EQ(rows_->dataForColumn("gap"), std::nullopt);
  EXPECT_EQ(rows_->dateForColumn("gap"), std::nullopt);
  EXPECT_EQ(rows_->UTF8StringForColumnName("gap"), nullptr);

  EXPECT_EQ(rows_->columnIndexForName("nothing"), -1);
  EXPECT_EQ(rows_->intForColumn("nothing"), 0);
  EXPECT_EQ(rows_->doubleForColumn("nothing"), 0);
  EXPECT_EQ(rows_->stringForColumn("nothing"), std::nullopt);
  EXPECT_EQ(rows_->dataNoCopyForColumn("nothing"), std::nullopt);
  EXPECT_EQ(rows_->stringForColumnIndex(6), std::nullopt);
  EXPECT_EQ(rows_->longLongIntForColumnIndex(99), 0);
  EXPECT_EQ(rows_->columnNameForIndex(99), "");
}

TEST_F(ResultSetTest, RowAsDictionaryKeepsSixtyFourBitIntegersAndLeavesNullsOut) {
  EXPECT_EQ(rows_->resultDict(), std::nullopt);
  ASSERT_TRUE(rows_->next());
  auto row = rows_->resultDict();
  ASSERT_TRUE(row);
  EXPECT_EQ((*row)["Id"].toInt64(), INT64_C(4294967297));
  EXPECT_EQ((*row)["score"].toDouble(), 1.5);
  EXPECT_EQ((*row)["name"], Value("名字"));
  EXPECT_EQ((*row)["data"], Value(Bytes{0, 255}));
  EXPECT_FALSE(row->contains("gap"));

  std::map<std::string, std::string> texts;
  rows_->kvcMagic([&](const std::string& key, const std::string& value) { texts[key] = value; });
  EXPECT_EQ(texts.at("Id"), "4294967297");
  EXPECT_EQ(texts.count("gap"), 0u);
}

TEST_F(ResultSetTest, SteppingPastTheLastRowClosesTheSet) {
  ASSERT_TRUE(rows_->next());
  EXPECT_TRUE(rows_->hasAnotherRow());
  ASSERT_TRUE(rows_->next());
  EXPECT_EQ(rows_->intForColumn("id"), 2);
  auto statement = rows_->statement();
  EXPECT_EQ(statement->useCount(), 1);
  EXPECT_FALSE(rows_->next());
  EXPECT_EQ(rows_->statement(), nullptr);
  EXPECT_EQ(rows_->intForColumn("id"), 0);
  EXPECT_FALSE(rows_->next());
}

}  // namespace
}  // namespace playback
