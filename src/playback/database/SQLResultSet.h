#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace playback {

class SQLDatabase;
class SQLStatement;

// The rows of one query, read one at a time: `next` steps to the next row, the readers take a
// column of the current row by index or by name (case-insensitive). Closed at the end of the
// rows, by `close`, by its connection's close, or when destroyed. Readers of a column that does
// not exist, or called without a current row, answer nothing (nullopt, nullptr or 0).
// Used on the thread that uses its connection.
class SQLResultSet {
 public:
  static std::shared_ptr<SQLResultSet> resultSetWithStatement(std::shared_ptr<SQLStatement> statement,
                                                              const std::shared_ptr<SQLDatabase>& usingParentDatabase);
  ~SQLResultSet();
  SQLResultSet(const SQLResultSet&) = delete;
  SQLResultSet& operator=(const SQLResultSet&) = delete;

  // Moves to the next row: true while there is one; at the end or on an error closes and answers false.
  bool next();
  // Rewinds and releases the statement and forgets the connection.
  void close();

  // Index of the column whose name matches case-insensitively, -1 when there is none.
  int columnIndexForName(std::string_view columnName);
  // The column's name, empty when the index is out of range.
  std::string columnNameForIndex(int columnIndex) const;

  int intForColumnIndex(int columnIndex) const;
  std::int64_t longForColumnIndex(int columnIndex) const;
  std::int64_t longLongIntForColumnIndex(int columnIndex) const;
  double doubleForColumnIndex(int columnIndex) const;
  bool boolForColumnIndex(int columnIndex) const;
  std::optional<std::string> stringForColumnIndex(int columnIndex) const;
  std::optional<foundation::Date> dateForColumnIndex(int columnIndex) const;
  std::optional<foundation::Bytes> dataForColumnIndex(int columnIndex) const;
  // The blob in place: valid until the next step or close.
  std::optional<std::span<const std::uint8_t>> dataNoCopyForColumnIndex(int columnIndex) const;
  // The raw UTF-8 text in place, valid until the next step or close; nullptr for NULL.
  const char* UTF8StringForColumnIndex(int columnIndex) const;
  bool columnIndexIsNull(int columnIndex) const;

  int intForColumn(std::string_view columnName);
  std::int64_t longForColumn(std::string_view columnName);
  std::int64_t longLongIntForColumn(std::string_view columnName);
  double doubleForColumn(std::string_view columnName);
  bool boolForColumn(std::string_view columnName);
  std::optional<std::string> stringForColumn(std::string_view columnName);
  std::optional<foundation::Date> dateForColumn(std::string_view columnName);
  std::optional<foundation::Bytes> dataForColumn(std::string_view columnName);
  std::optional<std::span<const std::uint8_t>> dataNoCopyForColumn(std::string_view columnName);
  const char* UTF8StringForColumnName(std::string_view columnName);
  bool columnIsNull(std::string_view columnName);

  // The current row as column name -> value (integers 64-bit, reals, texts, blobs); NULL columns
  // are left out. nullopt when there is no current row.
  std::optional<foundation::Dictionary> resultDict() const;
  // Hands each non-NULL column's text to `setValueForKey` under the column's name.
  void kvcMagic(const std::function<void(const std::string& key, const std::string& value)>& setValueForKey) const;
  // Whether the connection's last answer was "row".
  bool hasAnotherRow() const;

  std::shared_ptr<SQLDatabase> parentDB() const { return parentDB_.lock(); }
  const std::shared_ptr<SQLStatement>& statement() const { return statement_; }
  const std::string& query() const { return query_; }
  void setQuery(std::string query) { query_ = std::move(query); }

 private:
  SQLResultSet(std::shared_ptr<SQLStatement> statement, std::weak_ptr<SQLDatabase> parentDB);
  // Whether there is a current row and it has this column.
  bool hasColumn(int columnIndex) const;
  void setupColumnNames();

  std::weak_ptr<SQLDatabase> parentDB_;
  std::shared_ptr<SQLStatement> statement_;
  std::string query_;
  std::map<std::string, int> columnNameToIndexMap_;
  bool columnNamesSetup_ = false;
  bool onRow_ = false;
};

}  // namespace playback
