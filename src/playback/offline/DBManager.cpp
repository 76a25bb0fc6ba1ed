#include "src/playback/offline/DBManager.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "src/api/models/UserModel.h"
#include "src/playback/database/SQLDatabase.h"
#include "src/playback/database/SQLResultSet.h"

namespace playback {
namespace {

constexpr const char* kDatabaseFileName = "ZunoRadio.db";

// Kept exactly as files made by earlier versions hold it.
constexpr const char* kCreateTable =
    "CREATE TABLE sync_program (uid integer,\"program_id\" integer,\"program_data\" blob,status integer DEFAULT "
    "0,create_time integer,\"suc_songs\" text,\"fail_songs\" varchar, songs_num integer,dj_id integer,modify_time "
    "integer, PRIMARY KEY (uid, program_id))";

// The leading decimal integer of a text, as ids and counts arrive from the server: leading
// spaces and a sign allowed, anything after the digits ignored, 0 without digits.
std::int64_t integerValue(const std::optional<std::string>& text) {
  return text ? std::strtoll(text->c_str(), nullptr, 10) : 0;
}

// The logged-in user's uid, 0 when nobody is logged in. The data cache lives on the main
// thread; this runs before the manager's lock is taken, so the main thread is never the one
// waiting for the lock while this waits for it.
std::int64_t loggedInUid() {
  std::optional<std::string> uid;
  foundation::performOnMainThread(
      [&uid] {
        if (auto user = api::UserModel::getUser()) uid = user->uid();
      },
      true);
  return integerValue(uid);
}

std::int64_t nowSeconds() { return static_cast<std::int64_t>(foundation::Clock::current().wallNow().secondsSince1970); }

// The stored list "12,34": a NULL column is no song, an empty text one empty entry.
std::vector<std::string> splitSongIds(const std::optional<std::string>& text) {
  std::vector<std::string> ids;
  if (!text) return ids;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text->find(',', start)) != std::string::npos; start = comma + 1) {
    ids.push_back(text->substr(start, comma - start));
  }
  ids.push_back(text->substr(start));
  return ids;
}

std::string joinSongIds(const std::vector<std::string>& ids) {
  std::string joined;
  for (std::size_t index = 0; index < ids.size(); ++index) joined += (index ? "," : "") + ids[index];
  return joined;
}

bool isNotADatabase(int code) { return code == SQLITE_NOTADB || code == SQLITE_CORRUPT; }

// A file with one damaged page opens as good and then fails every write: it is checked at open.
// A busy or locked file is not damaged.
bool isDamaged(SQLDatabase& db) {
  if (!db.goodConnection()) return isNotADatabase(db.lastErrorCode());
  auto verdict = db.stringForQuery("PRAGMA quick_check");
  if (!verdict) return isNotADatabase(db.lastErrorCode());
  return *verdict != "ok";
}

// The first read of a write-ahead-log database makes its shared index file anew after the last
// connection closed, which takes room on the disk: on a full disk it fails with an I/O error.
bool isIndexUnavailable(int code) { return code == SQLITE_IOERR || code == SQLITE_FULL; }

// A connection that can read the file without room on the disk: when the shared index cannot be
// made, one that keeps the index in its own memory. That takes the file for this connection
// alone until it closes (the offline list has no other), and its writes fail as any write on a
// full disk does. It comes back closed when the file cannot be opened, with the reason.
std::shared_ptr<SQLDatabase> openReadable(const std::string& path) {
  auto db = SQLDatabase::databaseWithPath(path);
  if (!db->open() || db->goodConnection() || !isIndexUnavailable(db->lastErrorCode())) return db;
  db->close();
  if (db->open()) (void)db->stringForQuery("PRAGMA locking_mode=EXCLUSIVE");
  return db;
}

std::unique_ptr<DBManager>& sharedInstance() {
  static foundation::NoDestructor<std::unique_ptr<DBManager>> instance;
  return *instance;
}

std::mutex& sharedInstanceMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

DBManager& DBManager::sharedManager() {
  std::lock_guard lock(sharedInstanceMutex());
  auto& instance = sharedInstance();
  if (!instance) instance.reset(new DBManager());
  return *instance;
}

void DBManager::resetSharedManagerForTesting() {
  std::lock_guard lock(sharedInstanceMutex());
  sharedInstance().reset();
}

DBManager::DBManager() : random_(std::random_device{}()) {}

DBManager::~DBManager() {
  if (db_) db_->close();
}

void DBManager::seedShuffleForTesting(std::uint32_t seed) {
  std::lock_guard lock(mutex_);
  random_.seed(seed);
}

std::string DBManager::lastErrorMessage() const {
  std::lock_guard lock(mutex_);
  return db_ ? db_->lastErrorMessage() : openErrorMessage_;
}

int DBManager::lastErrorCode() const {
  std::lock_guard lock(mutex_);
  return db_ ? db_->lastErrorCode() : openErrorCode_;
}

std::string DBManager::getDBPath() const {
  return foundation::Paths::appendingPathComponent(foundation::Paths::documentsDirectory(), kDatabaseFileName);
}

void DBManager::initDBAndTable() {
  std::lock_guard lock(mutex_);
  if (!foundation::FileManager::fileExists(getDBPath())) openLocked();
}

bool DBManager::openDB() {
  std::lock_guard lock(mutex_);
  return openLocked();
}

bool DBManager::refuseOpen(int code, std::string message) {
  openErrorCode_ = code;
  openErrorMessage_ = std::move(message);
  return false;
}

bool DBManager::refuseOpen(const SQLDatabase& db) { return refuseOpen(db.lastErrorCode(), db.lastErrorMessage()); }

bool DBManager::openLocked() {
  if (db_) return true;
  const std::string path = getDBPath();
  auto db = openReadable(path);
  if (!db->db()) return refuseOpen(*db);
  if (isDamaged(*db)) {
    // Keep the damaged file for inspection and start a new list the sync can fill again.
    db->close();
    auto setAside = foundation::FileManager::moveItem(path, path + ".corrupt");
    if (!setAside.ok()) return refuseOpen(SQLITE_CANTOPEN, setAside.error()->description());
    if (!db->open()) return refuseOpen(*db);
  }
  if (!db->tableExists("sync_program") && !db->executeUpdate(kCreateTable)) return refuseOpen(*db);
  // Every downloaded song is recorded: a write-ahead log synced at checkpoints keeps that from
  // costing a disk flush per song. A record lost to a power cut is made again from the song
  // files on disk the next time the programme starts.
  // The mode changes only when the statement is stepped: a query left unread would keep the
  // rollback journal and its three flushes per write.
  (void)db->stringForQuery("PRAGMA journal_mode=WAL");
  (void)db->executeUpdate("PRAGMA synchronous=NORMAL");
  db_ = std::move(db);
  openErrorCode_ = SQLITE_OK;
  openErrorMessage_.clear();
  return true;
}

bool DBManager::insertProgram(const api::ProgramModelPtr& program) {
  std::int64_t uid = loggedInUid();
  if (!program) return false;
  auto archived = program->getArchivedData();
  if (!archived.ok()) return false;
  std::lock_guard lock(mutex_);
  return openLocked() &&
         db_->executeUpdate(
             "INSERT OR REPLACE into sync_program (uid, program_id, create_time, program_data, songs_num, dj_id, "
             "modify_time) values (?, ?, ?, ?, ?, ?, ?)",
             uid, integerValue(program->programId()), nowSeconds(), *archived, integerValue(program->songNum()),
             integerValue(program->uid()), integerValue(program->modifyTime()));
}

DownloadDataModelPtr DBManager::getDownloadInfoById(std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  return openLocked() ? getDownloadInfoLocked(uid, programId) : nullptr;
}

DownloadDataModelPtr DBManager::getDownloadInfoLocked(std::int64_t uid, std::int64_t programId) {
  auto rows =
      rowsLocked(db_->executeQuery("select * from sync_program where program_id = ? and uid = ?", programId, uid));
  return rows.empty() ? nullptr : rows.front();
}

api::ProgramModelPtr DBManager::getDownloadedProgram(std::int64_t programId) {
  auto row = getDownloadInfoById(programId);
  return row ? row->program() : nullptr;
}

bool DBManager::deleteProgram(std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  return openLocked() &&
         db_->executeUpdate("delete from sync_program where uid = ? and program_id = ?", uid, programId);
}

bool DBManager::addSucSongsId(std::int64_t songId, std::int64_t withProgramId) {
  return addSongId("suc_songs", songId, withProgramId);
}

bool DBManager::addSongId(const std::string& column, std::int64_t songId, std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return false;
  auto rows =
      db_->executeQuery("select " + column + " from sync_program where program_id = ? and uid = ?", programId, uid);
  if (!rows || !rows->next()) return false;
  std::vector<std::string> songs = splitSongIds(rows->stringForColumnIndex(0));
  rows->close();
  const std::string song = std::to_string(songId);
  if (std::find(songs.begin(), songs.end(), song) != songs.end()) return false;
  songs.push_back(song);
  return db_->executeUpdate("update sync_program set " + column + " = ? where program_id = ? and uid = ?",
                            joinSongIds(songs), programId, uid);
}

bool DBManager::updateProgramStatusToCompleteWithProgramId(std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  return openLocked() &&
         db_->executeUpdate("update sync_program set status = 1 where program_id = ? and uid = ?", programId, uid);
}

bool DBManager::programIsExist(std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return false;
  auto rows = db_->executeQuery("select program_id from sync_program where uid = ? and program_id = ?", uid, programId);
  bool exists = rows && rows->next();
  if (rows) rows->close();
  return exists;
}

std::int64_t DBManager::getRecentlyWaitingForDownloadProgramId() {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return 0;
  return db_->longForQuery(
      "select program_id from sync_program where status = 0 and uid = ? order by create_time, rowid", uid);
}

std::vector<DownloadDataModelPtr> DBManager::fetchProgramByStatus(std::int64_t status) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return {};
  if (status == -1) {
    return rowsLocked(
        db_->executeQuery("select * from sync_program where uid = ? order by status, create_time, rowid", uid));
  }
  return rowsLocked(db_->executeQuery(
      "select * from sync_program where status = ? and uid = ? order by create_time, rowid", status, uid));
}

std::vector<DownloadDataModelPtr> DBManager::fetchSelfProgramByStatus(std::int64_t status) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return {};
  return rowsLocked(db_->executeQuery(
      "select * from sync_program where status = ? and uid = ? and dj_id = ? order by create_time, rowid", status, uid,
      uid));
}

std::vector<std::string> DBManager::fetchProgramIdByUserId(const std::string& /*uid*/) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  std::vector<std::string> ids;
  if (!openLocked()) return ids;
  auto rows = db_->executeQuery("select program_id from sync_program where uid = ? order by create_time, rowid", uid);
  while (rows && rows->next()) ids.push_back(std::to_string(rows->longLongIntForColumnIndex(0)));
  return ids;
}

std::int64_t DBManager::fetchProgramStatusById(std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return -1;
  auto rows = db_->executeQuery("select status from sync_program where uid = ? and program_id = ?", uid, programId);
  if (!rows || !rows->next()) return -1;
  std::int64_t status = rows->longLongIntForColumnIndex(0);
  rows->close();
  return status;
}

std::string DBManager::fetchDownloadFailSongsWithProgramId(std::int64_t programId) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  if (!openLocked()) return {};
  return db_->stringForQuery("select fail_songs from sync_program where program_id = ? and uid = ?", programId, uid)
      .value_or("");
}

bool DBManager::updateProgramStatusToSyncProgramId(std::int64_t programId, std::int64_t modifyTime) {
  std::int64_t uid = loggedInUid();
  std::lock_guard lock(mutex_);
  return openLocked() &&
         db_->executeUpdate(
             "update sync_program set status = 0, suc_songs = '', modify_time = ? where program_id = ? and uid = ?",
             modifyTime, programId, uid);
}

std::string DBManager::nowTime() { return std::to_string(static_cast<unsigned long long>(nowSeconds())); }

std::vector<DownloadDataModelPtr> DBManager::rowsLocked(const std::shared_ptr<SQLResultSet>& rows) {
  std::vector<DownloadDataModelPtr> models;
  while (rows && rows->next()) models.push_back(parseRow(*rows));
  return models;
}

DownloadDataModelPtr DBManager::parseRow(SQLResultSet& row) {
  auto model = std::make_shared<DownloadDataModel>();
  model->setUid(row.longLongIntForColumn("uid"));
  model->setProgramId(row.longLongIntForColumn("program_id"));
  model->setStatus(row.longLongIntForColumn("status"));
  model->setSongNum(row.intForColumn("songs_num"));
  model->setProgram(unarchivedProgram(row));
  model->setModifyTime(row.stringForColumn("create_time"));
  model->setSucSongs(splitSongIds(row.stringForColumn("suc_songs")));
  return model;
}

// The stored programme with its songs in a fresh random order; nullptr when it cannot be read.
api::ProgramModelPtr DBManager::unarchivedProgram(SQLResultSet& row) {
  auto data = row.dataForColumn("program_data");
  if (!data) return nullptr;
  auto unarchived = foundation::KeyedArchive::unarchiveObject(*data);
  auto program = unarchived.ok() ? unarchived->objectAs<api::ProgramModel>() : nullptr;
  if (!program) return nullptr;
  auto songs = program->songsArr();
  std::shuffle(songs.begin(), songs.end(), random_);
  program->setSongsArr(std::move(songs));
  return program;
}

}  // namespace playback
