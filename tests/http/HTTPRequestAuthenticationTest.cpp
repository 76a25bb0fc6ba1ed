#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/foundation/Base64.h"
#include "platform/foundation/Digest.h"
#include "platform/net/AuthChallenge.h"
#include "platform/net/HTTPReadStream.h"
#include "platform/net/NTLM.h"
#include "src/http/HTTPRequestErrors.h"
#include "src/http/SessionCredentialStore.h"
#include "tests/http/EngineTestSupport.h"
#include "tests/support/SilentSecretService.h"

namespace http::test {
namespace {

using testsupport::hasBasicCredentials;
using testsupport::RecordedRequest;
using testsupport::Reply;

// Asks for credentials through the optional delegate method and answers as told.
class AskingDelegate : public RecordingDelegate {
 public:
  bool respondsTo(Optional method) const override { return method == Optional::authenticationNeeded; }
  void authenticationNeededForRequest(HTTPRequest& request) override {
    ++asked;
    if (asked > answers) {
      request.cancelAuthentication();
      return;
    }
    request.setUsername("ann");
    request.setPassword("secret");
    request.retryUsingSuppliedCredentials();
  }
  int asked = 0;
  int answers = 1;
};

class AuthenticationTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    HTTPRequest::clearSession();
    SessionCredentialStore::proxy().clear();
  }

  void expectAuthenticationNeeded(const std::shared_ptr<HTTPRequest>& request) {
    EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::authenticationNeeded))
        << (request->error() ? request->error()->debugText() : "no error");
  }

  // A route that wants Basic ann:secret.
  void protect(const std::string& path) {
    server.route("GET", path, [](const RecordedRequest& request) {
      return hasBasicCredentials(request, "ann", "secret") ? Reply::text("welcome") : Reply::basicChallenge("vault");
    });
  }
};

TEST_F(AuthenticationTest, BasicChallengeIsAnsweredThenSentBeforeAnyChallengeToTheSameServer) {
  protect("/a");
  protect("/b");
  auto request = makeRequest(server.url("/a"));
  request->setUsername("ann");
  request->setPassword("secret");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "welcome");
  EXPECT_EQ(request->authenticationScheme(), "Basic");
  EXPECT_EQ(request->authenticationRealm(), "vault");
  ASSERT_EQ(server.requestCount("/a"), 2u);
  EXPECT_FALSE(server.requests()[0].header("Authorization"));

  // The session store answers a second request before the server asks.
  delegate = std::make_shared<RecordingDelegate>();
  auto second = makeRequest(server.url("/b"));
  runToEnd(second);
  EXPECT_EQ(second->responseString(), "welcome");
  EXPECT_EQ(server.requestCount("/b"), 1u);

  // Pre-emptive Basic accepted again and again keeps one entry per URL.
  for (int i = 0; i < 2; ++i) {
    delegate = std::make_shared<RecordingDelegate>();
    auto again = makeRequest(server.url("/b"));
    again->setUsername("ann");
    again->setPassword("secret");
    runToEnd(again);
  }
  EXPECT_EQ(HTTPRequest::sessionCredentialsStore().size(), 2u);
}

TEST_F(AuthenticationTest, RefusedCredentialsEndWithCode3InsteadOfLooping) {
  server.route("GET", "/a", Reply::basicChallenge("vault"));
  auto request = makeRequest(server.url("/a"));
  request->setUsername("ann");
  request->setPassword("wrong");
  runToEnd(request);
  expectAuthenticationNeeded(request);
  EXPECT_EQ(server.requestCount("/a"), 2u);
  EXPECT_TRUE(HTTPRequest::sessionCredentialsStore().empty()) << "refused credentials are not kept";
}

TEST_F(AuthenticationTest, WithoutCredentialsOrAnyoneToAskTheRequestFails) {
  protect("/a");
  auto request = makeRequest(server.url("/a"));
  runToEnd(request);
  expectAuthenticationNeeded(request);
  EXPECT_EQ(server.requestCount("/a"), 1u);
}

TEST_F(AuthenticationTest, DelegateAnswersThroughRetryAndGivesUpThroughCancel) {
  protect("/a");
  auto asking = std::make_shared<AskingDelegate>();
  delegate = asking;
  auto request = makeRequest(server.url("/a"));
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "welcome");
  EXPECT_EQ(asking->asked, 1);

  server.route("GET", "/never", Reply::basicChallenge("vault"));
  asking = std::make_shared<AskingDelegate>();
  delegate = asking;
  auto refused = makeRequest(server.url("/never"));
  runToEnd(refused);
  expectAuthenticationNeeded(refused);
  EXPECT_EQ(asking->asked, 2) << "asked again once the answer was refused, then cancelled";
}

TEST_F(AuthenticationTest, BlockAnswersWhenTheDelegateDoesNot) {
  protect("/a");
  auto request = makeRequest(server.url("/a"));
  HTTPRequest* raw = request.get();
  int calls = 0;
  request->setAuthenticationNeededBlock([raw, &calls] {
    ++calls;
    raw->setUsername("ann");
    raw->setPassword("secret");
    raw->retryUsingSuppliedCredentials();
  });
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "welcome");
  EXPECT_EQ(calls, 1);
}

TEST_F(AuthenticationTest, CredentialsInTheURLWinOverTheRequests) {
  protect("/a");
  std::string url = server.url("/a");
  url.insert(url.find("//") + 2, "ann:secret@");
  auto request = makeRequest(url);
  request->setUsername("bob");
  request->setPassword("other");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "welcome");
}

TEST_F(AuthenticationTest, ARedirectToAnotherOriginCarriesNoCredentials) {
  testsupport::LoopbackServer other;
  other.route("GET", "/landing", Reply::text("landed"));
  server.route("GET", "/a", [&](const RecordedRequest& request) {
    return hasBasicCredentials(request, "ann", "secret") ? Reply::redirect(302, other.url("/landing"))
                                                         : Reply::basicChallenge("vault");
  });
  auto request = makeRequest(server.url("/a"));
  request->setUsername("ann");
  request->setPassword("secret");
  request->addRequestHeader("Authorization", "Bearer mine");
  request->setRequestMethod("GET");
  runToEnd(request);
  ASSERT_EQ(other.requestCount(), 1u);
  EXPECT_FALSE(other.requests()[0].header("Authorization"));
  EXPECT_FALSE(request->username());
  for (const auto& entry : HTTPRequest::sessionCredentialsStore()) {
    EXPECT_EQ(entry.url.rfind(server.url("/"), 0), 0u) << "stored under " << entry.url;
  }
}

// The server side of Digest with qop=auth, MD5.
std::string expectedDigest(const net::AuthChallenge& answer, const std::string& password, const std::string& method) {
  auto p = answer.params;
  std::string ha1 = foundation::md5Hex(p["username"] + ":" + p["realm"] + ":" + password);
  std::string ha2 = foundation::md5Hex(method + ":" + p["uri"]);
  return foundation::md5Hex(ha1 + ":" + p["nonce"] + ":" + p["nc"] + ":" + p["cnonce"] + ":" + p["qop"] + ":" + ha2);
}

TEST_F(AuthenticationTest, DigestAnswersAChallengeAndANewNonceWhenTheOldOneWentStale) {
  int staleSent = 0;
  server.route("GET", "/d", [&](const RecordedRequest& request) {
    auto header = request.header("Authorization");
    auto challenge = [](const std::string& nonce, bool stale) {
      Reply reply = Reply::text("who?", 401);
      reply.header("WWW-Authenticate", "Digest realm=\"lab\", qop=\"auth,auth-int\", nonce=\"" + nonce +
                                           "\", opaque=\"op\"" + (stale ? ", stale=true" : ""));
      return reply;
    };
    if (!header) return challenge("n1", false);
    auto answers = net::parseAuthChallenges(*header);
    if (answers.empty() || answers[0].params["response"] != expectedDigest(answers[0], "pw", "GET") ||
        answers[0].params["opaque"] != "op") {
      return Reply::text("bad digest", 403);
    }
    if (staleSent == 0) {
      ++staleSent;
      return challenge("n2", true);
    }
    return answers[0].params["nonce"] == "n2" ? Reply::text("digest ok") : Reply::text("old nonce", 403);
  });
  auto request = makeRequest(server.url("/d?x=1"));
  request->setUsername("ann");
  request->setPassword("pw");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "digest ok");
  EXPECT_EQ(request->authenticationScheme(), "Digest");
  EXPECT_EQ(server.requestCount("/d"), 3u);
}

TEST_F(AuthenticationTest, ServerAndProxyCallingEveryAnswerStaleFailTheRequestAfterAFewTries) {
  int nonce = 0;
  auto challenge = [&](int status, const char* field, bool answered) {
    Reply reply = Reply::text("who?", status);
    reply.header(field, "Digest realm=\"lab\", qop=\"auth\", nonce=\"n" + std::to_string(++nonce) + "\"" +
                            (answered ? ", stale=true" : ""));
    return reply;
  };
  server.route("GET", "/d", [&](const RecordedRequest& request) {
    return challenge(401, "WWW-Authenticate", request.header("Authorization").has_value());
  });
  testsupport::LoopbackServer proxy(
      {.proxy = true, .proxyGate = [&](const RecordedRequest& request) -> std::optional<Reply> {
         return challenge(407, "Proxy-Authenticate", request.header("Proxy-Authorization").has_value());
       }});
  for (bool throughProxy : {false, true}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url("/d"));
    request->setUsername("ann");
    request->setPassword("pw");
    if (throughProxy) {
      request->setProxy("127.0.0.1", proxy.port());
      request->setProxyUsername("pat");
      request->setProxyPassword("pass");
      request->setShouldPresentProxyAuthenticationDialog(false);
    }
    runToEnd(request);
    expectAuthenticationNeeded(request);
  }
  EXPECT_LE(server.requestCount("/d"), 5u);
  EXPECT_LE(proxy.requestCount(), 5u);
}

TEST_F(AuthenticationTest, OneTimeNoncesOnEveryHopOfAFiveRedirectChainAreAnswered) {
  std::set<std::string> unused;  // nonces handed out and not yet answered; the server's thread only
  int issued = 0;
  for (int hop = 1; hop <= 6; ++hop) {
    server.route("GET", "/hop" + std::to_string(hop), [&, hop](const RecordedRequest& request) {
      auto header = request.header("Authorization");
      auto answers = header ? net::parseAuthChallenges(*header) : std::vector<net::AuthChallenge>{};
      const bool answered =
          !answers.empty() && answers[0].params["response"] == expectedDigest(answers[0], "pw", "GET");
      if (answered && unused.erase(answers[0].params["nonce"]) == 1)
        return hop < 6 ? Reply::redirect(302, "/hop" + std::to_string(hop + 1)) : Reply::text("arrived");
      const std::string nonce = "n" + std::to_string(++issued);
      unused.insert(nonce);
      Reply reply = Reply::text("who?", 401);
      reply.header("WWW-Authenticate",
                   "Digest realm=\"lab\", qop=\"auth\", nonce=\"" + nonce + "\"" + (answered ? ", stale=true" : ""));
      return reply;
    });
  }
  auto request = makeRequest(server.url("/hop1"));
  request->setUsername("ann");
  request->setPassword("pw");
  runToEnd(request);
  EXPECT_FALSE(request->error()) << request->error()->debugText();
  EXPECT_EQ(request->responseString(), "arrived");
  EXPECT_EQ(server.requestCount("/hop6"), 2u) << "the nonce of the hop before, called stale, then a new one";
}

// The server side of NTLM: challenge, then check the answer's user, domain and NTLMv2 proof.
class NTLMServer {
 public:
  explicit NTLMServer(bool accepts) : accepts_(accepts) {}
  Reply operator()(const RecordedRequest& request) {
    auto header = request.header("Authorization").value_or("");
    if (header.rfind("NTLM ", 0) != 0) return challenge("NTLM");
    auto message = foundation::base64Decode(header.substr(5));
    if (!message || message->size() < 12) return Reply::text("bad", 400);
    if ((*message)[8] == 1) return challenge("NTLM " + foundation::base64Encode(type2()));
    if (message->size() < 64) return Reply::text("bad", 400);
    auto field = [&](std::size_t at) {
      std::size_t length = (*message)[at] | ((*message)[at + 1] << 8);
      std::size_t offset = (*message)[at + 4] | ((*message)[at + 5] << 8);
      return foundation::Bytes(message->begin() + offset, message->begin() + offset + length);
    };
    auto nt = field(20);
    bool named = field(36) == foundation::Bytes{'a', 0, 'n', 0, 'n', 0} &&
                 field(28) == foundation::Bytes{'C', 0, 'O', 0, 'R', 0, 'P', 0};
    // Recompute the answer from the blob's nonce and time with the known password.
    std::array<std::uint8_t, 8> nonce{};
    std::copy_n(nt.begin() + 32, 8, nonce.begin());
    std::uint64_t time = 0;
    for (int i = 7; i >= 0; --i) time = (time << 8) | nt[24 + i];
    auto expected = net::ntlmAuthenticateMessage(*net::parseNTLMChallenge(foundation::base64Encode(type2())), "ann",
                                                 "pw", "CORP", nonce, time);
    bool proven = expected && *expected == header.substr(5);
    return accepts_ && named && proven ? Reply::text("ntlm ok") : challenge("NTLM");
  }

 private:
  static Reply challenge(const std::string& value) {
    Reply reply = Reply::text("", 401);
    reply.header("WWW-Authenticate", value);
    return reply;
  }
  static foundation::Bytes type2() {
    foundation::Bytes bytes{'N', 'T', 'L', 'M', 'S', 'S', 'P', 0, 2, 0, 0, 0};
    bytes.resize(48, 0);
    bytes[20] = 0x01;  // unicode
    for (int i = 0; i < 8; ++i) bytes[24 + i] = static_cast<std::uint8_t>(0xa0 + i);
    bytes[40] = 4;
    bytes[44] = 48;
    bytes.insert(bytes.end(), {0, 0, 0, 0});
    return bytes;
  }
  bool accepts_;
};

TEST_F(AuthenticationTest, NTLMRunsItsThreeMessagesOnOneConnectionAndEndsWhenRefused) {
  server.route("GET", "/n", NTLMServer(true));
  auto request = makeRequest(server.url("/n"));
  request->setUsername("CORP\\ann");
  request->setPassword("pw");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "ntlm ok");
  auto seen = server.requests();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].connection, seen[2].connection);
  EXPECT_EQ(seen[1].connection, seen[2].connection);

  server.route("GET", "/refused", NTLMServer(false));
  delegate = std::make_shared<RecordingDelegate>();
  auto refused = makeRequest(server.url("/refused"));
  refused->setUsername("ann");
  refused->setPassword("pw");
  refused->setDomain("CORP");
  runToEnd(refused);
  expectAuthenticationNeeded(refused);
  EXPECT_EQ(server.requestCount("/refused"), 3u);
}

TEST_F(AuthenticationTest, ProxyChallengeIsAnsweredWithProxyAuthorization) {
  testsupport::LoopbackServer proxy({.proxy = true, .proxyCredentials = "pat:pass"});
  server.route("GET", "/via", Reply::text("through"));
  auto request = makeRequest(server.url("/via"));
  request->setProxy("127.0.0.1", proxy.port());
  request->setProxyUsername("pat");
  request->setProxyPassword("pass");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "through");
  ASSERT_EQ(proxy.requestCount(), 2u);
  EXPECT_TRUE(hasBasicCredentials(proxy.requests()[1], "pat", "pass", true));
  EXPECT_EQ(HTTPRequest::sessionProxyCredentialsStore().size(), 1u);
}

TEST_F(AuthenticationTest, AKeptTunnelCarriesOnlyRequestsPresentingTheProxyLoginItWasOpenedWith) {
  testsupport::LoopbackServer proxy({.proxy = true, .proxyCredentials = "pat:pass"});
  testsupport::LoopbackServer secure({.tls = true});
  secure.route("GET", "/via", Reply::text("tunnelled"));
  net::HTTPReadStream::setAdditionalTrustedCertificates(secure.certificatePEM());
  // Without session persistence a request presents no login but its own.
  auto through = [&](std::optional<std::string> user, std::optional<std::string> password) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(secure.url("/via"));
    request->setProxy("127.0.0.1", proxy.port());
    request->setProxyUsername(std::move(user));
    request->setProxyPassword(std::move(password));
    request->setUseSessionPersistence(false);
    request->setShouldPresentProxyAuthenticationDialog(false);
    return request;
  };
  for (int i = 0; i < 2; ++i) {
    auto right = through("pat", "pass");
    runToEnd(right);
    EXPECT_EQ(right->responseString(), "tunnelled");
  }
  EXPECT_EQ(proxy.requestCount(), 3u) << "refused without a login, let through with it; then refused and the tunnel";

  auto wrong = through("pat", "guess");
  runToEnd(wrong);
  expectAuthenticationNeeded(wrong);
  auto none = through(std::nullopt, std::nullopt);
  runToEnd(none);
  expectAuthenticationNeeded(none);
  EXPECT_EQ(proxy.requestCount(), 6u) << "each asked the proxy itself";

  // A header made by the caller is a login of its own.
  auto made = through(std::nullopt, std::nullopt);
  made->addRequestHeader("Proxy-Authorization", "Basic cGF0OnBhc3M=");
  runToEnd(made);
  EXPECT_EQ(made->responseString(), "tunnelled");
  auto noneAgain = through(std::nullopt, std::nullopt);
  runToEnd(noneAgain);
  expectAuthenticationNeeded(noneAgain);
  EXPECT_EQ(proxy.requestCount(), 8u);
  EXPECT_EQ(secure.requestCount(), 3u) << "only the requests with the right login reached the host";
  net::HTTPReadStream::setAdditionalTrustedCertificates("");
}

TEST_F(AuthenticationTest, TheSessionsProxyLoginIsNotSentForARequestWithALoginOfItsOwn) {
  testsupport::LoopbackServer proxy({.proxy = true, .proxyCredentials = "pat:pass"});
  testsupport::LoopbackServer secure({.tls = true});
  secure.route("GET", "/via", Reply::text("tunnelled"));
  net::HTTPReadStream::setAdditionalTrustedCertificates(secure.certificatePEM());
  auto through = [&](const std::string& password) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(secure.url("/via"));
    request->setProxy("127.0.0.1", proxy.port());
    request->setProxyUsername("pat");
    request->setProxyPassword(password);
    request->setShouldPresentProxyAuthenticationDialog(false);
    runToEnd(request);
    return request;
  };
  EXPECT_EQ(through("pass")->responseString(), "tunnelled");
  ASSERT_EQ(proxy.requestCount(), 2u);

  expectAuthenticationNeeded(through("guess"));
  ASSERT_EQ(proxy.requestCount(), 4u) << "asked without a login, then with its own";
  EXPECT_TRUE(hasBasicCredentials(proxy.requests()[3], "pat", "guess", true));

  EXPECT_EQ(through("pass")->responseString(), "tunnelled");
  EXPECT_EQ(proxy.requestCount(), 4u) << "the session's login rides its kept tunnel";
  EXPECT_EQ(secure.requestCount(), 2u);
  net::HTTPReadStream::setAdditionalTrustedCertificates("");
}

// The keyring's bus name belongs to a service that never answers: http_silent_keyring runs this
// on a bus of its own.
TEST_F(AuthenticationTest, AChallengeWaitingForASilentKeyringHoldsUpNoOtherRequest) {
  if (!std::getenv("ZR_TEST_SESSION_BUS")) GTEST_SKIP() << "runs inside dbus-run-session as http_silent_keyring";
  testsupport::SilentSecretService silent;
  if (!silent.owned()) GTEST_SKIP() << silent.why();
  testsupport::LoopbackServer proxy({.proxy = true, .proxyCredentials = "pat:pass"});
  server.route("GET", "/via", Reply::text("through"));
  server.route("GET", "/other", Reply::text("unrelated"));
  auto challenged = makeRequest(server.url("/via"));
  challenged->setProxy("127.0.0.1", proxy.port());
  challenged->setShouldPresentProxyAuthenticationDialog(false);
  challenged->setTimeOutSeconds(5);  // the keyring's time-out too
  challenged->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return silent.callsTaken() > 0; })) << "the challenge asks the keyring";

  auto otherDelegate = std::make_shared<RecordingDelegate>();
  auto unrelated = HTTPRequest::requestWithURL(server.url("/other"));
  unrelated->setDelegate(otherDelegate);
  wakeMainLoopWhenFinished(*unrelated);
  unrelated->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return otherDelegate->ended(); }));
  EXPECT_EQ(unrelated->responseString(), "unrelated");
  EXPECT_FALSE(challenged->isFinished()) << "the challenged request is still waiting for the keyring";

  // The bus gives up on an unanswered call after 25 s, and each look-up makes two.
  ASSERT_TRUE(runUntil([&] { return delegate->ended(); }, 20));
  expectAuthenticationNeeded(challenged);
}

TEST_F(AuthenticationTest, ProxyDigestAnswersTheRequestLineTheProxySees) {
  // Through a proxy an https request is only "CONNECT host:port"; an http one has an absolute URL.
  testsupport::LoopbackServer proxy(
      {.proxy = true, .proxyGate = [](const RecordedRequest& request) -> std::optional<Reply> {
         auto header = request.header("Proxy-Authorization");
         auto answers = net::parseAuthChallenges(header.value_or(""));
         if (!answers.empty() && answers[0].params["uri"] == request.target &&
             answers[0].params["response"] == expectedDigest(answers[0], "pass", request.method))
           return std::nullopt;
         Reply reply = Reply::text("who?", 407);
         reply.header("Proxy-Authenticate", "Digest realm=\"gate\", qop=\"auth\", nonce=\"p1\"");
         return reply;
       }});
  testsupport::LoopbackServer secure({.tls = true});
  secure.route("GET", "/via", Reply::text("tunnelled"));
  server.route("GET", "/via", Reply::text("forwarded"));
  net::HTTPReadStream::setAdditionalTrustedCertificates(secure.certificatePEM());
  for (const auto& [url, expected] : {std::pair{secure.url("/via"), "tunnelled"}, {server.url("/via"), "forwarded"}}) {
    SessionCredentialStore::proxy().clear();
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(url);
    request->setProxy("127.0.0.1", proxy.port());
    request->setProxyUsername("pat");
    request->setProxyPassword("pass");
    runToEnd(request);
    EXPECT_EQ(request->responseString(), expected) << (request->error() ? request->error()->debugText() : url);
    EXPECT_EQ(request->proxyAuthenticationScheme(), "Digest");
  }
  // Every Digest answer differs, yet the same login rides the kept tunnel.
  delegate = std::make_shared<RecordingDelegate>();
  auto again = makeRequest(secure.url("/via"));
  again->setProxy("127.0.0.1", proxy.port());
  again->setProxyUsername("pat");
  again->setProxyPassword("pass");
  runToEnd(again);
  EXPECT_EQ(again->responseString(), "tunnelled");
  net::HTTPReadStream::setAdditionalTrustedCertificates("");
  auto seen = proxy.requests();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].method, "CONNECT");
  EXPECT_EQ(seen[3].target, server.url("/via"));
}

TEST(AuthChallengeParsing, SplitsChallengesParametersAndOpaqueTokens) {
  auto parsed = net::parseAuthChallenges(
      "Basic realm=\"a, b\", Digest realm=x, nonce=\"q\\\"uote\", qop=auth,NTLM TlRMTVNTUAACAAAA==, Negotiate");
  ASSERT_EQ(parsed.size(), 4u);
  EXPECT_EQ(parsed[0].scheme, "Basic");
  EXPECT_EQ(parsed[0].params["realm"], "a, b");
  EXPECT_EQ(parsed[1].params["nonce"], "q\"uote");
  EXPECT_EQ(parsed[1].params["qop"], "auth");
  EXPECT_EQ(parsed[2].token68, "TlRMTVNTUAACAAAA==");
  EXPECT_EQ(parsed[3].scheme, "Negotiate");
}

}  // namespace
}  // namespace http::test
