#include <sqlite3.h>

#include <atomic>
#include <thread>

#include "src/playback/database/BusyRetry.h"
#include "src/playback/database/SQLResultSet.h"
#include "src/playback/database/SQLStatement.h"
#include "tests/playback/database/TemporaryDatabase.h"

namespace playback {
namespace {

using DatabaseTest = testing::TemporaryDatabase;
using foundation::Array;
using foundation::Value;

TEST(BusyRetryTest, ALimitOfTwoAllowsFourAttemptsAndZeroHasNoLimit) {
  BusyRetry limited(2);
  int attempts = 1;
  while (limited.waitBeforeRetry()) ++attempts;
  EXPECT_EQ(attempts, 4);

  BusyRetry unlimited(0);
  for (int retry = 0; retry < 200; ++retry) ASSERT_TRUE(unlimited.waitBeforeRetry());
}

TEST_F(DatabaseTest, UpdatesReportSuccessAndFailureAndQueriesWithoutRowsCloseThemselves) {
  ASSERT_TRUE(db_->executeUpdate("create table t (id integer primary key, name text)"));
  EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?)", 1, "one"));
  EXPECT_EQ(db_->lastInsertRowId(), 1);
  EXPECT_EQ(db_->changes(), 1);

  EXPECT_FALSE(db_->executeUpdate("insert into t values (?, ?)", 1, "again"));  // primary key taken
  EXPECT_TRUE(db_->hadError());
  EXPECT_EQ(db_->lastErrorCode(), SQLITE_CONSTRAINT);
  EXPECT_FALSE(db_->executeUpdate("insert into missing values (1)"));
  EXPECT_FALSE(db_->lastErrorMessage().empty());

  auto rows = db_->executeQuery("select * from t where id = ?", 2);
  ASSERT_NE(rows, nullptr);
  EXPECT_FALSE(rows->next());
  EXPECT_EQ(rows->statement(), nullptr);
  EXPECT_EQ(rows->parentDB(), nullptr);
}

TEST_F(DatabaseTest, ValuesAreBoundNeverSpliced) {
  ASSERT_TRUE(db_->executeUpdate("create table t (v)"));
  const std::string hostile = "x'); drop table t; --";
  ASSERT_TRUE(db_->executeUpdate("insert into t values (?)", hostile));
  EXPECT_EQ(db_->stringForQuery("select v from t"), hostile);
  EXPECT_TRUE(db_->tableExists("T"));
}

TEST_F(DatabaseTest, MissingArgumentsAndUnbindableValuesRefuseTheStatement) {
  ASSERT_TRUE(db_->executeUpdate("create table t (a, b)"));
  EXPECT_FALSE(db_->executeUpdate("insert into t values (?, ?)", 1));
  EXPECT_EQ(db_->executeQuery("select * from t where a = ? and b = ?", Array{Value(1)}), nullptr);
  EXPECT_FALSE(db_->executeUpdate("insert into t values (?, ?)", 1, Value(Array{Value(2)})));
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 0);
  EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?)", Array{Value(1), Value(2), Value(3)}));
}

TEST_F(DatabaseTest, OneValueQueriesAnswerTheFirstRowOrNothing) {
  ASSERT_TRUE(db_->executeUpdate("create table t (n integer, r real, s text, b blob, d real)"));
  ASSERT_TRUE(db_->executeUpdate("insert into t values (?, ?, ?, ?, ?)", INT64_C(9000000000), 2.5, "text",
                                 foundation::Bytes{1, 2}, foundation::Date{1234.5}));
  EXPECT_EQ(db_->longForQuery("select n from t"), INT64_C(9000000000));
  EXPECT_EQ(db_->doubleForQuery("select r from t"), 2.5);
  EXPECT_TRUE(db_->boolForQuery("select n from t where s = ?", "text"));
  EXPECT_EQ(db_->dataForQuery("select b from t"), (foundation::Bytes{1, 2}));
  EXPECT_EQ(db_->dateForQuery("select d from t"), foundation::Date{1234.5});

  EXPECT_EQ(db_->stringForQuery("select s from t where n = 0"), std::nullopt);
  EXPECT_EQ(db_->intForQuery("select n from t where n = 0"), 0);
  EXPECT_FALSE(db_->boolForQuery("select n from missing"));
}

TEST_F(DatabaseTest, SchemaLookUpsAreCaseInsensitiveAndTakeAnyTableName) {
  ASSERT_TRUE(db_->executeUpdate("create table Songs (Song_Id integer, title text)"));
  EXPECT_TRUE(db_->tableExists("songs"));
  EXPECT_FALSE(db_->tableExists("albums"));
  EXPECT_TRUE(db_->columnExists("SONGS", "song_id"));
  EXPECT_FALSE(db_->columnExists("songs", "artist"));

  auto schema = db_->getSchema();
  ASSERT_TRUE(schema && schema->next());
  EXPECT_EQ(schema->stringForColumn("name"), "Songs");

  auto hostile = db_->getTableSchema("songs\"); drop table Songs; --");
  ASSERT_NE(hostile, nullptr);
  EXPECT_FALSE(hostile->next());
  EXPECT_TRUE(db_->tableExists("songs"));
}

TEST_F(DatabaseTest, TransactionsCommitOrRollBackAndMarkTheConnectionInUse) {
  ASSERT_TRUE(db_->executeUpdate("create table t (n)"));
  ASSERT_TRUE(db_->beginTransaction());
  EXPECT_TRUE(db_->inUse());
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1)"));
  ASSERT_TRUE(db_->rollback());
  EXPECT_FALSE(db_->inUse());
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 0);

  ASSERT_TRUE(db_->beginDeferredTransaction());
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1)"));
  ASSERT_TRUE(db_->commit());
  EXPECT_FALSE(db_->inTransaction());
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 1);
}

TEST_F(DatabaseTest, CachedStatementsAreReusedButNeverSharedByTwoOpenResultSets) {
  db_->setShouldCacheStatements(true);
  ASSERT_TRUE(db_->executeUpdate("create table t (n)"));
  for (int n = 1; n <= 3; ++n) ASSERT_TRUE(db_->executeUpdate("insert into t values (?)", n));
  auto insert = db_->cachedStatementForQuery("insert into t values (?)");
  ASSERT_NE(insert, nullptr);
  EXPECT_EQ(insert->useCount(), 3);

  const std::string query = "select n from t where n >= ? order by n";
  auto first = db_->executeQuery(query, 1);
  ASSERT_TRUE(first->next());
  auto second = db_->executeQuery(query, 3);
  ASSERT_TRUE(second->next());
  EXPECT_EQ(second->intForColumnIndex(0), 3);
  ASSERT_TRUE(first->next());
  EXPECT_EQ(first->intForColumnIndex(0), 2);
  first->close();
  second->close();

  auto third = db_->executeQuery(query, 2);
  ASSERT_TRUE(third->next());
  EXPECT_EQ(third->intForColumnIndex(0), 2);
  EXPECT_EQ(third->statement(), db_->cachedStatementForQuery(query));

  db_->clearCachedStatements();
  EXPECT_TRUE(db_->cachedStatements().empty());
  EXPECT_FALSE(third->next());
  db_->setShouldCacheStatements(false);
  EXPECT_TRUE(db_->executeUpdate("insert into t values (4)"));
  EXPECT_TRUE(db_->cachedStatements().empty());
}

TEST_F(DatabaseTest, ClosingWithAnOpenResultSetClosesItInsteadOfHanging) {
  ASSERT_TRUE(db_->executeUpdate("create table t (n)"));
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1)"));
  auto rows = db_->executeQuery("select n from t");
  ASSERT_TRUE(rows->next());
  EXPECT_TRUE(db_->close());
  EXPECT_EQ(db_->db(), nullptr);
  EXPECT_FALSE(rows->next());
  EXPECT_EQ(db_->executeQuery("select n from t"), nullptr);
  EXPECT_FALSE(db_->goodConnection());
  ASSERT_TRUE(db_->open());
  EXPECT_TRUE(db_->goodConnection());
}

TEST_F(DatabaseTest, OpeningFailsCleanlyWhereNoFileCanBe) {
  auto nowhere = SQLDatabase::databaseWithPath(home_ + "/missing/folder/x.db");
  EXPECT_FALSE(nowhere->open());
  EXPECT_EQ(nowhere->db(), nullptr);
  EXPECT_EQ(nowhere->lastErrorCode(), SQLITE_CANTOPEN);  // the reason outlives the failed handle
  EXPECT_FALSE(nowhere->executeUpdate("create table t (n)"));
  EXPECT_TRUE(nowhere->close());
  EXPECT_FALSE(db_->setKey("secret"));
  EXPECT_FALSE(SQLDatabase::sqliteLibVersion().empty());
}

// A connection that counts the statements it refused.
class CountingDatabase : public SQLDatabase {
 public:
  explicit CountingDatabase(std::string path) : SQLDatabase(std::move(path)) {}
  void compainAboutInUse() override { ++refused; }
  std::atomic<int> refused = 0;
};

// Another connection holding the exclusive lock keeps the database busy until it commits.
class BusyDatabaseTest : public DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    ASSERT_TRUE(db_->executeUpdate("create table t (n)"));
    locker_ = SQLDatabase::databaseWithPath(path_);
    ASSERT_TRUE(locker_->open());
    ASSERT_TRUE(locker_->beginTransaction());
  }
  std::shared_ptr<SQLDatabase> locker_;
};

TEST_F(BusyDatabaseTest, WithARetryLimitAStatementOnABusyDatabaseFails) {
  db_->setBusyRetryTimeout(2);
  EXPECT_FALSE(db_->executeUpdate("insert into t values (1)"));
  EXPECT_EQ(db_->lastErrorCode(), SQLITE_BUSY);
  ASSERT_TRUE(locker_->commit());
  EXPECT_TRUE(db_->executeUpdate("insert into t values (1)"));
}

TEST_F(BusyDatabaseTest, WithoutALimitAnUpdateWaitsForTheDatabaseAndOtherCallsAreRefusedMeanwhile) {
  auto shared = std::shared_ptr<CountingDatabase>(new CountingDatabase(path_));
  ASSERT_TRUE(shared->open());
  std::atomic<bool> result = false;
  std::thread writer([&] { result = shared->executeUpdate("insert into t values (1)"); });
  while (!shared->inUse()) std::this_thread::yield();

  EXPECT_FALSE(shared->executeUpdate("insert into t values (2)"));
  EXPECT_EQ(shared->executeQuery("select n from t"), nullptr);
  EXPECT_EQ(shared->refused, 2);
  EXPECT_EQ(shared->lastInsertRowId(), 0);

  ASSERT_TRUE(locker_->commit());
  writer.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(shared->intForQuery("select count(*) from t"), 1);
  EXPECT_EQ(shared->intForQuery("select n from t"), 1);
}

}  // namespace
}  // namespace playback
