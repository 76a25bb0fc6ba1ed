#include "src/playback/database/SQLStatement.h"

#include <sqlite3.h>

#include <cstdio>

namespace playback {

SQLStatement::SQLStatement(sqlite3_stmt* statement, std::string query)
    : statement_(statement), query_(std::move(query)) {}

SQLStatement::~SQLStatement() { close(); }

void SQLStatement::close() {
  if (statement_) sqlite3_finalize(statement_);
  statement_ = nullptr;
}

void SQLStatement::reset() {
  if (statement_) sqlite3_reset(statement_);
}

std::string SQLStatement::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  return "<SQLStatement: " + std::string(address) + "> " + std::to_string(useCount_) + " hit(s) for query " + query_;
}

}  // namespace playback
