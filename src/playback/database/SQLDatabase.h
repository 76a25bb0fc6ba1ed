#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace playback {

class SQLResultSet;
class SQLStatement;

// One SQLite connection. Statements take positional arguments ("?") bound from values: null,
// bool, integers, reals, texts, bytes (blob) and dates (seconds since 1970 as a real); every
// failure answers nullptr, nullopt, false or 0 and leaves the reason in lastErrorCode().
// One thread at a time uses a connection; a call made while another thread is inside an
// execute call on it is refused at once (compainAboutInUse), never waited for.
class SQLDatabase : public std::enable_shared_from_this<SQLDatabase> {
 public:
  // A closed connection for the file at `path`; nothing is opened yet.
  static std::shared_ptr<SQLDatabase> databaseWithPath(std::string path);
  virtual ~SQLDatabase();
  SQLDatabase(const SQLDatabase&) = delete;
  SQLDatabase& operator=(const SQLDatabase&) = delete;

  // Opens the file, creating it when missing. True also when already open.
  bool open();
  // Opens with the given SQLite open flags.
  bool openWithFlags(int flags);
  // Closes open result sets and cached statements, then the connection; false only when the
  // database stayed busy past the retry limit.
  bool close();

  // Runs a query; its rows are read with next(). nullptr on failure, when fewer arguments than
  // placeholders are given, or when refused because the connection is in use.
  std::shared_ptr<SQLResultSet> executeQuery(const std::string& query, const foundation::Array& withArgumentsInArray);
  template <class... Arguments>
  std::shared_ptr<SQLResultSet> executeQuery(const std::string& query, const Arguments&... arguments) {
    return executeQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  // Runs a statement that yields no rows; true on success.
  bool executeUpdate(const std::string& query, const foundation::Array& withArgumentsInArray);
  template <class... Arguments>
  bool executeUpdate(const std::string& query, const Arguments&... arguments) {
    return executeUpdate(query, foundation::Array{foundation::Value(arguments)...});
  }

  bool beginTransaction();
  bool beginDeferredTransaction();
  bool commit();
  bool rollback();

  // Whether the connection is open and can read its schema.
  bool goodConnection();
  // The connection's last error; without a connection, why the last open failed (0 when it
  // did not).
  std::string lastErrorMessage() const;
  int lastErrorCode() const;
  // Whether the last result code is an error (1 to 99).
  bool hadError() const;
  // 0 while an execute call is in progress.
  std::int64_t lastInsertRowId() const;
  int changes() const;

  void clearCachedStatements();
  std::shared_ptr<SQLStatement> cachedStatementForQuery(const std::string& query) const;
  void setCachedStatement(const std::shared_ptr<SQLStatement>& statement, const std::string& forQuery);

  // An execute call is in progress or a transaction is open.
  bool inUse() const { return inUse_ || inTransaction_; }
  // Called when a statement is refused because another execute call is in progress.
  virtual void compainAboutInUse() {}

  static std::string sqliteLibVersion();
  // Encryption is not supported: both always answer false.
  bool setKey(const std::string& key);
  bool rekey(const std::string& key);

  // --- additions: one-value queries and schema look-ups ---
  // Each runs the query and reads column 0 of its first row; nothing, 0 or false without a row.
  std::optional<std::string> stringForQuery(const std::string& query, const foundation::Array& arguments);
  int intForQuery(const std::string& query, const foundation::Array& arguments);
  std::int64_t longForQuery(const std::string& query, const foundation::Array& arguments);
  bool boolForQuery(const std::string& query, const foundation::Array& arguments);
  double doubleForQuery(const std::string& query, const foundation::Array& arguments);
  std::optional<foundation::Bytes> dataForQuery(const std::string& query, const foundation::Array& arguments);
  std::optional<foundation::Date> dateForQuery(const std::string& query, const foundation::Array& arguments);
  template <class... Arguments>
  std::optional<std::string> stringForQuery(const std::string& query, const Arguments&... arguments) {
    return stringForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  template <class... Arguments>
  int intForQuery(const std::string& query, const Arguments&... arguments) {
    return intForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  template <class... Arguments>
  std::int64_t longForQuery(const std::string& query, const Arguments&... arguments) {
    return longForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  template <class... Arguments>
  bool boolForQuery(const std::string& query, const Arguments&... arguments) {
    return boolForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  template <class... Arguments>
  double doubleForQuery(const std::string& query, const Arguments&... arguments) {
    return doubleForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  template <class... Arguments>
  std::optional<foundation::Bytes> dataForQuery(const std::string& query, const Arguments&... arguments) {
    return dataForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  template <class... Arguments>
  std::optional<foundation::Date> dateForQuery(const std::string& query, const Arguments&... arguments) {
    return dateForQuery(query, foundation::Array{foundation::Value(arguments)...});
  }
  // Whether a table of that name exists (case-insensitive).
  bool tableExists(const std::string& tableName);
  // Every table, index, view and trigger, ordered by table, type and name.
  std::shared_ptr<SQLResultSet> getSchema();
  // One row per column of the table (PRAGMA table_info).
  std::shared_ptr<SQLResultSet> getTableSchema(const std::string& tableName);
  bool columnExists(const std::string& tableName, const std::string& columnName);

  // --- fields ---
  sqlite3* db() const { return db_; }
  const std::string& databasePath() const { return databasePath_; }
  bool inTransaction() const { return inTransaction_; }
  bool logsErrors() const { return logsErrors_; }
  void setLogsErrors(bool value) { logsErrors_ = value; }
  bool crashOnErrors() const { return crashOnErrors_; }
  void setCrashOnErrors(bool value) { crashOnErrors_ = value; }
  bool traceExecution() const { return traceExecution_; }
  void setTraceExecution(bool value) { traceExecution_ = value; }
  bool checkedOut() const { return checkedOut_; }
  void setCheckedOut(bool value) { checkedOut_ = value; }
  // Retries on a busy database; 0 retries without limit.
  int busyRetryTimeout() const { return busyRetryTimeout_; }
  void setBusyRetryTimeout(int value) { busyRetryTimeout_ = value; }
  bool shouldCacheStatements() const { return shouldCacheStatements_; }
  // True keeps prepared statements per query text; false drops the cache.
  void setShouldCacheStatements(bool value);
  const std::map<std::string, std::shared_ptr<SQLStatement>>& cachedStatements() const { return cachedStatements_; }

 protected:
  explicit SQLDatabase(std::string path);

 private:
  // Claims the connection for one execute call, or complains and answers false when it is taken.
  bool claimUse();
  // The statement for the query with its arguments bound, from the cache or newly prepared.
  std::shared_ptr<SQLStatement> boundStatement(const std::string& query, const foundation::Array& arguments);
  std::shared_ptr<SQLStatement> usableCachedStatement(const std::string& query) const;
  sqlite3_stmt* prepare(const std::string& query);
  bool stepUpdate(SQLStatement& statement);
  void closeOpenResultSets();

  sqlite3* db_ = nullptr;
  std::string databasePath_;
  bool logsErrors_ = false;
  bool crashOnErrors_ = false;
  std::atomic<bool> inUse_ = false;
  bool inTransaction_ = false;
  bool traceExecution_ = false;
  bool checkedOut_ = false;
  int busyRetryTimeout_ = 0;
  bool shouldCacheStatements_ = false;
  std::map<std::string, std::shared_ptr<SQLStatement>> cachedStatements_;
  // Result sets handed out and maybe still open: closed before the connection closes, so that
  // no unfinished statement keeps the connection from closing.
  std::vector<std::weak_ptr<SQLResultSet>> openResultSets_;
  // Why the last open failed, read from the handle before it was let go.
  int openErrorCode_ = 0;
  std::string openErrorMessage_;
};

}  // namespace playback
