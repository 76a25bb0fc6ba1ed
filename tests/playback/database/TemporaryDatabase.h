#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "src/playback/database/SQLDatabase.h"

namespace playback::testing {

// A fresh home per test with an open connection to "test.db" in it; the home is removed after.
class TemporaryDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = foundation::Paths::useFreshHomeForTesting();
    path_ = foundation::Paths::appendingPathComponent(home_, "test.db");
    db_ = SQLDatabase::databaseWithPath(path_);
    ASSERT_TRUE(db_->open());
  }
  void TearDown() override {
    db_.reset();
    (void)foundation::FileManager::removeItem(home_);
  }

  std::string home_;
  std::string path_;
  std::shared_ptr<SQLDatabase> db_;
};

}  // namespace playback::testing
