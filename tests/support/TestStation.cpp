#include "tests/support/TestStation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {
namespace {

constexpr const char* kHeld = "test-station-held";

std::filesystem::path fixtureFolder() { return std::filesystem::path(ZR_TEST_SUPPORT_DIR) / "fixtures"; }

net::LocalRequest localRequest(const RecordedRequest& request) {
  net::LocalRequest local{request.method, request.path(), "", request.headers, request.body};
  if (const std::size_t mark = request.target.find('?'); mark != std::string::npos)
    local.query = request.target.substr(mark + 1);
  return local;
}

Reply loopbackReply(const net::LocalReply& local) {
  Reply reply;
  reply.status = local.status;
  reply.headers = local.headers;
  reply.body = local.body;
  return reply;
}

}  // namespace

TestStation::TestStation() {
  station_ = std::make_unique<station::StationApi>(baseUrl(), "", station::CallRecording::on);
  for (const auto& entry : std::filesystem::directory_iterator(fixtureFolder()))
    if (entry.path().extension() == ".json")
      answerWithFixture(entry.path().stem().string(), entry.path().filename().string());
  server_.routePrefix("*", "/api/", [this](const RecordedRequest& request) { return answerFor(request); });
}

TestStation::~TestStation() { server_.release(kHeld); }

std::string TestStation::baseUrl() const { return server_.url(""); }

std::string TestStation::fixture(const std::string& name) {
  std::ifstream file(fixtureFolder() / name, std::ios::binary);
  EXPECT_TRUE(file.good()) << "no fixture " << name;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The newest answer holds: a station answer ends a transport reply set before it.
void TestStation::answerEach(const std::string& method, station::StationApi::Answer answer) {
  {
    std::scoped_lock lock(mutex_);
    transportReplies_.erase(method);
  }
  station_->answer(method, std::move(answer));
}

void TestStation::answerWithFixture(const std::string& method, const std::string& fixtureName) {
  answerWithBody(method, fixture(fixtureName));
}

void TestStation::answerWithBody(const std::string& method, std::string body) {
  answerEach(method,
             [body = std::move(body)](const station::StationCall&) { return station::StationApi::jsonReply(body); });
}

void TestStation::answerWithErr(const std::string& method, const std::string& errCode) {
  answerWithBody(method, "{\"err\":\"" + errCode + "\",\"data\":{}}");
}

void TestStation::answerWithStatus(const std::string& method, int status) {
  const std::string page = "<html><body><h1>" + std::to_string(status) + " Server Error</h1></body></html>";
  answerEach(method,
             [page, status](const station::StationCall&) { return net::LocalReply::text(page, "text/html", status); });
}

void TestStation::answer(const std::string& method, Reply reply) {
  std::scoped_lock lock(mutex_);
  transportReplies_[method] = std::move(reply);
}

void TestStation::dropConnection(const std::string& method) {
  Reply reply;
  reply.fault = Fault::kCloseWithoutReply;
  answer(method, std::move(reply));
}

void TestStation::holdReplies(const std::string& method) {
  Reply reply = loopbackReply(station::StationApi::jsonReply("{\"err\":\"hapn.ok\",\"data\":{}}"));
  reply.holdUntilReleased = kHeld;
  answer(method, std::move(reply));
}

void TestStation::releaseHeldReplies() { server_.release(kHeld); }

std::optional<Reply> TestStation::transportReplyFor(const std::string& method) const {
  std::scoped_lock lock(mutex_);
  auto found = transportReplies_.find(method);
  return found == transportReplies_.end() ? std::nullopt : std::optional<Reply>(found->second);
}

Reply TestStation::answerFor(const RecordedRequest& request) {
  const station::StationCall call = station_->record(localRequest(request));
  if (std::optional<Reply> reply = transportReplyFor(call.method)) return *reply;
  return loopbackReply(station_->reply(call));
}

std::vector<station::StationCall> TestStation::calls() const { return station_->calls(); }

std::vector<station::StationCall> TestStation::callsTo(const std::string& method) const {
  std::vector<station::StationCall> matching;
  for (station::StationCall& call : calls())
    if (call.method == method) matching.push_back(std::move(call));
  return matching;
}

std::size_t TestStation::callCount() const { return station_->callCount(); }

}  // namespace testsupport
