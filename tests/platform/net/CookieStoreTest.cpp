#include "platform/net/CookieStore.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/net/CookieDate.h"
#include "tests/support/ManualClockFixture.h"

namespace net {
namespace {

class CookieStoreTest : public testsupport::ManualClockFixture {
 protected:
  std::optional<Cookie> parse(const std::string& header, const std::string& url = "http://www.music.example/a/b/page") {
    return CookieStore::parseSetCookie(header, url);
  }

  std::vector<std::string> namesFor(const std::string& url) {
    std::vector<std::string> names;
    for (const Cookie& cookie : store.cookiesForURL(url)) names.push_back(cookie.name + "=" + cookie.value);
    return names;
  }

  CookieStore store;
};

TEST_F(CookieStoreTest, DefaultsComeFromTheURL) {
  auto cookie = parse("sid = abc123 ");
  ASSERT_TRUE(cookie);
  EXPECT_EQ(cookie->name, "sid");
  EXPECT_EQ(cookie->value, "abc123");
  EXPECT_EQ(cookie->domain, "www.music.example");
  EXPECT_TRUE(cookie->hostOnly);
  EXPECT_EQ(cookie->path, "/a/b");
  EXPECT_TRUE(cookie->isSessionOnly());
  EXPECT_EQ(parse("x=1", "http://h.example/")->path, "/");
  EXPECT_EQ(parse("x=1", "http://h.example/top?q=/a/b")->path, "/");
  EXPECT_EQ(parse("x=1; Path=nope")->path, "/a/b");
}

TEST_F(CookieStoreTest, AttributesAreReadWithoutRegardToCaseAndMaxAgeWins) {
  auto cookie = parse(
      "k=v; DOMAIN=.Music.Example; path=/; SECURE; httponly; Max-Age=60; "
      "Expires=Wed, 09 Jun 2021 10:18:14 GMT",
      "https://www.music.example/");
  ASSERT_TRUE(cookie);
  EXPECT_EQ(cookie->domain, "music.example");
  EXPECT_FALSE(cookie->hostOnly);
  EXPECT_TRUE(cookie->secure);
  EXPECT_TRUE(cookie->httpOnly);
  ASSERT_TRUE(cookie->expires);
  EXPECT_DOUBLE_EQ(cookie->expires->secondsSince1970, clock->wallNow().secondsSince1970 + 60);
  EXPECT_DOUBLE_EQ(parse("k=v; Expires=Wed, 09 Jun 2021 10:18:14 GMT")->expires->secondsSince1970, 1623233894);
}

TEST_F(CookieStoreTest, CookiesThatTheURLMayNotSetAreIgnored) {
  EXPECT_FALSE(parse("no-equals-sign"));
  EXPECT_FALSE(parse("=value"));
  EXPECT_FALSE(parse("k=v; Domain=other.example"));
  EXPECT_FALSE(parse("k=v; Domain=example"));  // a bare top-level name
  EXPECT_FALSE(parse("k=v; Domain=usic.example"));
  EXPECT_FALSE(parse("k=v; Secure"));  // from plain http
  EXPECT_FALSE(parse("k=" + std::string(5000, 'v')));
  EXPECT_FALSE(parse(std::string("k=a\x01") + "b"));
  EXPECT_FALSE(parse("k=v; Domain=www.music.example")->hostOnly);
  EXPECT_TRUE(parse("k=v; Domain=localhost", "http://localhost/")->hostOnly);
}

TEST_F(CookieStoreTest, LookupMatchesDomainPathAndSecurityAndOrdersByPath) {
  const std::string origin = "https://www.music.example/a/b/page";
  std::vector<Cookie> cookies;
  for (const char* header :
       {"root=1; Path=/", "deep=2; Path=/a/b", "wide=3; Domain=music.example; Path=/", "safe=4; Secure; Path=/"})
    cookies.push_back(*CookieStore::parseSetCookie(header, origin));
  store.setCookies(cookies, origin);

  EXPECT_EQ(namesFor("https://www.music.example/a/b/c"),
            (std::vector<std::string>{"deep=2", "root=1", "wide=3", "safe=4"}));
  EXPECT_EQ(namesFor("http://www.music.example/a/bc"), (std::vector<std::string>{"root=1", "wide=3"}));
  EXPECT_EQ(namesFor("http://api.music.example/a/b"), (std::vector<std::string>{"wide=3"}));
  EXPECT_EQ(namesFor("http://music.example/"), (std::vector<std::string>{"wide=3"}));
  EXPECT_TRUE(namesFor("http://evilmusic.example/").empty());
}

TEST_F(CookieStoreTest, ReplacingExpiringAndDeleting) {
  const std::string url = "http://h.example/";
  store.setCookies({*CookieStore::parseSetCookie("a=1; Max-Age=10", url)}, url);
  store.setCookies({*CookieStore::parseSetCookie("a=2; Max-Age=10", url)}, url);
  EXPECT_EQ(namesFor(url), (std::vector<std::string>{"a=2"}));
  clock->advance(foundation::Duration(11));
  EXPECT_TRUE(namesFor(url).empty());

  store.setCookies({*CookieStore::parseSetCookie("b=1", url)}, url);
  store.setCookies({*CookieStore::parseSetCookie("b=gone; Max-Age=0", url)}, url);
  EXPECT_TRUE(store.allCookies().empty());

  store.setCookies({*CookieStore::parseSetCookie("c=1", url)}, url);
  store.deleteCookie(store.allCookies().front());
  EXPECT_TRUE(store.allCookies().empty());
  store.setCookies({*CookieStore::parseSetCookie("c=1", url)}, "http://other.example/");
  EXPECT_TRUE(store.allCookies().empty()) << "a cookie for another host was stored";
}

TEST_F(CookieStoreTest, ResponsesGiveEveryValidSetCookieField) {
  auto response = HTTPMessage::createEmptyResponse();
  response->addHeaderField("Set-Cookie", "a=1; Expires=Thu, 01 Jan 2099 00:00:00 GMT");
  response->addHeaderField("Set-Cookie", "broken");
  response->addHeaderField("set-cookie", "b=2");
  auto cookies = CookieStore::cookiesFromResponse(*response, "http://h.example/");
  ASSERT_EQ(cookies.size(), 2u);
  EXPECT_EQ(cookies[0].name, "a");
  EXPECT_EQ(cookies[1].name, "b");
}

TEST_F(CookieStoreTest, ConcurrentWritersAndReadersAreSafe) {
  const std::string url = "http://h.example/";
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        store.setCookie(*CookieStore::parseSetCookie("t" + std::to_string(t) + "=" + std::to_string(i), url));
        (void)store.cookiesForURL(url);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(store.allCookies().size(), 4u);
}

TEST(CookieDateTest, TheLenientFormatsAllParse) {
  const double expected = 784111777;  // 1994-11-06 08:49:37 UTC
  for (const char* text : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                           "Sun Nov  6 08:49:37 1994", "6 nov 1994 8:49:37"}) {
    auto date = parseCookieDate(text);
    ASSERT_TRUE(date) << text;
    EXPECT_DOUBLE_EQ(date->secondsSince1970, expected) << text;
  }
  for (const char* text : {"", "Sun, 31 Feb 2020 00:00:00 GMT", "06 Nov 1994", "Sun, 06 Nov 1994 25:00:00",
                           "06 Nov 1600 00:00:00", "32 Jan 2020 00:00:00"})
    EXPECT_FALSE(parseCookieDate(text)) << text;
}

}  // namespace
}  // namespace net
