#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "src/playback/database/SQLDatabase.h"
#include "src/playback/database/SQLResultSet.h"
#include "tests/playback/database/OfflineListFixture.h"

namespace playback {
namespace {

using OfflineListTest = testing::OfflineListFixture;
using StringList = std::vector<std::string>;
using IdList = std::vector<std::int64_t>;

// While it lives, no file of the process may grow, as on a disk without room; writes past the
// end fail with EFBIG instead of ending the process.
class OfflineListDiskFull {
 public:
  OfflineListDiskFull() {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit none = previous_;
    none.rlim_cur = 0;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
  }
  ~OfflineListDiskFull() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  OfflineListDiskFull(const OfflineListDiskFull&) = delete;
  OfflineListDiskFull& operator=(const OfflineListDiskFull&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

// A second connection to the same file, for looking at what the manager stored.
std::shared_ptr<SQLDatabase> inspect(const std::string& path) {
  auto db = SQLDatabase::databaseWithPath(path);
  EXPECT_TRUE(db->open());
  return db;
}

TEST_F(OfflineListTest, CreatesTheExactTableInDocumentsAtLaunch) {
  const std::string path = manager().getDBPath();
  EXPECT_EQ(path, foundation::Paths::documentsDirectory() + "/ZunoRadio.db");
  manager().initDBAndTable();
  ASSERT_TRUE(foundation::FileManager::fileExists(path));
  EXPECT_EQ(inspect(path)->stringForQuery("select sql from sqlite_master where name = 'sync_program'"),
            "CREATE TABLE sync_program (uid integer,\"program_id\" integer,\"program_data\" blob,status integer "
            "DEFAULT 0,create_time integer,\"suc_songs\" text,\"fail_songs\" varchar, songs_num integer,dj_id "
            "integer,modify_time integer, PRIMARY KEY (uid, program_id))");
  // A write-ahead log: a song recorded costs no disk flush of its own.
  EXPECT_EQ(inspect(path)->stringForQuery("PRAGMA journal_mode"), "wal");
}

TEST_F(OfflineListTest, StoresAProgrammeAsAWaitingRowOfTheLoggedInUser) {
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("12", {5, 6}, "900", "晚安")));
  auto row = manager().getDownloadInfoById(12);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->uid(), 77);
  EXPECT_EQ(row->programId(), 12);
  EXPECT_EQ(row->status(), 0);
  EXPECT_EQ(row->songNum(), 2);
  EXPECT_EQ(row->modifyTime(), std::to_string(kStart));
  EXPECT_TRUE(row->sucSongs().empty());
  ASSERT_NE(row->program(), nullptr);
  EXPECT_EQ(row->program()->programName(), "晚安");
  auto songs = songIdsOf(row->program());
  std::sort(songs.begin(), songs.end());
  EXPECT_EQ(songs, (StringList{"5", "6"}));

  auto db = inspect(manager().getDBPath());
  auto raw = db->executeQuery("select dj_id, modify_time, suc_songs from sync_program");
  ASSERT_TRUE(raw->next());
  EXPECT_EQ(raw->longLongIntForColumn("dj_id"), 900);
  EXPECT_EQ(raw->longLongIntForColumn("modify_time"), 1600000000);
  EXPECT_TRUE(raw->columnIsNull("suc_songs"));
}

TEST_F(OfflineListTest, StoringAgainResetsStatusAndDownloadedSongs) {
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("12")));
  ASSERT_TRUE(manager().addSucSongsId(1, 12));
  ASSERT_TRUE(manager().updateProgramStatusToCompleteWithProgramId(12));
  EXPECT_EQ(manager().fetchProgramStatusById(12), 1);

  advanceSeconds(30);
  ASSERT_TRUE(manager().insertProgram(program("12")));
  auto row = manager().getDownloadInfoById(12);
  EXPECT_EQ(row->status(), 0);
  EXPECT_TRUE(row->sucSongs().empty());
  EXPECT_EQ(row->modifyTime(), std::to_string(kStart + 30));
}

TEST_F(OfflineListTest, RecordsEachDownloadedSongOnceInOrder) {
  logIn("77");
  EXPECT_FALSE(manager().addSucSongsId(3, 12));  // no row yet
  ASSERT_TRUE(manager().insertProgram(program("12")));
  EXPECT_TRUE(manager().addSucSongsId(3, 12));
  EXPECT_TRUE(manager().addSucSongsId(1, 12));
  EXPECT_FALSE(manager().addSucSongsId(3, 12));
  EXPECT_EQ(manager().getDownloadInfoById(12)->sucSongs(), (StringList{"3", "1"}));

  ASSERT_TRUE(manager().updateProgramStatusToSyncProgramId(12, 1650000000));
  auto row = manager().getDownloadInfoById(12);
  EXPECT_EQ(row->sucSongs(), StringList{""});  // the stored list is the empty text
  EXPECT_TRUE(manager().addSucSongsId(3, 12));
}

TEST_F(OfflineListTest, OrdersWaitingBeforeCompleteAndEachGroupOldestFirst) {
  logIn("77");
  for (const char* id : {"30", "10", "20", "40"}) {
    ASSERT_TRUE(manager().insertProgram(program(id)));
    advanceSeconds(1);
  }
  ASSERT_TRUE(manager().insertProgram(program("50")));  // same second as 40: added later, listed later
  ASSERT_TRUE(manager().updateProgramStatusToCompleteWithProgramId(10));
  ASSERT_TRUE(manager().updateProgramStatusToCompleteWithProgramId(30));

  EXPECT_EQ(idsOf(manager().fetchProgramByStatus(-1)), (IdList{20, 40, 50, 30, 10}));
  EXPECT_EQ(idsOf(manager().fetchProgramByStatus(0)), (IdList{20, 40, 50}));
  EXPECT_EQ(idsOf(manager().fetchProgramByStatus(1)), (IdList{30, 10}));
  EXPECT_EQ(manager().fetchProgramIdByUserId("77"), (StringList{"30", "10", "20", "40", "50"}));
  EXPECT_EQ(manager().getRecentlyWaitingForDownloadProgramId(), 20);
  ASSERT_TRUE(manager().deleteProgram(20));
  EXPECT_EQ(manager().getRecentlyWaitingForDownloadProgramId(), 40);
}

TEST_F(OfflineListTest, MissingRowsAnswerEmpty) {
  logIn("77");
  EXPECT_EQ(manager().getRecentlyWaitingForDownloadProgramId(), 0);
  EXPECT_EQ(manager().fetchProgramStatusById(5), -1);
  EXPECT_EQ(manager().getDownloadInfoById(5), nullptr);
  EXPECT_EQ(manager().getDownloadedProgram(5), nullptr);
  EXPECT_FALSE(manager().programIsExist(5));
  EXPECT_TRUE(manager().fetchProgramByStatus(-1).empty());
  EXPECT_TRUE(manager().fetchProgramIdByUserId("77").empty());
  EXPECT_EQ(manager().fetchDownloadFailSongsWithProgramId(5), "");
  EXPECT_TRUE(manager().deleteProgram(5));
  EXPECT_FALSE(manager().insertProgram(nullptr));
}

TEST_F(OfflineListTest, IdsKeepAllSixtyFourBits) {
  logIn("5000000001");
  const std::int64_t id = INT64_C(9007199254740993);
  ASSERT_TRUE(manager().insertProgram(program(std::to_string(id), {1}, "5000000001")));
  EXPECT_TRUE(manager().programIsExist(id));
  EXPECT_FALSE(manager().programIsExist(id - 1));
  EXPECT_EQ(manager().getDownloadInfoById(id)->uid(), INT64_C(5000000001));
  EXPECT_EQ(manager().getRecentlyWaitingForDownloadProgramId(), id);
  EXPECT_EQ(manager().fetchProgramIdByUserId(""), StringList{std::to_string(id)});
  EXPECT_EQ(idsOf(manager().fetchSelfProgramByStatus(0)), IdList{id});
  ASSERT_TRUE(manager().addSucSongsId(INT64_C(8000000000), id));
  EXPECT_EQ(manager().getDownloadInfoById(id)->sucSongs(), StringList{"8000000000"});
}

TEST_F(OfflineListTest, EachUserSeesOnlyTheirOwnRows) {
  logIn("1");
  ASSERT_TRUE(manager().insertProgram(program("12", {1}, "900", "first")));
  ASSERT_TRUE(manager().addSucSongsId(1, 12));
  logIn("2");
  EXPECT_FALSE(manager().programIsExist(12));
  ASSERT_TRUE(manager().insertProgram(program("12", {1}, "900", "second")));
  ASSERT_TRUE(manager().updateProgramStatusToCompleteWithProgramId(12));
  EXPECT_EQ(manager().getDownloadedProgram(12)->programName(), "second");
  EXPECT_TRUE(manager().getDownloadInfoById(12)->sucSongs().empty());

  logIn("1");
  EXPECT_EQ(manager().fetchProgramStatusById(12), 0);
  EXPECT_EQ(manager().getDownloadedProgram(12)->programName(), "first");
  ASSERT_TRUE(manager().deleteProgram(12));
  logIn("2");
  EXPECT_EQ(manager().fetchProgramStatusById(12), 1);

  logOut();
  EXPECT_FALSE(manager().programIsExist(12));
  EXPECT_TRUE(manager().fetchProgramByStatus(-1).empty());
}

TEST_F(OfflineListTest, AUserIdWithAQuoteIsOnlyEverAValue) {
  logIn("2");
  ASSERT_TRUE(manager().insertProgram(program("8")));
  logIn("42' or '1'='1");
  ASSERT_TRUE(manager().insertProgram(program("9")));
  EXPECT_EQ(manager().getRecentlyWaitingForDownloadProgramId(), 9);
  EXPECT_EQ(idsOf(manager().fetchProgramByStatus(-1)), IdList{9});
  EXPECT_EQ(manager().getDownloadInfoById(9)->uid(), 42);
  logIn("2");
  EXPECT_EQ(idsOf(manager().fetchProgramByStatus(-1)), IdList{8});
}

TEST_F(OfflineListTest, OnlyTheProgrammesTheUserMadeAreTheirOwn) {
  logIn("900");
  ASSERT_TRUE(manager().insertProgram(program("1", {1}, "900")));
  ASSERT_TRUE(manager().insertProgram(program("2", {1}, "901")));
  EXPECT_EQ(idsOf(manager().fetchSelfProgramByStatus(0)), IdList{1});
  EXPECT_TRUE(manager().fetchSelfProgramByStatus(1).empty());
}

TEST_F(OfflineListTest, EveryReadShufflesTheSongsRepeatablyUnderASeed) {
  logIn("77");
  std::vector<int> songs(12);
  for (int index = 0; index < 12; ++index) songs[static_cast<std::size_t>(index)] = index + 1;
  ASSERT_TRUE(manager().insertProgram(program("12", songs)));

  manager().seedShuffleForTesting(7);
  auto first = songIdsOf(manager().getDownloadedProgram(12));
  auto second = songIdsOf(manager().getDownloadedProgram(12));
  EXPECT_NE(first, second);
  auto sorted = first;
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return std::stoi(a) < std::stoi(b); });
  EXPECT_EQ(sorted, (StringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));

  manager().seedShuffleForTesting(7);
  EXPECT_EQ(songIdsOf(manager().getDownloadedProgram(12)), first);
  EXPECT_EQ(songIdsOf(manager().getDownloadedProgram(12)), second);
}

TEST_F(OfflineListTest, AnUnreadableStoredCopyGivesARowWithoutProgramme) {
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("12")));
  ASSERT_TRUE(inspect(manager().getDBPath())
                  ->executeUpdate("update sync_program set program_data = ?", foundation::Bytes{'n', 'o'}));
  auto row = manager().getDownloadInfoById(12);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->program(), nullptr);
  EXPECT_EQ(row->songNum(), 3);
}

TEST_F(OfflineListTest, AFileThatIsNoDatabaseIsSetAsideAndTheListStartsAgain) {
  const std::string path = manager().getDBPath();
  const std::string garbage(4096, 'x');
  ASSERT_TRUE(foundation::FileManager::writeAtomically(path, garbage).ok());
  manager().initDBAndTable();  // a file exists: left for the first operation
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("12")));
  EXPECT_TRUE(manager().programIsExist(12));
  EXPECT_EQ(foundation::FileManager::readTextFile(path + ".corrupt").value(), garbage);
}

TEST_F(OfflineListTest, ADamagedPageIsFoundAtOpenAndTheListStartsAgain) {
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("12")));
  const std::string path = manager().getDBPath();
  DBManager::resetSharedManagerForTesting();
  auto bytes = foundation::FileManager::readFile(path).value();
  ASSERT_GE(bytes.size(), 8192u);
  std::fill(bytes.begin() + 4096, bytes.begin() + 8192, std::uint8_t{0xab});  // the table's page
  ASSERT_TRUE(foundation::FileManager::writeAtomically(path, bytes).ok());
  ASSERT_TRUE(manager().insertProgram(program("13")));
  EXPECT_TRUE(manager().programIsExist(13));
  EXPECT_TRUE(foundation::FileManager::fileExists(path + ".corrupt"));
}

TEST_F(OfflineListTest, AMissingTableIsCreatedInAnExistingFile) {
  const std::string path = manager().getDBPath();
  ASSERT_TRUE(inspect(path)->executeUpdate("create table other (n)"));
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("12")));
  EXPECT_EQ(manager().fetchProgramStatusById(12), 0);
  EXPECT_TRUE(inspect(path)->tableExists("other"));
}

TEST_F(OfflineListTest, OnAFullDiskTheListIsReadAndWritesAreRefused) {
  logIn("77");
  // Each refusal in a row says why, also when the list cannot even be made.
  auto expectRefusedWithReason = [](const std::string& programId) {
    EXPECT_FALSE(manager().insertProgram(program(programId)));
    EXPECT_NE(manager().lastErrorCode(), 0) << programId;
    EXPECT_FALSE(manager().lastErrorMessage().empty()) << programId;
  };
  {
    OfflineListDiskFull full;
    expectRefusedWithReason("12");
    expectRefusedWithReason("13");
  }
  ASSERT_TRUE(manager().insertProgram(program("12")));
  DBManager::resetSharedManagerForTesting();  // as at the next start
  {
    OfflineListDiskFull full;
    EXPECT_EQ(idsOf(manager().fetchProgramByStatus(-1)), IdList{12});
    expectRefusedWithReason("13");
    expectRefusedWithReason("14");
  }
  ASSERT_TRUE(manager().insertProgram(program("13"))) << "writes work again once there is room";
  EXPECT_EQ(idsOf(manager().fetchProgramByStatus(-1)), (IdList{12, 13}));
}

TEST_F(OfflineListTest, NowTimeIsWholeSecondsOfTheClock) {
  advanceSeconds(2.75);
  EXPECT_EQ(DBManager::nowTime(), std::to_string(kStart + 2));
}

}  // namespace
}  // namespace playback
