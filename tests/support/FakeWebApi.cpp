#include "tests/support/FakeWebApi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/Json.h"
#include "platform/foundation/Url.h"

namespace testsupport {
namespace {

constexpr const char* kHeld = "fake-web-api-held";
constexpr const char* kApiPrefix = "/api/";
constexpr const char* kJsonSuffix = ".json";

std::filesystem::path fixtureFolder() { return std::filesystem::path(ZR_TEST_SUPPORT_DIR) / "fixtures"; }

std::string decoded(std::string_view text) {
  foundation::Result<std::string> plain = foundation::Url::percentUnescape(text);
  return plain.ok() ? plain.value() : std::string(text);
}

// "a=1&b=%20" as decoded pairs, in order.
FieldList decodePairs(std::string_view text) {
  FieldList pairs;
  while (!text.empty()) {
    const std::size_t end = text.find('&');
    std::string_view pair = text.substr(0, end);
    const std::size_t equals = pair.find('=');
    pairs.emplace_back(decoded(pair.substr(0, equals)),
                       equals == std::string_view::npos ? std::string() : decoded(pair.substr(equals + 1)));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return pairs;
}

// The value of a parameter of a header ("boundary" in a Content-Type, "name" in a disposition).
std::string headerParameter(std::string_view header, const std::string& name) {
  for (std::size_t at = header.find(name + "="); at != std::string_view::npos; at = header.find(name + "=", at + 1)) {
    if (at > 0 && header[at - 1] != ' ' && header[at - 1] != ';') continue;
    std::string_view value = header.substr(at + name.size() + 1);
    if (!value.empty() && value.front() == '"') return std::string(value.substr(1, value.find('"', 1) - 1));
    return std::string(value.substr(0, value.find(';')));
  }
  return {};
}

void decodeMultipart(const std::string& body, const std::string& boundary, ApiCall& call) {
  const std::string delimiter = "--" + boundary;
  std::size_t start = body.find(delimiter + "\r\n");
  while (start != std::string::npos) {
    start += delimiter.size() + 2;
    const std::size_t end = body.find("\r\n" + delimiter, start);
    if (end == std::string::npos) return;
    const std::string part = body.substr(start, end - start);
    const std::size_t headEnd = part.find("\r\n\r\n");
    const std::string head = part.substr(0, headEnd);
    const std::string content = headEnd == std::string::npos ? std::string() : part.substr(headEnd + 4);
    const std::string name = headerParameter(head, "name");
    if (head.find("filename=") != std::string::npos) {
      const std::size_t typeAt = head.find("Content-Type: ");
      const std::string type =
          typeAt == std::string::npos ? "" : head.substr(typeAt + 14, head.find("\r\n", typeAt) - typeAt - 14);
      call.files.push_back({name, headerParameter(head, "filename"), type, content});
    } else {
      call.form.emplace_back(name, content);
    }
    start = body.compare(end + 2, delimiter.size() + 2, delimiter + "--") == 0 ? std::string::npos : end + 2;
  }
}

ApiCall decodeCall(const RecordedRequest& request) {
  ApiCall call;
  call.httpMethod = request.method;
  call.path = request.path();
  std::string method = call.path.substr(std::min(call.path.size(), std::string(kApiPrefix).size()));
  if (method.size() > 5 && method.ends_with(kJsonSuffix)) method.resize(method.size() - 5);
  call.apiMethod = method;
  const std::size_t mark = request.target.find('?');
  if (mark != std::string::npos) call.rawQuery = request.target.substr(mark + 1);
  call.query = decodePairs(call.rawQuery);
  call.contentType = request.header("Content-Type").value_or("");
  if (call.contentType.starts_with("multipart/form-data")) {
    decodeMultipart(request.body, headerParameter(call.contentType, "boundary"), call);
  } else if (call.contentType.starts_with("application/x-www-form-urlencoded")) {
    call.form = decodePairs(request.body);
  }
  return call;
}

std::optional<std::string> firstValue(const FieldList& fields, const std::string& name) {
  for (const auto& [key, value] : fields)
    if (key == name) return value;
  return std::nullopt;
}

Reply jsonReply(std::string body) {
  Reply reply;
  reply.body = std::move(body);
  reply.header("Content-Type", "application/json; charset=utf-8");
  return reply;
}

}  // namespace

std::optional<std::string> ApiCall::queryValue(const std::string& name) const { return firstValue(query, name); }
std::optional<std::string> ApiCall::formValue(const std::string& name) const { return firstValue(form, name); }

FakeWebApi::FakeWebApi() {
  for (const auto& entry : std::filesystem::directory_iterator(fixtureFolder()))
    if (entry.path().extension() == kJsonSuffix) routeMethod(entry.path().stem().string());
  routeMethod("call");
}

FakeWebApi::~FakeWebApi() { server_.release(kHeld); }

std::string FakeWebApi::baseUrl() const {
  std::string url = server_.url("/");
  url.pop_back();
  return url;
}

std::string FakeWebApi::fixture(const std::string& name) {
  std::ifstream file(fixtureFolder() / name, std::ios::binary);
  EXPECT_TRUE(file.good()) << "no fixture " << name;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void FakeWebApi::routeMethod(const std::string& method) {
  const std::string path = method == "call" ? "/api/call" : kApiPrefix + method + kJsonSuffix;
  server_.route("*", path, [this](const RecordedRequest& request) { return answerFor(request); });
}

void FakeWebApi::answer(const std::string& method, Reply reply) {
  {
    std::scoped_lock lock(mutex_);
    overrides_[method] = std::move(reply);
  }
  routeMethod(method);
}

void FakeWebApi::answerEach(const std::string& method, std::function<Reply(const ApiCall&)> answer) {
  {
    std::scoped_lock lock(mutex_);
    handlers_[method] = std::move(answer);
  }
  routeMethod(method);
}

void FakeWebApi::answerWithFixture(const std::string& method, const std::string& fixtureName) {
  answer(method, jsonReply(fixture(fixtureName)));
}

void FakeWebApi::answerWithBody(const std::string& method, std::string body) {
  answer(method, jsonReply(std::move(body)));
}

void FakeWebApi::answerWithErr(const std::string& method, const std::string& errCode) {
  answer(method, jsonReply("{\"err\":\"" + errCode + "\",\"data\":{}}"));
}

void FakeWebApi::answerWithStatus(const std::string& method, int status) {
  Reply reply = Reply::text("<html><body><h1>" + std::to_string(status) + " Server Error</h1></body></html>", status);
  reply.header("Content-Type", "text/html");
  answer(method, std::move(reply));
}

void FakeWebApi::dropConnection(const std::string& method) {
  Reply reply;
  reply.fault = Fault::kCloseWithoutReply;
  answer(method, std::move(reply));
}

void FakeWebApi::holdReplies(const std::string& method) {
  Reply reply = jsonReply("{\"err\":\"hapn.ok\",\"data\":{}}");
  reply.holdUntilReleased = kHeld;
  answer(method, std::move(reply));
}

void FakeWebApi::releaseHeldReplies() { server_.release(kHeld); }

std::optional<Reply> FakeWebApi::overrideFor(const std::string& method) const {
  std::scoped_lock lock(mutex_);
  auto found = overrides_.find(method);
  return found == overrides_.end() ? std::nullopt : std::optional<Reply>(found->second);
}

Reply FakeWebApi::answerFor(const RecordedRequest& request) {
  const ApiCall call = decodeCall(request);
  const std::string& method = call.apiMethod;
  std::function<Reply(const ApiCall&)> handler;
  {
    std::scoped_lock lock(mutex_);
    if (auto found = handlers_.find(method); found != handlers_.end()) handler = found->second;
  }
  if (handler) return handler(call);
  if (std::optional<Reply> reply = overrideFor(method)) return *reply;
  if (method == "call") return batchAnswer(request);
  return jsonReply(fixture(method + kJsonSuffix));
}

// One result per call of "js_methods", each the data of that method's own answer.
Reply FakeWebApi::batchAnswer(const RecordedRequest& request) {
  const std::optional<std::string> methods = decodeCall(request).formValue("js_methods");
  foundation::Result<foundation::Value> calls = foundation::Json::parse(methods.value_or(""));
  if (!calls.ok() || !calls.value().isArray()) return jsonReply("{\"err\":\"hapn.u_param\",\"data\":{}}");
  foundation::Array results;
  for (const foundation::Value& call : *calls.value().getArray()) {
    const std::string name = call["name"].toString();
    std::optional<Reply> own = overrideFor(name);
    foundation::Result<foundation::Value> reply =
        foundation::Json::parse(own ? own->body : fixture(name + kJsonSuffix));
    results.push_back(reply.ok() ? reply.value()["data"] : foundation::Value());
  }
  foundation::Dictionary envelope{{"err", "hapn.ok"}, {"data", std::move(results)}};
  return jsonReply(foundation::Json::serialize(envelope).value());
}

std::vector<ApiCall> FakeWebApi::calls() const {
  std::vector<ApiCall> decodedCalls;
  for (const RecordedRequest& request : server_.requests()) decodedCalls.push_back(decodeCall(request));
  return decodedCalls;
}

std::vector<ApiCall> FakeWebApi::callsTo(const std::string& method) const {
  std::vector<ApiCall> matching;
  for (ApiCall& call : calls())
    if (call.apiMethod == method) matching.push_back(std::move(call));
  return matching;
}

std::size_t FakeWebApi::callCount() const { return server_.requestCount(); }

}  // namespace testsupport
