#include <gtest/gtest.h>

#include "src/framework/json/QRVDataScanner.h"

namespace framework {
namespace {

foundation::Bytes bytesOf(std::string_view text) { return foundation::Bytes(text.begin(), text.end()); }

TEST(QRVDataScannerTest, ScansOnlyWhatMatchesAndStaysPutOtherwise) {
  auto scanner = QRVDataScanner::scannerWithData(bytesOf("let x = -12.5e1;"));
  std::string word;
  EXPECT_FALSE(scanner.scanString("set", &word));
  EXPECT_TRUE(scanner.scanUTF8String("let", &word));
  EXPECT_EQ(word, "let");
  scanner.skipWhitespace();
  EXPECT_EQ(scanner.currentCharacter(), 'x');
  EXPECT_TRUE(scanner.scanUpToCharactersFromSet(ByteSet("-"), &word));
  EXPECT_EQ(word, "x = ");
  double number = 0;
  EXPECT_TRUE(scanner.scanNumber(&number));
  EXPECT_DOUBLE_EQ(number, -125.0);
  EXPECT_FALSE(scanner.scanNumber(&number));
  EXPECT_TRUE(scanner.scanCharacter(';'));
  EXPECT_TRUE(scanner.isAtEnd());
  EXPECT_EQ(scanner.scanCharacter(), std::nullopt);
  EXPECT_EQ(scanner.currentCharacter(), std::nullopt);

  scanner.setScanLocation(1000);
  EXPECT_EQ(scanner.scanLocation(), scanner.data().size());
}

TEST(QRVDataScannerTest, MalformedNumberRunIsNotANumber) {
  auto scanner = QRVDataScanner::scannerWithData(bytesOf("1.2.3"));
  double number = 0;
  EXPECT_FALSE(scanner.scanNumber(&number));
  EXPECT_EQ(scanner.scanLocation(), 0u);
  scanner.setDoubleCharacters(ByteSet("0123456789"));
  EXPECT_TRUE(scanner.scanNumber(&number));
  EXPECT_DOUBLE_EQ(number, 1.0);
  EXPECT_EQ(scanner.remainingString(), ".2.3");
}

TEST(QRVDataScannerTest, ScansUpToATextAndRunsOfASet) {
  auto scanner = QRVDataScanner::scannerWithData(bytesOf("aab--end"));
  std::string run;
  EXPECT_TRUE(scanner.scanCharactersFromSet(ByteSet("ab"), &run));
  EXPECT_EQ(run, "aab");
  EXPECT_TRUE(scanner.scanUpToString("end", &run));
  EXPECT_EQ(run, "--");
  EXPECT_FALSE(scanner.scanUpToString("end", &run));
  EXPECT_TRUE(scanner.scanUpToString("missing", &run));
  EXPECT_EQ(run, "end");
}

TEST(QRVDataScannerTest, CommentScanners) {
  auto scanner = QRVDataScanner::scannerWithData(bytesOf("/* one */// two\u2028rest"));
  auto block = scanner.scanCStyleComment();
  ASSERT_TRUE(block.ok());
  EXPECT_EQ(*block, std::optional<std::string>(" one "));
  EXPECT_EQ(scanner.scanCPlusPlusStyleComment(), std::optional<std::string>(" two"));
  EXPECT_EQ(scanner.remainingString(), "\u2028rest");
  EXPECT_EQ(scanner.scanCPlusPlusStyleComment(), std::nullopt);
  auto none = scanner.scanCStyleComment();
  ASSERT_TRUE(none.ok());
  EXPECT_FALSE(none->has_value());

  auto nested = QRVDataScanner::scannerWithData(bytesOf("/* a /* b */"));
  auto nestedResult = nested.scanCStyleComment();
  ASSERT_FALSE(nestedResult.ok());
  EXPECT_EQ(nestedResult.error()->description(), "C style comments should not be nested.");
  EXPECT_EQ(nested.scanLocation(), 0u);

  auto open = QRVDataScanner::scannerWithData(bytesOf("/* never"));
  auto openResult = open.scanCStyleComment();
  ASSERT_FALSE(openResult.ok());
  EXPECT_EQ(openResult.error()->description(), "Started to scan a C style comment but it wasn't terminated.");
}

}  // namespace
}  // namespace framework
