#include "platform/foundation/FileLock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

class FileLockTest : public testing::TemporaryHome {
 protected:
  std::string text() { return FileManager::readTextFile(at("in-use.lock")).value(); }
};

// Two open files hold flock() locks of their own, so one process can play holder and refused.
TEST_F(FileLockTest, ATryOnAHeldLockNamesTheHolderItWroteOrNobodyAndChangesNothing) {
  auto first = FileLock::tryAcquireNamingHolder(at("in-use.lock"));
  ASSERT_TRUE(first.ok()) << first.error()->debugText();
  std::optional<FileLock> holder(std::get<FileLock>(std::move(first).value()));
  EXPECT_EQ(text(), std::to_string(::getpid()) + "\n");

  auto refused = FileLock::tryAcquireNamingHolder(at("in-use.lock"));
  ASSERT_TRUE(refused.ok());
  EXPECT_EQ(std::get<FileLock::Taken>(refused.value()).holder, ::getpid());
  for (const char* written : {"", "12ab\n", "-5\n", "0\n", "99999999999999999999\n", "4194305\n"}) {
    std::ofstream(at("in-use.lock"), std::ios::trunc) << written;  // in place: the lock stays on it
    auto unnamed = FileLock::tryAcquireNamingHolder(at("in-use.lock"));
    ASSERT_TRUE(unnamed.ok());
    EXPECT_EQ(std::get<FileLock::Taken>(unnamed.value()).holder, std::nullopt) << written;
    EXPECT_EQ(text(), written);
  }

  holder.reset();
  auto next = FileLock::tryAcquireNamingHolder(at("in-use.lock"));
  ASSERT_TRUE(next.ok());
  EXPECT_TRUE(std::holds_alternative<FileLock>(next.value()));
}

}  // namespace
}  // namespace foundation
