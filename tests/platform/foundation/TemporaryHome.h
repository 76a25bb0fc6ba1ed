#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

namespace foundation::testing {

// A test with a fresh, empty application home, removed afterwards.
class TemporaryHome : public ::testing::Test {
 protected:
  void SetUp() override { home = Paths::useFreshHomeForTesting(); }
  void TearDown() override {
    Paths::setHomeForTesting("");
    (void)FileManager::removeItem(home);
  }

  std::string at(const std::string& relative) const { return Paths::appendingPathComponent(home, relative); }

  std::string home;
};

// Sets an environment variable (or unsets it with nullopt) for one scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace foundation::testing
