#include "src/framework/categories/ScannerExtensions.h"

#include <gtest/gtest.h>

#include "src/framework/categories/CharacterSetExtensions.h"

namespace {

using namespace framework::scanner_extensions;
using foundation::Scanner;

TEST(ScannerExtensionsTest, ReadsCharactersAndBacktracksNoFurtherThanTheStart) {
  Scanner scanner("午后x");
  EXPECT_EQ(scanCharacter(scanner), U'午');
  EXPECT_FALSE(scanCharacter(scanner, U'x'));
  EXPECT_TRUE(scanCharacter(scanner, U'后'));
  EXPECT_EQ(currentCharacter(scanner), U'x');
  EXPECT_EQ(remainingString(scanner), "x");
  EXPECT_TRUE(backtrack(scanner, 2).ok());
  EXPECT_EQ(remainingString(scanner), "午后x");
  foundation::Status tooFar = backtrack(scanner, 1);
  ASSERT_FALSE(tooFar.ok());
  EXPECT_EQ(tooFar.error()->description(), "Backtracked too far.");
  EXPECT_EQ(scanner.scanLocation(), 0u);
}

TEST(ScannerExtensionsTest, CommentsAndTheirFaults) {
  Scanner good("/* 注释 */rest");
  auto comment = scanCStyleComment(good);
  ASSERT_TRUE(comment.ok());
  EXPECT_EQ(*comment.value(), " 注释 ");
  EXPECT_EQ(remainingString(good), "rest");
  EXPECT_EQ(scanCStyleComment(good).value(), std::nullopt) << "no comment here";

  const std::pair<const char*, const char*> faults[] = {
      {"/* a /* b */", "C style comments should not be nested."},
      {"/* open", "C style comment did not end correctly."},
      {"/*", "Started to scan a C style comment but it wasn't terminated."},
  };
  for (const auto& [text, message] : faults) {
    Scanner scanner(text);
    auto result = scanCStyleComment(scanner);
    ASSERT_FALSE(result.ok()) << text;
    EXPECT_EQ(result.error()->description(), message);
    EXPECT_EQ(scanner.scanLocation(), 0u) << text;
  }

  Scanner line("// note\u2028next");
  EXPECT_EQ(scanCPlusPlusStyleComment(line), " note");
  EXPECT_TRUE(framework::character_set_extensions::linebreaksCharacterSet().contains(*currentCharacter(line)));
}

}  // namespace
