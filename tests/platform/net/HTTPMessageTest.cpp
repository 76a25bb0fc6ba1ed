#include "platform/net/HTTPMessage.h"

#include <gtest/gtest.h>

#include "platform/net/HTTPResponseParser.h"
#include "platform/net/NetErrors.h"

namespace net {
namespace {

std::shared_ptr<HTTPMessage> request(const std::string& url, const std::string& method = "GET",
                                     HTTPVersion version = HTTPVersion::HTTP1_1) {
  auto message = HTTPMessage::createRequest(method, url, version);
  EXPECT_TRUE(message.ok()) << url;
  return message.ok() ? *message : nullptr;
}

TEST(HTTPMessageTest, RequestKnowsItsOriginAndTarget) {
  auto message = request("HTTPS://Music.Example.COM:8443/a%20b/c?x=1&y=2#fragment");
  EXPECT_TRUE(message->isRequest());
  EXPECT_EQ(message->scheme(), "https");
  EXPECT_EQ(message->host(), "music.example.com");
  EXPECT_EQ(message->port(), 8443);
  EXPECT_TRUE(message->hasExplicitPort());
  EXPECT_EQ(message->requestTarget(), "/a%20b/c?x=1&y=2");
  EXPECT_EQ(message->hostFieldValue(), "music.example.com:8443");

  auto plain = request("http://example.com");
  EXPECT_EQ(plain->port(), 80);
  EXPECT_FALSE(plain->hasExplicitPort());
  EXPECT_EQ(plain->requestTarget(), "/");
  EXPECT_EQ(plain->hostFieldValue(), "example.com");

  auto v6 = request("http://[::1]:8080/x");
  EXPECT_EQ(v6->host(), "::1");
  EXPECT_EQ(v6->hostFieldValue(), "[::1]:8080");
}

TEST(HTTPMessageTest, OnlyHttpAndHttpsWithAHostAndATokenMethodAreAccepted) {
  for (const char* url : {"ftp://example.com/", "mailto:a@b.c", "http://", "//example.com/x", "/relative"}) {
    auto message = HTTPMessage::createRequest("GET", url, HTTPVersion::HTTP1_1);
    ASSERT_FALSE(message.ok()) << url;
    EXPECT_TRUE(message.error()->is(kCFNetworkErrorDomain, kUnsupportedURL));
  }
  EXPECT_FALSE(HTTPMessage::createRequest("GET /x HTTP/1.1\r\n", "http://a/", HTTPVersion::HTTP1_1).ok());
  EXPECT_FALSE(HTTPMessage::createRequest("", "http://a/", HTTPVersion::HTTP1_1).ok());
}

TEST(HTTPMessageTest, HeadersKeepOrderReplaceInPlaceAndRefuseInjection) {
  auto message = request("http://a.example/");
  EXPECT_TRUE(message->setHeaderFieldValue("Accept", "*/*"));
  EXPECT_TRUE(message->setHeaderFieldValue("User-Agent", "one"));
  EXPECT_TRUE(message->addHeaderField("X-Repeat", "1"));
  EXPECT_TRUE(message->addHeaderField("x-repeat", "2"));
  EXPECT_TRUE(message->setHeaderFieldValue("ACCEPT", "text/html"));
  EXPECT_EQ(message->headerFieldValue("x-REPEAT"), "1, 2");
  EXPECT_TRUE(message->setHeaderFieldValue("X-Repeat", "3"));
  const std::vector<HTTPMessage::HeaderField> expected = {
      {"ACCEPT", "text/html"}, {"User-Agent", "one"}, {"X-Repeat", "3"}};
  EXPECT_EQ(message->allHeaderFields(), expected);
  EXPECT_TRUE(message->setHeaderFieldValue("user-agent", std::nullopt));
  EXPECT_FALSE(message->headerFieldValue("User-Agent"));

  EXPECT_FALSE(message->setHeaderFieldValue("X-Evil", "a\r\nInjected: yes"));
  EXPECT_FALSE(message->addHeaderField("Bad Name", "v"));
  EXPECT_FALSE(message->addHeaderField("X-Nul", std::string_view("a\0b", 3)));
  EXPECT_EQ(message->allHeaderFields().size(), 2u);
}

TEST(HTTPMessageTest, SerializedHeadIsRawBytesInOrderWithHostFirst) {
  auto message = request("http://a.example:81/p?q=1", "POST", HTTPVersion::HTTP1_0);
  message->setHeaderFieldValue("Content-Length", "3");
  message->setHeaderFieldValue("X-B", "b");
  EXPECT_EQ(message->serializedHead(false),
            "POST /p?q=1 HTTP/1.0\r\nHost: a.example:81\r\nContent-Length: 3\r\nX-B: b\r\n\r\n");
  EXPECT_EQ(message->serializedHead(true).substr(0, 41), "POST http://a.example:81/p?q=1 HTTP/1.0\r\n");
  message->setHeaderFieldValue("host", "override");
  EXPECT_EQ(message->serializedHead(false),
            "POST /p?q=1 HTTP/1.0\r\nContent-Length: 3\r\nX-B: b\r\nhost: override\r\n\r\n");
}

TEST(HTTPMessageTest, MergedFieldsJoinRepeatsUnderTheFirstSpelling) {
  auto response = HTTPMessage::createEmptyResponse();
  EXPECT_FALSE(response->isRequest());
  EXPECT_FALSE(response->isHeaderComplete());
  response->addHeaderField("Set-Cookie", "a=1");
  response->addHeaderField("Vary", "Accept");
  response->addHeaderField("set-cookie", "b=2");
  const std::vector<HTTPMessage::HeaderField> merged = {{"Set-Cookie", "a=1, b=2"}, {"Vary", "Accept"}};
  EXPECT_EQ(response->mergedHeaderFields(), merged);
  response->setResponseStatus(HTTPVersion::HTTP1_0, 404, "Not Found");
  EXPECT_EQ(response->statusLine(), "HTTP/1.0 404 Not Found");
}

// --- The response parser on its own, fed in pieces ---

struct Parsed {
  std::string body;
  std::unique_ptr<HTTPResponseParser> parser;
};

Parsed parse(const std::string& bytes, std::size_t pieceSize, bool noBody = false, bool finish = false) {
  Parsed result;
  result.parser = std::make_unique<HTTPResponseParser>(noBody, [&result](const std::uint8_t* data, std::size_t size) {
    result.body.append(reinterpret_cast<const char*>(data), size);
  });
  std::string pending;
  for (std::size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
    pending += bytes.substr(offset, pieceSize);
    pending.erase(0, result.parser->feed(reinterpret_cast<const std::uint8_t*>(pending.data()), pending.size()));
  }
  if (finish) result.parser->finish();
  return result;
}

TEST(HTTPResponseParserTest, ByteByByteFeedingGivesTheSameResult) {
  const std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nX-A: 1\r\n\r\n3\r\nabc\r\n10\r\n0123456789abcdef\r\n0\r\n\r\n";
  for (std::size_t piece : {1, 2, 7, 1000}) {
    auto parsed = parse(chunked, piece);
    EXPECT_TRUE(parsed.parser->isDone()) << piece;
    EXPECT_FALSE(parsed.parser->error());
    EXPECT_EQ(parsed.body, "abc0123456789abcdef") << piece;
    EXPECT_EQ(parsed.parser->head().headerFieldValue("x-a"), "1");
    EXPECT_TRUE(parsed.parser->keepsConnection());
  }
}

TEST(HTTPResponseParserTest, NoBodyForHeadAndCloseDelimitedBodiesNeedTheEnd) {
  auto head = parse("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 5, true);
  EXPECT_TRUE(head.parser->isDone());
  EXPECT_TRUE(head.body.empty());

  auto open = parse("HTTP/1.1 200 OK\r\n\r\nuntil the end", 4);
  EXPECT_FALSE(open.parser->isDone());
  open.parser->finish();
  EXPECT_TRUE(open.parser->isDone());
  EXPECT_EQ(open.body, "until the end");
  EXPECT_FALSE(open.parser->keepsConnection());

  auto http10 = parse("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", 3);
  EXPECT_TRUE(http10.parser->isDone());
  EXPECT_FALSE(http10.parser->keepsConnection());
}

TEST(HTTPResponseParserTest, EndBeforeTheResponseEndsIsAnError) {
  for (const std::string bytes :
       {"", "HTTP/1.1 200 OK\r\nContent-Le", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab"}) {
    auto parsed = parse(bytes, 3, false, true);
    EXPECT_FALSE(parsed.parser->isDone()) << bytes;
    ASSERT_TRUE(parsed.parser->error()) << bytes;
    EXPECT_TRUE(parsed.parser->endedEarly());
    EXPECT_EQ(parsed.parser->error()->code(), kConnectionLostDuringResponse);
  }
}

TEST(HTTPResponseParserTest, EndlessInterimResponsesAndHugeHeadsAreRefused) {
  std::string interim;
  for (int i = 0; i < 20; ++i) interim += "HTTP/1.1 100 Continue\r\n\r\n";
  auto parsed = parse(interim, 64);
  ASSERT_TRUE(parsed.parser->error());
  EXPECT_EQ(parsed.parser->error()->code(), kResponseParseFailure);

  auto huge = parse("HTTP/1.1 200 OK\r\nX: " + std::string(kMaxResponseHeadBytes, 'x'), 4096);
  ASSERT_TRUE(huge.parser->error());
  EXPECT_EQ(huge.parser->error()->code(), kResponseHeaderTooLarge);
}

}  // namespace
}  // namespace net
