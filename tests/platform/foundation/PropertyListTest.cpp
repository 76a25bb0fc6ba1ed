#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace foundation {
namespace {

std::string writtenPlist(const Value& value) {
  auto result = PropertyList::serialize(value);
  EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error()->debugText());
  return result.ok() ? *result : "";
}

Value readBack(const std::string& xml) {
  auto result = PropertyList::parse(xml);
  EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error()->debugText()) << "\n" << xml;
  return result.ok() ? *result : Value();
}

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>";
}

TEST(PropertyListTest, EveryKindRoundTrips) {
  Dictionary d;
  d.set("text", "播放 <&> \"quoted\" 'single'");
  d.set("blank", " \t ");
  d.set("empty", "");
  d.set("lineEnds", "a\r\nb\rc\n");
  d.set("control", std::string("x\x01y\x1f", 4));
  d.set("int", -42);
  d.set("biggest", std::numeric_limits<std::uint64_t>::max());
  d.set("smallest", std::numeric_limits<std::int64_t>::min());
  d.set("real", 0.1);
  d.set("whole real", 3.0);
  d.set("yes", true);
  d.set("no", false);
  d.set("data", Bytes{0, 1, 2, 0xfe, 0xff});
  d.set("noData", Bytes{});
  d.set("date", Date{1714552200.25});
  d.set("before1970", Date{-86400.5});
  d.set("list", Array{1, "two", Array{}, Dictionary{}});
  d.set("nested", Dictionary{{"z", 1}, {"a", Array{Dictionary{{"k", "v"}}}}});
  Value original(d);

  Value back = readBack(writtenPlist(original));
  EXPECT_EQ(back, original);
  EXPECT_EQ(back.getDictionary()->keys(), d.keys());
  EXPECT_EQ(back["whole real"].kind(), Value::Kind::Double);
  EXPECT_EQ(back["biggest"].kind(), Value::Kind::UInt);
  EXPECT_EQ(back["yes"].kind(), Value::Kind::Bool);
  EXPECT_EQ(back["nested"].getDictionary()->keys(), (std::vector<std::string>{"z", "a"}));
}

TEST(PropertyListTest, WritesTheConventionalLayout) {
  Dictionary d{{"name", "a&b"}, {"when", Date{0}}, {"raw", Bytes{'h', 'i'}}, {"on", true}, {"list", Array{}}};
  EXPECT_EQ(writtenPlist(d),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
            "\t<key>name</key>\n\t<string>a&amp;b</string>\n"
            "\t<key>when</key>\n\t<date>1970-01-01T00:00:00Z</date>\n"
            "\t<key>raw</key>\n\t<data>aGk=</data>\n"
            "\t<key>on</key>\n\t<true/>\n"
            "\t<key>list</key>\n\t<array/>\n"
            "</dict>\n</plist>\n");
  EXPECT_NE(writtenPlist(Date{1.5}).find("<date>1970-01-01T00:00:01.5Z</date>"), std::string::npos);
}

TEST(PropertyListTest, ReadsDocumentsWrittenElsewhere) {
  std::string xml =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<!DOCTYPE plist PUBLIC \"-//Example//DTD PLIST 1.0//EN\" \"http://example.com/plist.dtd\">\r\n"
      "<plist version=\"1.0\">\r\n<dict>\r\n"
      "  <!-- a comment -->\r\n"
      "  <key>cdata</key><string><![CDATA[<b>bold</b>]]> &amp; more</string>\r\n"
      "  <key>entity</key><string>&#x4E2D;&lt;</string>\r\n"
      "  <key>spaced</key><integer> 12 </integer>\r\n"
      "  <key>plus</key><integer>+7</integer>\r\n"
      "  <key>exp</key><real>-1.5E3</real>\r\n"
      "  <key>inf</key><real>-infinity</real>\r\n"
      "  <key>data</key><data>\r\n  aGVs\r\n  bG8=\r\n  </data>\r\n"
      "  <key>date</key><date>2024-02-29T23:59:59Z</date>\r\n"
      "  <key>dup</key><string>first</string><key>dup</key><string>second</string>\r\n"
      "</dict>\r\n</plist>\r\n";
  Value v = readBack(xml);
  EXPECT_EQ(v["cdata"], Value("<b>bold</b> & more"));
  EXPECT_EQ(v["entity"], Value("中<"));
  EXPECT_EQ(v["spaced"], Value(12));
  EXPECT_EQ(v["plus"], Value(7));
  EXPECT_EQ(v["exp"], Value(-1500.0));
  EXPECT_EQ(v["inf"].toDouble(), -HUGE_VAL);
  EXPECT_EQ(v["data"], Value(Bytes{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(v["date"], Value(Date{1709251199}));
  EXPECT_EQ(v["dup"], Value("second"));
  EXPECT_EQ(v.getDictionary()->size(), 9u);
}

TEST(PropertyListTest, SpecialRealsRoundTrip) {
  Value back = readBack(writtenPlist(Array{std::nan(""), HUGE_VAL, -HUGE_VAL, -0.0}));
  const Array& reals = *back.getArray();
  EXPECT_TRUE(std::isnan(reals[0].toDouble()));
  EXPECT_EQ(reals[1].toDouble(), HUGE_VAL);
  EXPECT_EQ(reals[2].toDouble(), -HUGE_VAL);
  EXPECT_TRUE(std::signbit(reals[3].toDouble()));
}

TEST(PropertyListTest, DamagedOrForeignDocumentsGiveErrors) {
  struct Case {
    std::string xml;
    std::string says;
  };
  std::vector<Case> cases = {
      {"", "well-formed"},
      {"not xml at all", "well-formed"},
      {plist("<dict><key>a</key><string>b</string>").substr(0, 60), "well-formed"},
      {"<html><body/></html>", "root element is <html>"},
      {plist(""), "holds no value"},
      {plist("<string>a</string><string>b</string>"), "more than one value"},
      {plist("stray<string>a</string>"), "text outside"},
      {plist("<dict><key>a</key></dict>"), "\"a\" has no value"},
      {plist("<dict><key>a</key><key>b</key><true/></dict>"), "\"a\" has no value"},
      {plist("<dict><string>v</string></dict>"), "no <key>"},
      {plist("<array>loose<true/></array>"), "text outside"},
      {plist("<set><true/></set>"), "<set> is not"},
      {plist("<string>a<b/>c</string>"), "must not hold"},
      {plist("<integer>12a</integer>"), "not an integer"},
      {plist("<integer>18446744073709551616</integer>"), "not an integer"},
      {plist("<integer>-9223372036854775809</integer>"), "not an integer"},
      {plist("<integer></integer>"), "not an integer"},
      {plist("<integer>+-5</integer>"), "not an integer"},
      {plist("<real>+-1.5</real>"), "not a real"},
      {plist("<real>1.5.2</real>"), "not a real"},
      {plist("<real>1e999</real>"), "not a real"},
      {plist("<true>yes</true>"), "must be empty"},
      {plist("<data>a$==</data>"), "base64"},
      {plist("<data>abc</data>"), "base64"},
      {plist("<data>a=bc</data>"), "base64"},
      {plist("<date>2023-02-29T00:00:00Z</date>"), "ISO 8601"},
      {plist("<date>2023-01-01T24:00:00Z</date>"), "ISO 8601"},
      {plist("<date>2023-01-01 10:00:00</date>"), "ISO 8601"},
      {plist("<string>\xff\xfe</string>"), "not UTF-8"},
      {plist("<dict><key>\xc3</key><true/></dict>"), "not UTF-8"},
  };
  for (const auto& c : cases) {
    auto result = PropertyList::parse(c.xml);
    ASSERT_FALSE(result.ok()) << c.xml;
    EXPECT_EQ(result.error()->domain(), kPropertyListErrorDomain);
    EXPECT_EQ(result.error()->code(), kPropertyListMalformedError) << c.xml;
    EXPECT_NE(result.error()->description().find(c.says), std::string::npos) << c.xml << "\n"
                                                                             << result.error()->description();
  }
}

TEST(PropertyListTest, EveryTruncationOfADocumentIsAnError) {
  std::string xml = writtenPlist(Dictionary{{"a", Array{1, "x", Bytes{1, 2, 3}}}, {"b", Dictionary{{"c", 2.5}}}});
  for (std::size_t length = 0; length + 12 < xml.size(); ++length)  // up to the end of </dict>
    EXPECT_FALSE(PropertyList::parse(std::string_view(xml).substr(0, length)).ok()) << length;
}

TEST(PropertyListTest, NestingIsLimitedBothWays) {
  std::size_t limit = PropertyList::kMaxDepth;
  auto arrays = [](std::size_t levels) {
    std::string body;
    for (std::size_t i = 0; i < levels; ++i) body += "<array>";
    body += "<true/>";
    for (std::size_t i = 0; i < levels; ++i) body += "</array>";
    return plist(body);
  };
  EXPECT_TRUE(PropertyList::parse(arrays(limit)).ok());
  auto tooDeep = PropertyList::parse(arrays(limit + 1));
  ASSERT_FALSE(tooDeep.ok());
  EXPECT_EQ(tooDeep.error()->code(), kPropertyListTooDeepError);
  EXPECT_FALSE(PropertyList::parse(arrays(100000)).ok());

  Value deep = true;
  for (std::size_t i = 0; i < limit; ++i) deep = Array{deep};
  EXPECT_TRUE(PropertyList::serialize(deep).ok());
  deep = Array{deep};
  auto unwritable = PropertyList::serialize(deep);
  ASSERT_FALSE(unwritable.ok());
  EXPECT_EQ(unwritable.error()->code(), kPropertyListUnwritableError);
}

TEST(PropertyListTest, WritingRefusesWhatAPropertyListCannotHold) {
  struct Picture : Object {};
  struct Case {
    Value value;
    std::string where;
  };
  std::vector<Case> cases;
  cases.push_back({Dictionary{{"gone", nullptr}}, "$.gone is null"});
  cases.push_back({Array{1, Value(std::make_shared<Picture>())}, "$[1] is an object"});
  cases.push_back({Dictionary{{"when", Date{1e12}}}, "$.when is a date"});
  cases.push_back({Dictionary{{"when", Date{std::nan("")}}}, "$.when is a date"});
  cases.push_back({Array{"\xe4\xb8"}, "$[0] has a string"});
  cases.push_back({Array{std::string("a\0b", 3)}, "$[0] has a string holding a NUL"});
  cases.push_back({Dictionary{{"ok", Dictionary{{"\xff", 1}}}}, "$.ok has a key"});
  for (const auto& c : cases) {
    auto result = PropertyList::serialize(c.value);
    ASSERT_FALSE(result.ok()) << c.where;
    EXPECT_EQ(result.error()->code(), kPropertyListUnwritableError);
    EXPECT_NE(result.error()->description().find(c.where), std::string::npos) << result.error()->description();
  }
}

TEST(PropertyListTest, DatesAtTheEdgesOfTheYearRange) {
  Value edges = Array{Date{-62135596800.0}, Date{253402300799.0}, Date{253402300799.5}, Date{0.9999999}};
  std::string xml = writtenPlist(edges);
  EXPECT_NE(xml.find("<date>0001-01-01T00:00:00Z</date>"), std::string::npos);
  EXPECT_NE(xml.find("<date>9999-12-31T23:59:59Z</date>"), std::string::npos);
  EXPECT_NE(xml.find("<date>9999-12-31T23:59:59.5Z</date>"), std::string::npos);
  EXPECT_NE(xml.find("<date>1970-01-01T00:00:01Z</date>"), std::string::npos);
  EXPECT_FALSE(PropertyList::serialize(Date{253402300800.0}).ok());
  EXPECT_FALSE(PropertyList::parse(plist("<date>0000-12-31T00:00:00Z</date>")).ok());
}

}  // namespace
}  // namespace foundation
