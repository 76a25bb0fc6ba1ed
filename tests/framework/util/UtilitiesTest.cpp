#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "src/framework/util/Base64Encoding.h"
#include "src/framework/util/CommonUtils.h"
#include "src/framework/util/RandomUtil.h"
#include "src/framework/util/StringUtil.h"
#include "src/framework/util/WDTools.h"

namespace {

using foundation::Paths;
using framework::CommonUtils;

class UtilitiesTest : public ::testing::Test {
 protected:
  void SetUp() override { home = Paths::useFreshHomeForTesting(); }
  void TearDown() override {
    Paths::setHomeForTesting("");
    (void)foundation::FileManager::removeItem(home);
  }
  std::string home;
};

TEST_F(UtilitiesTest, DurationsHaveNoLeadingZeros) {
  EXPECT_EQ(framework::StringUtil::formatTime(65), "1:5");
  EXPECT_EQ(framework::StringUtil::formatTime(3725), "1:2:5");
  EXPECT_EQ(framework::StringUtil::formatTime("3725"), "1:2:5");
  EXPECT_EQ(framework::StringUtil::formatTime(59.9), "0:59");
  EXPECT_EQ(framework::StringUtil::formatTime(foundation::Value()), "0:0");
  EXPECT_FALSE(framework::StringUtil::formatTime(1e300).empty());
}

TEST_F(UtilitiesTest, RandomPicksNeverChooseZeroRates) {
  using framework::RandomUtil;
  for (int i = 0; i < 200; ++i) ASSERT_EQ(RandomUtil::getIndexByRandomRates({0, 5, 0}), 1);
  EXPECT_EQ(RandomUtil::getIndexByRandomRates({}), -1);
  EXPECT_EQ(RandomUtil::getIndexByRandomRates({0, 0, 0}), 2);
  bool sawFirst = false, sawLast = false;
  for (int i = 0; i < 200; ++i) {
    int index = RandomUtil::getIndexByRandomRates({1, 0, 1});
    ASSERT_NE(index, 1);
    (index == 0 ? sawFirst : sawLast) = true;
  }
  EXPECT_TRUE(sawFirst && sawLast);
}

TEST_F(UtilitiesTest, Base64PadsTheLastGroup) {
  using framework::base64_encoding::base64Encoding;
  EXPECT_EQ(base64Encoding({'h', 'i'}), "aGk=");
  EXPECT_EQ(base64Encoding({'h'}), "aA==");
  EXPECT_EQ(base64Encoding({}), "");
  EXPECT_EQ(base64Encoding({0xFB, 0xFF, 0xBF}), "+/+/");
}

TEST_F(UtilitiesTest, FoldersAreCreatedOnceAndFilesAreNotFolders) {
  std::string nested = home + "/Library/Caches/a/b/c";
  EXPECT_TRUE(CommonUtils::createDirectorysAtPath(nested));
  EXPECT_TRUE(foundation::FileManager::isDirectory(nested));
  EXPECT_TRUE(CommonUtils::createDirectorysAtPath(nested));
  std::string file = home + "/file.mp3";
  std::ofstream(file) << "x";
  EXPECT_FALSE(CommonUtils::createDirectorysAtPath(file));
  EXPECT_FALSE(CommonUtils::createDirectorysAtPath(""));
}

TEST_F(UtilitiesTest, TextHelpers) {
  EXPECT_EQ(CommonUtils::getDirectoryPathByFilePath("/a/b/c.mp3"), "/a/b");
  EXPECT_EQ(CommonUtils::getDirectoryPathByFilePath(std::nullopt), "");
  EXPECT_EQ(CommonUtils::getDirectoryPathByFilePath(""), "");
  EXPECT_EQ(CommonUtils::convertArrayToString({"a", 2, "c"}), "a,2,c");
  EXPECT_EQ(CommonUtils::convertStringToArray("a,,b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(CommonUtils::getLetters().size(), 26u);
  EXPECT_EQ(CommonUtils::getUpperLetters().back(), "Z");
  EXPECT_EQ(CommonUtils::getStringValue(foundation::Value()), std::nullopt);
  EXPECT_EQ(CommonUtils::getStringValue(""), std::nullopt);
  EXPECT_EQ(CommonUtils::getStringValue("x"), "x");
  EXPECT_EQ(CommonUtils::getStringValue(42), "42");
  EXPECT_EQ(CommonUtils::getStringValue(foundation::Array{1}), std::nullopt);
}

TEST_F(UtilitiesTest, EmailAndPhoneValidation) {
  EXPECT_TRUE(CommonUtils::validateEmail("dj.wang+radio@example.com"));
  EXPECT_FALSE(CommonUtils::validateEmail("dj@example"));
  EXPECT_FALSE(CommonUtils::validateEmail("x dj@example.com"));
  EXPECT_TRUE(CommonUtils::validateCellPhone("13812345678"));
  EXPECT_TRUE(CommonUtils::validateCellPhone("010-12345678"));
  EXPECT_TRUE(CommonUtils::validateCellPhone("0755-1234567-123"));
  EXPECT_FALSE(CommonUtils::validateCellPhone("1381234567"));
  EXPECT_FALSE(CommonUtils::validateCellPhone("phone"));
}

TEST_F(UtilitiesTest, ApplicationFoldersLieInTheHome) {
  using framework::WDTools;
  EXPECT_EQ(WDTools::getDocumentsDir().rfind(home, 0), 0u);
  EXPECT_EQ(WDTools::getCachesFileDir().rfind(home, 0), 0u);
  std::string file = WDTools::getCachesFileDir() + "/song.mp3";
  EXPECT_EQ(WDTools::fileContentLengthAtPath(file), 0u);
  std::ofstream(file).close();
  EXPECT_EQ(WDTools::fileContentLengthAtPath(file), 0u);
  std::ofstream(file) << "12345";
  EXPECT_EQ(WDTools::fileContentLengthAtPath(file), 5u);
}

TEST_F(UtilitiesTest, DocumentSizesStayInsideTheCachesFolder) {
  CommonUtils::createDirectorysAtPath(framework::WDTools::getCachesFileDir() + "/songs");
  EXPECT_GT(CommonUtils::getDocumentSize("songs"), 0);
  EXPECT_EQ(CommonUtils::getDocumentSize("missing"), 0);
  EXPECT_EQ(CommonUtils::getDocumentSize("../Documents"), 0);
}

TEST_F(UtilitiesTest, DeviceFigures) {
  EXPECT_EQ(CommonUtils::getIPAddressOf("lo"), "127.0.0.1");
  EXPECT_EQ(CommonUtils::getIPAddressOf("no-such-interface"), "Unknown");
  std::string address = CommonUtils::getIPAddress();
  EXPECT_TRUE(address == "Unknown" || std::count(address.begin(), address.end(), '.') == 3) << address;
  EXPECT_NE(CommonUtils::getFreeMemory().find(" MB used/"), std::string::npos);
  EXPECT_NE(CommonUtils::getDiskUsed().find(" GB of "), std::string::npos);
}

}  // namespace
