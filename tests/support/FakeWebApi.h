#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/LoopbackServer.h"

namespace testsupport {

using FieldList = std::vector<std::pair<std::string, std::string>>;

// One file part of a multipart form.
struct FormPart {
  std::string name;
  std::string fileName;
  std::string contentType;
  std::string body;
};

// One call of the web API as the fake received it, decoded.
struct ApiCall {
  std::string httpMethod;  // "GET" or "POST"
  std::string path;        // "/api/play.playChannel.json"
  std::string apiMethod;   // "play.playChannel", or "call" for a batch
  std::string rawQuery;    // as sent, without the "?"
  FieldList query;         // decoded, in order
  std::string contentType;
  FieldList form;               // text fields of a url-encoded or multipart body, in order
  std::vector<FormPart> files;  // file parts of a multipart body

  // The first query or form field of that name.
  std::optional<std::string> queryValue(const std::string& name) const;
  std::optional<std::string> formValue(const std::string& name) const;
};

// The application's web API on loopback: "/api/<module>.<method>.json" is answered from the
// fixture file "<module>.<method>.json" in tests/support/fixtures, and the batch "/api/call"
// from the fixtures of the methods its "js_methods" names. A test can replace the answer of any
// method. Every call is recorded and decoded (query, form fields, multipart parts).
class FakeWebApi {
 public:
  FakeWebApi();
  ~FakeWebApi();
  FakeWebApi(const FakeWebApi&) = delete;
  FakeWebApi& operator=(const FakeWebApi&) = delete;

  // "http://127.0.0.1:<port>", the base URL to give the request classes.
  std::string baseUrl() const;
  LoopbackServer& server() { return server_; }

  // The fixture's text; fails the test when it is missing.
  static std::string fixture(const std::string& name);

  // --- Answers for one server method ("play.playChannel", or "call") ---
  void answer(const std::string& method, Reply reply);
  void answerWithFixture(const std::string& method, const std::string& fixtureName);
  // Answers each call from what it carries (a programme detail per "program_id").
  void answerEach(const std::string& method, std::function<Reply(const ApiCall&)> answer);
  // A JSON (or any) text with status 200.
  void answerWithBody(const std::string& method, std::string body);
  // {"err": code, "data": {}}.
  void answerWithErr(const std::string& method, const std::string& errCode);
  // A server error page: status and an HTML body.
  void answerWithStatus(const std::string& method, int status);
  // Closes the connection without a reply.
  void dropConnection(const std::string& method);
  // Holds the reply until releaseHeldReplies(): past any time-out a test steps to.
  void holdReplies(const std::string& method);
  void releaseHeldReplies();

  // --- What arrived ---
  std::vector<ApiCall> calls() const;
  std::vector<ApiCall> callsTo(const std::string& method) const;
  std::size_t callCount() const;

 private:
  Reply answerFor(const RecordedRequest& request);
  Reply batchAnswer(const RecordedRequest& request);
  std::optional<Reply> overrideFor(const std::string& method) const;
  void routeMethod(const std::string& method);

  mutable std::mutex mutex_;  // guards overrides_; the server's thread reads it
  std::map<std::string, Reply> overrides_;
  std::map<std::string, std::function<Reply(const ApiCall&)>> handlers_;
  LoopbackServer server_;
};

}  // namespace testsupport
