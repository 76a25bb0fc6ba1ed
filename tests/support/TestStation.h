#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/station/StationApi.h"
#include "app/station/StationCall.h"
#include "tests/support/LoopbackServer.h"

namespace testsupport {

// The sample station's web API on the scripted loopback server, for tests: "/api/..." is
// recorded and answered by a station::StationApi, which answers each method that has a fixture
// file "<module>.<method>.json" in tests/support/fixtures from that file (over its catalogue), and
// the batch "/api/call" from the answers of the methods its "js_methods" names. A test can replace
// a method's answer, or how the server sends it.
class TestStation {
 public:
  TestStation();
  ~TestStation();
  TestStation(const TestStation&) = delete;
  TestStation& operator=(const TestStation&) = delete;

  // "http://127.0.0.1:<port>", the base URL to give the request classes.
  std::string baseUrl() const;
  LoopbackServer& server() { return server_; }

  // The fixture's text; fails the test when it is missing.
  static std::string fixture(const std::string& name);

  // --- The station's answer for one method ("play.playChannel", or "call"); batches see it ---
  // The newest answer set for a method, here or below, holds.
  // Answers each call from what it carries (a programme detail per "program_id").
  void answerEach(const std::string& method, station::StationApi::Answer answer);
  void answerWithFixture(const std::string& method, const std::string& fixtureName);
  // A JSON (or any) text with status 200.
  void answerWithBody(const std::string& method, std::string body);
  // {"err": code, "data": {}}.
  void answerWithErr(const std::string& method, const std::string& errCode);
  // A server error page: status and an HTML body.
  void answerWithStatus(const std::string& method, int status);

  // --- What the server sends instead of the station's answer; the call is still recorded ---
  void answer(const std::string& method, Reply reply);
  // Closes the connection without a reply.
  void dropConnection(const std::string& method);
  // Holds the reply until releaseHeldReplies(): past any time-out a test steps to.
  void holdReplies(const std::string& method);
  void releaseHeldReplies();

  // --- What arrived ---
  std::vector<station::StationCall> calls() const;
  std::vector<station::StationCall> callsTo(const std::string& method) const;
  std::size_t callCount() const;

 private:
  Reply answerFor(const RecordedRequest& request);
  std::optional<Reply> transportReplyFor(const std::string& method) const;

  mutable std::mutex mutex_;  // guards transportReplies_; the server's thread reads it
  std::map<std::string, Reply> transportReplies_;
  std::unique_ptr<station::StationApi> station_;  // outlives the server's thread
  LoopbackServer server_;
};

}  // namespace testsupport
