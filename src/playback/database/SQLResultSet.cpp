#include "src/playback/database/SQLResultSet.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "src/playback/database/BusyRetry.h"
#include "src/playback/database/SQLDatabase.h"
#include "src/playback/database/SQLStatement.h"

namespace playback {
namespace {

std::string lowerCased(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

std::shared_ptr<SQLResultSet> SQLResultSet::resultSetWithStatement(
    std::shared_ptr<SQLStatement> statement, const std::shared_ptr<SQLDatabase>& usingParentDatabase) {
  return std::shared_ptr<SQLResultSet>(new SQLResultSet(std::move(statement), usingParentDatabase));
}

SQLResultSet::SQLResultSet(std::shared_ptr<SQLStatement> statement, std::weak_ptr<SQLDatabase> parentDB)
    : parentDB_(std::move(parentDB)), statement_(std::move(statement)) {}

SQLResultSet::~SQLResultSet() { close(); }

bool SQLResultSet::next() {
  auto parent = parentDB_.lock();
  if (!statement_ || !statement_->statement() || !parent) {
    close();
    return false;
  }
  BusyRetry retry(parent->busyRetryTimeout());
  int rc = sqlite3_step(statement_->statement());
  while (rc == SQLITE_BUSY && retry.waitBeforeRetry()) rc = sqlite3_step(statement_->statement());
  onRow_ = rc == SQLITE_ROW;
  if (!onRow_) close();
  return onRow_;
}

void SQLResultSet::close() {
  if (statement_) statement_->reset();
  statement_.reset();
  parentDB_.reset();
  onRow_ = false;
}

void SQLResultSet::setupColumnNames() {
  if (columnNamesSetup_ || !statement_ || !statement_->statement()) return;
  int count = sqlite3_column_count(statement_->statement());
  for (int index = 0; index < count; ++index) {
    columnNameToIndexMap_[lowerCased(sqlite3_column_name(statement_->statement(), index))] = index;
  }
  columnNamesSetup_ = true;
}

int SQLResultSet::columnIndexForName(std::string_view columnName) {
  setupColumnNames();
  auto found = columnNameToIndexMap_.find(lowerCased(columnName));
  return found == columnNameToIndexMap_.end() ? -1 : found->second;
}

std::string SQLResultSet::columnNameForIndex(int columnIndex) const {
  if (!statement_ || !statement_->statement()) return {};
  if (columnIndex < 0 || columnIndex >= sqlite3_column_count(statement_->statement())) return {};
  return sqlite3_column_name(statement_->statement(), columnIndex);
}

bool SQLResultSet::hasColumn(int columnIndex) const {
  return onRow_ && statement_ && statement_->statement() && columnIndex >= 0 &&
         columnIndex < sqlite3_column_count(statement_->statement());
}

int SQLResultSet::intForColumnIndex(int columnIndex) const {
  return hasColumn(columnIndex) ? sqlite3_column_int(statement_->statement(), columnIndex) : 0;
}

std::int64_t SQLResultSet::longForColumnIndex(int columnIndex) const { return longLongIntForColumnIndex(columnIndex); }

std::int64_t SQLResultSet::longLongIntForColumnIndex(int columnIndex) const {
  return hasColumn(columnIndex) ? sqlite3_column_int64(statement_->statement(), columnIndex) : 0;
}

double SQLResultSet::doubleForColumnIndex(int columnIndex) const {
  return hasColumn(columnIndex) ? sqlite3_column_double(statement_->statement(), columnIndex) : 0;
}

bool SQLResultSet::boolForColumnIndex(int columnIndex) const { return intForColumnIndex(columnIndex) != 0; }

bool SQLResultSet::columnIndexIsNull(int columnIndex) const {
  return !hasColumn(columnIndex) || sqlite3_column_type(statement_->statement(), columnIndex) == SQLITE_NULL;
}

const char* SQLResultSet::UTF8StringForColumnIndex(int columnIndex) const {
  if (columnIndexIsNull(columnIndex)) return nullptr;
  return reinterpret_cast<const char*>(sqlite3_column_text(statement_->statement(), columnIndex));
}

std::optional<std::string> SQLResultSet::stringForColumnIndex(int columnIndex) const {
  const char* text = UTF8StringForColumnIndex(columnIndex);
  if (!text) return std::nullopt;
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_->statement(), columnIndex)));
}

std::optional<foundation::Date> SQLResultSet::dateForColumnIndex(int columnIndex) const {
  if (columnIndexIsNull(columnIndex)) return std::nullopt;
  return foundation::Date{doubleForColumnIndex(columnIndex)};
}

std::optional<std::span<const std::uint8_t>> SQLResultSet::dataNoCopyForColumnIndex(int columnIndex) const {
  if (columnIndexIsNull(columnIndex)) return std::nullopt;
  auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_->statement(), columnIndex));
  auto length = static_cast<std::size_t>(sqlite3_column_bytes(statement_->statement(), columnIndex));
  return std::span<const std::uint8_t>(bytes, bytes ? length : 0);
}

std::optional<foundation::Bytes> SQLResultSet::dataForColumnIndex(int columnIndex) const {
  auto bytes = dataNoCopyForColumnIndex(columnIndex);
  if (!bytes) return std::nullopt;
  return foundation::Bytes(bytes->begin(), bytes->end());
}

int SQLResultSet::intForColumn(std::string_view columnName) {
  return intForColumnIndex(columnIndexForName(columnName));
}
std::int64_t SQLResultSet::longForColumn(std::string_view columnName) {
  return longForColumnIndex(columnIndexForName(columnName));
}
std::int64_t SQLResultSet::longLongIntForColumn(std::string_view columnName) {
  return longLongIntForColumnIndex(columnIndexForName(columnName));
}
double SQLResultSet::doubleForColumn(std::string_view columnName) {
  return doubleForColumnIndex(columnIndexForName(columnName));
}
bool SQLResultSet::boolForColumn(std::string_view columnName) {
  return boolForColumnIndex(columnIndexForName(columnName));
}
std::optional<std::string> SQLResultSet::stringForColumn(std::string_view columnName) {
  return stringForColumnIndex(columnIndexForName(columnName));
}
std::optional<foundation::Date> SQLResultSet::dateForColumn(std::string_view columnName) {
  return dateForColumnIndex(columnIndexForName(columnName));
}
std::optional<foundation::Bytes> SQLResultSet::dataForColumn(std::string_view columnName) {
  return dataForColumnIndex(columnIndexForName(columnName));
}
std::optional<std::span<const std::uint8_t>> SQLResultSet::dataNoCopyForColumn(std::string_view columnName) {
  return dataNoCopyForColumnIndex(columnIndexForName(columnName));
}
const char* SQLResultSet::UTF8StringForColumnName(std::string_view columnName) {
  return UTF8StringForColumnIndex(columnIndexForName(columnName));
}
bool SQLResultSet::columnIsNull(std::string_view columnName) {
  return columnIndexIsNull(columnIndexForName(columnName));
}

std::optional<foundation::Dictionary> SQLResultSet::resultDict() const {
  if (!onRow_ || !statement_ || sqlite3_data_count(statement_->statement()) == 0) return std::nullopt;
  foundation::Dictionary row;
  int count = sqlite3_column_count(statement_->statement());
  for (int index = 0; index < count; ++index) {
    switch (sqlite3_column_type(statement_->statement(), index)) {
      case SQLITE_INTEGER:
        row.set(columnNameForIndex(index), longLongIntForColumnIndex(index));
        break;
      case SQLITE_FLOAT:
        row.set(columnNameForIndex(index), doubleForColumnIndex(index));
        break;
      case SQLITE_TEXT:
        row.set(columnNameForIndex(index), *stringForColumnIndex(index));
        break;
      case SQLITE_BLOB:
        row.set(columnNameForIndex(index), *dataForColumnIndex(index));
        break;
      default:
        break;  // NULL columns are left out
    }
  }
  return row;
}

void SQLResultSet::kvcMagic(
    const std::function<void(const std::string& key, const std::string& value)>& setValueForKey) const {
  if (!onRow_ || !statement_) return;
  int count = sqlite3_column_count(statement_->statement());
  for (int index = 0; index < count; ++index) {
    if (auto text = stringForColumnIndex(index)) setValueForKey(columnNameForIndex(index), *text);
  }
}

bool SQLResultSet::hasAnotherRow() const {
  auto parent = parentDB_.lock();
  return parent && parent->lastErrorCode() == SQLITE_ROW;
}

}  // namespace playback
