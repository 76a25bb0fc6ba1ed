// One-value queries and schema look-ups of SQLDatabase.
#include <algorithm>
#include <cctype>

#include "src/playback/database/SQLDatabase.h"
#include "src/playback/database/SQLResultSet.h"

namespace playback {
namespace {

std::string lowerCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A name as a quoted SQL identifier, so that any text names a table and never adds SQL.
std::string quotedIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// Column 0 of the query's first row read by `read`, or `none` without a row.
template <class T, class Read>
T firstValue(SQLDatabase& database, const std::string& query, const foundation::Array& arguments, T none, Read read) {
  auto resultSet = database.executeQuery(query, arguments);
  if (!resultSet || !resultSet->next()) return none;
  T value = read(*resultSet);
  resultSet->close();
  return value;
}

}  // namespace

std::optional<std::string> SQLDatabase::stringForQuery(const std::string& query, const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, std::optional<std::string>(),
                    [](const SQLResultSet& rows) { return rows.stringForColumnIndex(0); });
}

int SQLDatabase::intForQuery(const std::string& query, const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, 0, [](const SQLResultSet& rows) { return rows.intForColumnIndex(0); });
}

std::int64_t SQLDatabase::longForQuery(const std::string& query, const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, std::int64_t{0},
                    [](const SQLResultSet& rows) { return rows.longForColumnIndex(0); });
}

bool SQLDatabase::boolForQuery(const std::string& query, const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, false,
                    [](const SQLResultSet& rows) { return rows.boolForColumnIndex(0); });
}

double SQLDatabase::doubleForQuery(const std::string& query, const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, 0.0,
                    [](const SQLResultSet& rows) { return rows.doubleForColumnIndex(0); });
}

std::optional<foundation::Bytes> SQLDatabase::dataForQuery(const std::string& query,
                                                           const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, std::optional<foundation::Bytes>(),
                    [](const SQLResultSet& rows) { return rows.dataForColumnIndex(0); });
}

std::optional<foundation::Date> SQLDatabase::dateForQuery(const std::string& query,
                                                          const foundation::Array& arguments) {
  return firstValue(*this, query, arguments, std::optional<foundation::Date>(),
                    [](const SQLResultSet& rows) { return rows.dateForColumnIndex(0); });
}

bool SQLDatabase::tableExists(const std::string& tableName) {
  auto resultSet =
      executeQuery("select [sql] from sqlite_master where [type] = 'table' and lower(name) = ?", lowerCased(tableName));
  if (!resultSet) return false;
  bool exists = resultSet->next();
  resultSet->close();
  return exists;
}

std::shared_ptr<SQLResultSet> SQLDatabase::getSchema() {
  return executeQuery(
      "SELECT type, name, tbl_name, rootpage, sql FROM (SELECT * FROM sqlite_master UNION ALL SELECT * FROM "
      "sqlite_temp_master) WHERE type != 'meta' AND name NOT LIKE 'sqlite_%' ORDER BY tbl_name, type DESC, name");
}

std::shared_ptr<SQLResultSet> SQLDatabase::getTableSchema(const std::string& tableName) {
  return executeQuery("PRAGMA table_info(" + quotedIdentifier(tableName) + ")");
}

bool SQLDatabase::columnExists(const std::string& tableName, const std::string& columnName) {
  auto resultSet = getTableSchema(lowerCased(tableName));
  if (!resultSet) return false;
  std::string wanted = lowerCased(columnName);
  while (resultSet->next()) {
    if (lowerCased(resultSet->stringForColumn("name").value_or("")) == wanted) {
      resultSet->close();
      return true;
    }
  }
  return false;
}

}  // namespace playback
