#include "src/playback/database/SQLDatabase.h"

#include <sqlite3.h>

#include <cassert>
#include <limits>

#include "src/playback/database/BusyRetry.h"
#include "src/playback/database/SQLResultSet.h"
#include "src/playback/database/SQLStatement.h"

namespace playback {
namespace {

// Texts and blobs are copied by SQLite: a statement may be stepped after the arguments are gone.
int bindText(sqlite3_stmt* statement, int column, const std::string& text) {
  return sqlite3_bind_text64(statement, column, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int bindValue(sqlite3_stmt* statement, int column, const foundation::Value& value) {
  using Kind = foundation::Value::Kind;
  switch (value.kind()) {
    case Kind::Null:
      return sqlite3_bind_null(statement, column);
    case Kind::Bool:
      return sqlite3_bind_int(statement, column, *value.getBool() ? 1 : 0);
    case Kind::Int:
      return sqlite3_bind_int64(statement, column, value.toInt64());
    case Kind::UInt: {
      std::uint64_t number = value.toUInt64();
      if (number <= static_cast<std::uint64_t>(std::numeric_limits<sqlite3_int64>::max())) {
        return sqlite3_bind_int64(statement, column, static_cast<sqlite3_int64>(number));
      }
      return bindText(statement, column, std::to_string(number));
    }
    case Kind::Double:
      return sqlite3_bind_double(statement, column, value.toDouble());
    case Kind::String:
      return bindText(statement, column, *value.getString());
    case Kind::Bytes: {
      const auto& bytes = *value.getBytes();
      // A non-null pointer keeps an empty blob a blob rather than NULL.
      static const std::uint8_t kEmpty = 0;
      return sqlite3_bind_blob64(statement, column, bytes.empty() ? &kEmpty : bytes.data(), bytes.size(),
                                 SQLITE_TRANSIENT);
    }
    case Kind::Date:
      return sqlite3_bind_double(statement, column, value.getDate()->secondsSince1970);
    default:
      return SQLITE_MISMATCH;  // containers and objects have no column form
  }
}

// Binds placeholders 1..n from the first n arguments; false when one is missing or refused.
bool bindArguments(sqlite3_stmt* statement, const foundation::Array& arguments) {
  int count = sqlite3_bind_parameter_count(statement);
  if (arguments.size() < static_cast<std::size_t>(count)) return false;
  for (int column = 1; column <= count; ++column) {
    if (bindValue(statement, column, arguments[static_cast<std::size_t>(column - 1)]) != SQLITE_OK) return false;
  }
  return true;
}

// Clears the in-use flag when an execute call ends, however it ends.
class UseRelease {
 public:
  explicit UseRelease(std::atomic<bool>& inUse) : inUse_(inUse) {}
  ~UseRelease() { inUse_ = false; }
  UseRelease(const UseRelease&) = delete;
  UseRelease& operator=(const UseRelease&) = delete;

 private:
  std::atomic<bool>& inUse_;
};

}  // namespace

std::shared_ptr<SQLDatabase> SQLDatabase::databaseWithPath(std::string path) {
  return std::shared_ptr<SQLDatabase>(new SQLDatabase(std::move(path)));
}

SQLDatabase::SQLDatabase(std::string path) : databasePath_(std::move(path)) {}

SQLDatabase::~SQLDatabase() { close(); }

bool SQLDatabase::open() { return openWithFlags(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); }

bool SQLDatabase::openWithFlags(int flags) {
  if (db_) return true;
  sqlite3* handle = nullptr;
  if (sqlite3_open_v2(databasePath_.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
    // The reason lives in the handle, which must go: keep it for lastErrorCode().
    openErrorCode_ = sqlite3_errcode(handle);
    openErrorMessage_ = sqlite3_errmsg(handle);
    sqlite3_close(handle);  // SQLite hands out a handle even when opening fails
    return false;
  }
  db_ = handle;
  openErrorCode_ = SQLITE_OK;
  openErrorMessage_.clear();
  return true;
}

bool SQLDatabase::close() {
  closeOpenResultSets();
  clearCachedStatements();
  if (!db_) return true;
  BusyRetry retry(busyRetryTimeout_);
  int rc = sqlite3_close(db_);
  while (rc == SQLITE_BUSY && retry.waitBeforeRetry()) rc = sqlite3_close(db_);
  if (rc == SQLITE_BUSY) return false;
  db_ = nullptr;
  inTransaction_ = false;
  return true;
}

void SQLDatabase::closeOpenResultSets() {
  for (auto& weak : openResultSets_) {
    if (auto resultSet = weak.lock()) resultSet->close();
  }
  openResultSets_.clear();
}

bool SQLDatabase::claimUse() {
  if (inUse_.exchange(true)) {
    compainAboutInUse();
    return false;
  }
  return true;
}

sqlite3_stmt* SQLDatabase::prepare(const std::string& query) {
  sqlite3_stmt* statement = nullptr;
  auto attempt = [&] {
    return sqlite3_prepare_v2(db_, query.data(), static_cast<int>(query.size()), &statement, nullptr);
  };
  BusyRetry retry(busyRetryTimeout_);
  int rc = attempt();
  while (rc == SQLITE_BUSY && retry.waitBeforeRetry()) rc = attempt();
  if (rc != SQLITE_OK) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  return statement;  // nullptr for a text without a statement (empty or only a comment)
}

std::shared_ptr<SQLStatement> SQLDatabase::usableCachedStatement(const std::string& query) const {
  if (!shouldCacheStatements_) return nullptr;
  auto found = cachedStatements_.find(query);
  if (found == cachedStatements_.end() || !found->second->statement()) return nullptr;
  // Held elsewhere means an open result set still steps through it: it cannot serve a second query.
  return found->second.use_count() == 1 ? found->second : nullptr;
}

std::shared_ptr<SQLStatement> SQLDatabase::boundStatement(const std::string& query,
                                                          const foundation::Array& arguments) {
  if (!db_) return nullptr;
  if (auto cached = usableCachedStatement(query)) {
    cached->reset();
    return bindArguments(cached->statement(), arguments) ? cached : nullptr;
  }
  sqlite3_stmt* prepared = prepare(query);
  if (!prepared) return nullptr;
  auto statement = std::make_shared<SQLStatement>(prepared, query);
  if (!bindArguments(prepared, arguments)) return nullptr;
  if (shouldCacheStatements_) setCachedStatement(statement, query);
  return statement;
}

std::shared_ptr<SQLResultSet> SQLDatabase::executeQuery(const std::string& query,
                                                        const foundation::Array& withArgumentsInArray) {
  if (!claimUse()) return nullptr;
  UseRelease release(inUse_);
  auto statement = boundStatement(query, withArgumentsInArray);
  if (!statement) return nullptr;
  auto resultSet = SQLResultSet::resultSetWithStatement(statement, shared_from_this());
  resultSet->setQuery(query);
  statement->setUseCount(statement->useCount() + 1);
  std::erase_if(openResultSets_, [](const auto& weak) { return weak.expired(); });
  openResultSets_.push_back(resultSet);
  return resultSet;
}

bool SQLDatabase::executeUpdate(const std::string& query, const foundation::Array& withArgumentsInArray) {
  if (!claimUse()) return false;
  UseRelease release(inUse_);
  auto statement = boundStatement(query, withArgumentsInArray);
  return statement && stepUpdate(*statement);
}

bool SQLDatabase::stepUpdate(SQLStatement& statement) {
  sqlite3_stmt* handle = statement.statement();
  BusyRetry retry(busyRetryTimeout_);
  int rc = sqlite3_step(handle);
  while (rc == SQLITE_BUSY && retry.waitBeforeRetry()) rc = sqlite3_step(handle);
  assert(rc != SQLITE_ROW && "rc!=SQLITE_ROW");
  statement.setUseCount(statement.useCount() + 1);
  // Reset reports the step's failure (a constraint, a busy database that never freed).
  bool succeeded = sqlite3_reset(handle) == SQLITE_OK;
  if (!shouldCacheStatements_) statement.close();
  return succeeded;
}

bool SQLDatabase::beginTransaction() {
  bool begun = executeUpdate("BEGIN EXCLUSIVE TRANSACTION;");
  if (begun) inTransaction_ = true;
  return begun;
}

bool SQLDatabase::beginDeferredTransaction() {
  bool begun = executeUpdate("BEGIN DEFERRED TRANSACTION;");
  if (begun) inTransaction_ = true;
  return begun;
}

bool SQLDatabase::commit() {
  bool done = executeUpdate("COMMIT TRANSACTION;");
  if (done) inTransaction_ = false;
  return done;
}

bool SQLDatabase::rollback() {
  bool done = executeUpdate("ROLLBACK TRANSACTION;");
  if (done) inTransaction_ = false;
  return done;
}

bool SQLDatabase::goodConnection() {
  if (!db_) return false;
  auto resultSet = executeQuery("select name from sqlite_master where type='table'");
  if (!resultSet) return false;
  resultSet->close();
  return true;
}

std::string SQLDatabase::lastErrorMessage() const { return db_ ? sqlite3_errmsg(db_) : openErrorMessage_; }

int SQLDatabase::lastErrorCode() const { return db_ ? sqlite3_errcode(db_) : openErrorCode_; }

bool SQLDatabase::hadError() const {
  int code = lastErrorCode();
  return code > SQLITE_OK && code < SQLITE_ROW;
}

std::int64_t SQLDatabase::lastInsertRowId() const {
  if (inUse_ || !db_) return 0;
  return sqlite3_last_insert_rowid(db_);
}

int SQLDatabase::changes() const { return db_ ? sqlite3_changes(db_) : 0; }

void SQLDatabase::clearCachedStatements() {
  for (auto& entry : cachedStatements_) entry.second->close();
  cachedStatements_.clear();
}

std::shared_ptr<SQLStatement> SQLDatabase::cachedStatementForQuery(const std::string& query) const {
  auto found = cachedStatements_.find(query);
  return found == cachedStatements_.end() ? nullptr : found->second;
}

void SQLDatabase::setCachedStatement(const std::shared_ptr<SQLStatement>& statement, const std::string& forQuery) {
  statement->setQuery(forQuery);
  cachedStatements_[forQuery] = statement;
}

void SQLDatabase::setShouldCacheStatements(bool value) {
  shouldCacheStatements_ = value;
  if (!value) cachedStatements_.clear();
}

std::string SQLDatabase::sqliteLibVersion() { return sqlite3_libversion(); }

bool SQLDatabase::setKey(const std::string&) { return false; }

bool SQLDatabase::rekey(const std::string&) { return false; }

}  // namespace playback
