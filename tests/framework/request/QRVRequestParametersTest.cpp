#include "src/framework/request/QRVRequestParameters.h"

#include <gtest/gtest.h>

#include <limits>

#include "src/framework/request/QRVBaseDataRequest.h"

namespace framework {
namespace {

using foundation::Dictionary;
using foundation::Value;

TEST(QRVRequestParametersTest, TheCallersValuesWinACollisionAndKeepTheStaticPlace) {
  const Dictionary statics{{"device_id", ""}, {"luid", "L-1"}, {"device", "Linux 6.1.0"}};
  const Dictionary merged = QRVRequestParameters::merged(statics, {{"channel_id", "11"}, {"device_id", "push-77"}});
  EXPECT_EQ(merged.keys(), (std::vector<std::string>{"device_id", "luid", "device", "channel_id"}));
  EXPECT_EQ(merged["device_id"], Value("push-77"));
  EXPECT_EQ(merged["luid"], Value("L-1"));
}

TEST(QRVRequestParametersTest, NumbersAndBooleansAreSentAsTextOtherKindsAreRefused) {
  EXPECT_EQ(QRVRequestParameters::textOf("_pn", 2).value(), "2");
  EXPECT_EQ(QRVRequestParameters::textOf("n", Value(std::uint64_t{18446744073709551615u})).value(),
            "18446744073709551615");
  EXPECT_EQ(QRVRequestParameters::textOf("d", 2.5).value(), "2.5");
  EXPECT_EQ(QRVRequestParameters::textOf("sync", true).value(), "1");
  EXPECT_EQ(QRVRequestParameters::textOf("sync", false).value(), "0");
  EXPECT_EQ(QRVRequestParameters::textOf("name", "晴天").value(), "晴天");

  for (const Value& unsendable : {Value(), Value(foundation::Array{1}), Value(Dictionary{{"a", 1}}),
                                  Value(foundation::Bytes{1, 2}), Value(std::numeric_limits<double>::infinity())}) {
    foundation::Result<std::string> text = QRVRequestParameters::textOf("bad", unsendable);
    ASSERT_FALSE(text.ok()) << unsendable.kindName();
    EXPECT_EQ(text.error()->domain(), kDataRequestErrorDomain);
    EXPECT_EQ(text.error()->code(), kUnsendableParameterError);
    EXPECT_NE(text.error()->description().find("\"bad\""), std::string::npos);
  }
}

TEST(QRVRequestParametersTest, QueriesEscapeEverythingButLettersDigitsAndFewMarks) {
  const Dictionary parameters{{"keyword", "a b&c=d+e~f"}, {"tag", "摇滚/朋克?#"}, {"_sz", 20}, {"x.y-z_", "-_."}};
  EXPECT_EQ(QRVRequestParameters::queryString(parameters).value(),
            "keyword=a%20b%26c%3Dd%2Be%7Ef&tag=%E6%91%87%E6%BB%9A%2F%E6%9C%8B%E5%85%8B%3F%23&_sz=20&x.y-z_=-_.");
  EXPECT_EQ(QRVBaseDataRequest::encodeURL(":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`"),
            "%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C%3E%25%7B%7D%7C%5C%5E%7E%60");
  EXPECT_FALSE(QRVRequestParameters::queryString({{"ok", "1"}, {"cover", foundation::Array{}}}).ok());
}

TEST(QRVRequestParametersTest, AQueryFollowsExactlyOneQuestionMark) {
  EXPECT_EQ(QRVRequestParameters::appendingQuery("http://h/api/play.playChannel.json?", "a=1"),
            "http://h/api/play.playChannel.json?a=1");
  EXPECT_EQ(QRVRequestParameters::appendingQuery("http://h/api/x.json", "a=1"), "http://h/api/x.json?a=1");
  EXPECT_EQ(QRVRequestParameters::appendingQuery("http://h/x?v=2", "a=1"), "http://h/x?v=2&a=1");
  EXPECT_EQ(QRVRequestParameters::appendingQuery("http://h/x?v=2&", "a=1"), "http://h/x?v=2&a=1");
}

}  // namespace
}  // namespace framework
