#pragma once

#include <cstdint>
#include <string>

struct sqlite3_stmt;

namespace playback {

// One prepared statement, owned: finalised when closed or destroyed. `query` is the text it is
// filed under in its connection's statement cache, `useCount` how often it was handed out.
// Used on the thread that uses its connection.
class SQLStatement {
 public:
  SQLStatement(sqlite3_stmt* statement, std::string query);
  ~SQLStatement();
  SQLStatement(const SQLStatement&) = delete;
  SQLStatement& operator=(const SQLStatement&) = delete;

  // Finalises the statement and forgets it.
  void close();
  // Rewinds the statement so that it can run again; nothing when it was closed.
  void reset();

  sqlite3_stmt* statement() const { return statement_; }
  const std::string& query() const { return query_; }
  void setQuery(std::string query) { query_ = std::move(query); }
  std::int64_t useCount() const { return useCount_; }
  void setUseCount(std::int64_t useCount) { useCount_ = useCount; }

  // "<SQLStatement: address> N hit(s) for query Q", for logs.
  std::string description() const;

 private:
  sqlite3_stmt* statement_;
  std::string query_;
  std::int64_t useCount_ = 0;
};

}  // namespace playback
