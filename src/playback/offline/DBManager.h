#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "src/api/models/ProgramModel.h"
#include "src/playback/offline/DownloadDataModel.h"

namespace playback {

class SQLDatabase;
class SQLResultSet;

// The offline list of every user of the device, in "ZunoRadio.db" in the Documents folder: one
// row per (user, programme) holding the archived programme, its download status (0 waiting,
// 1 complete) and the ids of the songs already downloaded. Every operation is scoped to the
// logged-in user (uid 0 when nobody is logged in). Callable from any thread: one lock
// serialises the operations, and the logged-in user is read on the main thread before the
// lock is taken, so the main loop must be running while other threads call in.
// A failed statement answers like an empty one (false, nullptr, an empty list, 0 or -1).
class DBManager {
 public:
  static DBManager& sharedManager();
  ~DBManager();
  DBManager(const DBManager&) = delete;
  DBManager& operator=(const DBManager&) = delete;

  // At launch: creates the database file with its table when there is no file yet.
  void initDBAndTable();
  // Opens the connection when it is not open; also creates a missing table, and replaces a
  // file that is not a database or is damaged (kept aside as "ZunoRadio.db.corrupt") with a new one.
  bool openDB();
  // The database's text and result code for the last statement, so that a caller told NO can
  // tell why (a full disk, a damaged file); while the list cannot be opened, why not (empty and
  // 0 before the first attempt).
  std::string lastErrorMessage() const;
  int lastErrorCode() const;
  // Documents folder + "ZunoRadio.db".
  std::string getDBPath() const;

  // Stores the programme (with its songs) as waiting, replacing any row of it: the status goes
  // back to 0 and the downloaded songs are forgotten.
  bool insertProgram(const api::ProgramModelPtr& program);
  // The row of the programme, its songs in a fresh random order; nullptr when there is none.
  DownloadDataModelPtr getDownloadInfoById(std::int64_t programId);
  // The stored copy of the programme; nullptr when there is none.
  api::ProgramModelPtr getDownloadedProgram(std::int64_t programId);
  // True also when there was no such row.
  bool deleteProgram(std::int64_t programId);
  // Records a downloaded song; false when the programme has no row or the song is recorded.
  bool addSucSongsId(std::int64_t songId, std::int64_t withProgramId);
  bool updateProgramStatusToCompleteWithProgramId(std::int64_t programId);
  bool programIsExist(std::int64_t programId);
  // The waiting programme stored first; 0 when none waits.
  std::int64_t getRecentlyWaitingForDownloadProgramId();
  // The rows with the status, oldest first; with -1 every row, waiting ones before complete ones.
  std::vector<DownloadDataModelPtr> fetchProgramByStatus(std::int64_t status);
  // The programme ids as decimal texts, oldest first. Always the logged-in user's: its callers
  // pass that uid.
  std::vector<std::string> fetchProgramIdByUserId(const std::string& uid);
  // The programme's status; -1 when it has no row.
  std::int64_t fetchProgramStatusById(std::int64_t programId);
  // The rows with the status of the programmes the user made, oldest first.
  std::vector<DownloadDataModelPtr> fetchSelfProgramByStatus(std::int64_t status);
  // The row's fail_songs text; empty when there is no row or no text.
  std::string fetchDownloadFailSongsWithProgramId(std::int64_t programId);
  // Marks the row waiting again with no downloaded songs and the given modify time.
  bool updateProgramStatusToSyncProgramId(std::int64_t programId, std::int64_t modifyTime);
  // The current time as whole seconds since 1970, in decimal.
  static std::string nowTime();

  // Test hooks: make the song order of the following reads repeatable; forget the shared
  // manager (closing its connection) so that the next one opens the database afresh.
  void seedShuffleForTesting(std::uint32_t seed);
  static void resetSharedManagerForTesting();

 private:
  DBManager();

  bool openLocked();
  // Keeps why the list could not be opened, since the connection that failed is let go; false.
  bool refuseOpen(int code, std::string message);
  bool refuseOpen(const SQLDatabase& db);
  // Adds the song id to the row's id list in `column` (one of the two song-list columns).
  bool addSongId(const std::string& column, std::int64_t songId, std::int64_t programId);
  bool createTableLocked();
  DownloadDataModelPtr getDownloadInfoLocked(std::int64_t uid, std::int64_t programId);
  std::vector<DownloadDataModelPtr> rowsLocked(const std::shared_ptr<SQLResultSet>& rows);
  DownloadDataModelPtr parseRow(SQLResultSet& row);
  api::ProgramModelPtr unarchivedProgram(SQLResultSet& row);

  mutable std::mutex mutex_;
  std::shared_ptr<SQLDatabase> db_;
  int openErrorCode_ = 0;
  std::string openErrorMessage_;
  std::mt19937 random_;
};

}  // namespace playback
