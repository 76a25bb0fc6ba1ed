#include "platform/net/ProxyAutoConfig.h"

#include <gtest/gtest.h>

#include <future>

#include "platform/foundation/Clock.h"

namespace net {
namespace {

// The answer of a script that returns `expression` as text ("yes"/"no" for booleans).
std::string evaluate(const std::string& expression) {
  auto script = PACScript::compile("function FindProxyForURL(url, host) { var r = (" + expression +
                                   "); return typeof r === 'boolean' ? (r ? 'PROXY yes:1' : 'PROXY no:1') : r; }");
  EXPECT_TRUE(script.ok()) << expression;
  if (!script.ok()) return "";
  auto answer = (*script)->proxiesForURL("http://www.example.org/");
  EXPECT_TRUE(answer.ok()) << expression;
  return answer.ok() && !answer->empty() ? answer->front().host : "";
}

TEST(PACScript, HelperFunctionsAnswerLikeScriptsExpect) {
  struct Case {
    const char* expression;
    const char* expected;
  };
  const Case cases[] = {
      {"isPlainHostName('www')", "yes"},
      {"isPlainHostName('www.example.org')", "no"},
      {"dnsDomainIs('www.example.org', '.example.org')", "yes"},
      {"dnsDomainIs('www', '.example.org')", "no"},
      {"localHostOrDomainIs('www', 'www.example.org')", "yes"},
      {"localHostOrDomainIs('www.other.org', 'www.example.org')", "no"},
      {"dnsDomainLevels('www.example.org') === 2", "yes"},
      {"shExpMatch('http://a.example.org/x', '*.example.org/*')", "yes"},
      {"shExpMatch('a.b', 'a?c')", "no"},
      {"isInNet('10.1.2.3', '10.0.0.0', '255.0.0.0')", "yes"},
      {"isInNet('11.1.2.3', '10.0.0.0', '255.0.0.0')", "no"},
      {"isInNet('localhost', '127.0.0.0', '255.0.0.0')", "yes"},
      {"dnsResolve('localhost') === '127.0.0.1'", "yes"},
      {"isResolvable('name.invalid')", "no"},
      {"typeof myIpAddress() === 'string'", "yes"},
  };
  for (const auto& c : cases) EXPECT_EQ(evaluate(c.expression), c.expected) << c.expression;
}

TEST(PACScript, DateAndTimeRangesFollowTheClock) {
  // Wednesday 2025-01-15 13:30:00 GMT.
  foundation::Clock::setCurrent(std::make_shared<foundation::ManualClock>(foundation::Date{1736947800}));
  EXPECT_EQ(evaluate("weekdayRange('MON', 'FRI', 'GMT')"), "yes");
  EXPECT_EQ(evaluate("weekdayRange('SAT', 'TUE', 'GMT')"), "no");
  EXPECT_EQ(evaluate("timeRange(13, 14, 'GMT')"), "yes");
  EXPECT_EQ(evaluate("timeRange(22, 6, 'GMT')"), "no");
  EXPECT_EQ(evaluate("dateRange('JAN', 'MAR', 'GMT')"), "yes");
  EXPECT_EQ(evaluate("dateRange(1, 'JAN', 2025, 10, 'JAN', 2025, 'GMT')"), "no");
  foundation::Clock::setCurrent(nullptr);
}

TEST(PACScript, AnswersAreParsedInOrderAndBadScriptsAreStopped) {
  EXPECT_EQ(parsePACAnswer("PROXY a:1; SOCKS5 b:2;DIRECT; PROXY broken; HTTPS c:3; SOCKS4 d:4"),
            (std::vector<PACProxy>{
                {"HTTP", "a", 1}, {"SOCKS", "b", 2}, {"DIRECT", "", 0}, {"HTTP", "c", 3}, {"SOCKS4", "d", 4}}));

  auto endless = PACScript::compile("function FindProxyForURL(u, h) { for (;;) {} }", {.timeoutSeconds = 0.05});
  ASSERT_TRUE(endless.ok());
  auto stopped = (*endless)->proxiesForURL("http://x/");
  ASSERT_FALSE(stopped.ok());
  EXPECT_EQ(stopped.error()->code(), kPACScriptTimedOut);
  EXPECT_TRUE((*endless)->proxiesForURL("http://x/").error()) << "the heap stays usable after a stop";

  auto greedy = PACScript::compile("function FindProxyForURL(u, h) { var a = []; for (;;) a.push('x' + a.length); }",
                                   {.timeoutSeconds = 5, .maxHeapBytes = 4 * 1024 * 1024});
  ASSERT_TRUE(greedy.ok());
  auto starved = (*greedy)->proxiesForURL("http://x/");
  ASSERT_FALSE(starved.ok());
  EXPECT_EQ(starved.error()->code(), kPACScriptOutOfMemory);
  EXPECT_LE((*greedy)->peakHeapBytes(), 4u * 1024 * 1024);

  EXPECT_EQ(PACScript::compile("function FindProxyForURL(").error()->code(), kPACScriptFailed);
  EXPECT_EQ(PACScript::compile(std::string(PACScript::kMaxScriptBytes + 1, ' ')).error()->code(), kPACScriptTooLarge);
  auto missing = PACScript::compile("var x = 1;");
  ASSERT_TRUE(missing.ok());
  EXPECT_EQ((*missing)->proxiesForURL("http://x/").error()->code(), kPACScriptFailed);
}

TEST(PACScript, NameLookUpsCountAgainstTheTimeLimit) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  PACScript::setHostResolverForTesting([released](const std::string& host) -> std::optional<std::string> {
    if (host == "fast.test") return "10.1.2.3";
    released.wait();  // a resolver that does not answer
    return std::nullopt;
  });
  EXPECT_EQ(evaluate("isInNet('fast.test', '10.0.0.0', '255.0.0.0')"), "yes");
  for (const char* body : {"return dnsResolve('slow.test') ? 'PROXY a:1' : 'DIRECT';",
                           "try { isInNet('slow.test', '10.0.0.0', '255.0.0.0'); } catch (e) {} return 'PROXY a:1';"}) {
    auto script =
        PACScript::compile(std::string("function FindProxyForURL(u, h) { ") + body + " }", {.timeoutSeconds = 0.05});
    ASSERT_TRUE(script.ok()) << body;
    auto answer = (*script)->proxiesForURL("http://x/");
    ASSERT_FALSE(answer.ok()) << body;
    EXPECT_EQ(answer.error()->code(), kPACScriptTimedOut) << body;
  }
  release.set_value();
  PACScript::setHostResolverForTesting(nullptr);
}

}  // namespace
}  // namespace net
