#include "app/station/StationApi.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/foundation/Json.h"

namespace station {
namespace {

constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr const char* kOk = "hapn.ok";
constexpr const char* kNotFound = "hapn.u_notfound";

net::LocalReply envelope(const std::string& err, foundation::Value data) {
  foundation::Result<std::string> text =
      foundation::Json::serialize(foundation::Dictionary{{"err", err}, {"data", std::move(data)}});
  return StationApi::jsonReply(text.ok() ? text.value() : "{}");
}

// One entry of a batch, {"name": method, "args": {...}}, as a call of its own.
StationCall batchEntryCall(const foundation::Value& entry) {
  StationCall call;
  call.method = entry["name"].toString();
  call.httpMethod = "POST";
  call.path = "/api/" + call.method + ".json";
  if (const foundation::Dictionary* args = entry["args"].getDictionary())
    for (const auto& [key, value] : *args) call.form.emplace_back(key, value.toString());
  return call;
}

// The records of a batch's "js_logs": a JSON array of objects of texts. Anything else yields none.
std::vector<StationCall> batchRecords(const std::string& json) {
  std::vector<StationCall> records;
  foundation::Result<foundation::Value> parsed = foundation::Json::parse(json);
  if (!parsed.ok() || !parsed->isArray()) return records;
  for (const foundation::Value& item : *parsed->getArray()) {
    if (!item.isDictionary()) continue;
    StationCall record;
    record.method = "play._playLog";
    record.form.emplace_back("batch", "1");
    for (const auto& [key, value] : *item.getDictionary())
      if (const std::string* text = value.getString()) record.form.emplace_back(key, *text);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace

StationApi::StationApi(std::string mediaBaseUrl, std::string usersFile, CallRecording recording)
    : catalogue_(std::move(mediaBaseUrl)), recording_(recording), users_(std::move(usersFile)) {
  offer("play.playNowChannels", &StationApi::onAir);
  offer("play.playChannel", &StationApi::nextOfChannel);
  offer("play.playProgram", &StationApi::programToPlay);
  offer("radio.getProgramDetail", &StationApi::programDetail);
  offer("play.getAdPlan", &StationApi::adPlan);
  offer("play._playLog", &StationApi::playLog);
  offer("radio.listAllChannels", &StationApi::allChannels);
  offer("user._login", &StationApi::login);
  offer("user._subscribe", &StationApi::subscription);
  offer("user._unsubscribe", &StationApi::subscription);
  offer("user.listSubscriptionStatus", &StationApi::subscriptions);
  answers_["call"] = [this](const StationCall& call) { return batch(call); };
}

net::LocalReply StationApi::jsonReply(std::string body, int status) {
  return net::LocalReply::text(std::move(body), kJsonType, status);
}

net::LocalReply StationApi::handle(const net::LocalRequest& request) { return reply(record(request)); }

StationCall StationApi::record(const net::LocalRequest& request) {
  StationCall call = StationCall::decode(request);
  if (recording_ == CallRecording::off) return call;
  std::lock_guard lock(mutex_);
  calls_.push_back(call);
  return call;
}

net::LocalReply StationApi::reply(const StationCall& call) const {
  Answer answer;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = answers_.find(call.method); found != answers_.end()) answer = found->second;
  }
  if (!answer) return jsonReply("{\"err\":\"hapn.u_method\",\"data\":{}}", 404);
  return answer(call);
}

void StationApi::answer(const std::string& method, Answer answer) {
  std::lock_guard lock(mutex_);
  answers_[method] = std::move(answer);
}

std::vector<StationCall> StationApi::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::size_t StationApi::callCount() const {
  std::lock_guard lock(mutex_);
  return calls_.size();
}

std::vector<StationCall> StationApi::playLogs() const {
  std::vector<StationCall> logs;
  for (const StationCall& call : calls()) {
    if (call.method != "play._playLog") continue;
    if (const auto batch = call.field("js_logs")) {
      std::ranges::move(batchRecords(*batch), std::back_inserter(logs));
    } else {
      logs.push_back(call);
    }
  }
  return logs;
}

// A built-in method answers {"err": ..., "data": ...}; `err` is changed from "hapn.ok" when the
// call names something unknown.
void StationApi::offer(const std::string& method, BuiltIn builtIn) {
  answers_[method] = [this, builtIn](const StationCall& call) {
    std::string err = kOk;
    foundation::Value data;
    {
      std::lock_guard lock(stateMutex_);
      data = (this->*builtIn)(call, err);
    }
    return envelope(err, std::move(data));
  };
}

// One result per entry of "js_methods", each the "data" of that method's own answer.
net::LocalReply StationApi::batch(const StationCall& call) const {
  foundation::Result<foundation::Value> entries = foundation::Json::parse(call.field("js_methods").value_or(""));
  if (!entries.ok() || !entries->isArray()) return jsonReply("{\"err\":\"hapn.u_param\",\"data\":{}}");
  foundation::Array results;
  for (const foundation::Value& entry : *entries->getArray()) {
    foundation::Result<foundation::Value> own = foundation::Json::parse(reply(batchEntryCall(entry)).body);
    results.push_back(own.ok() ? own.value()["data"] : foundation::Value());
  }
  return envelope(kOk, std::move(results));
}

const SampleProgram* StationApi::program(const StationCall& call, std::string& err) const {
  const SampleProgram* found = catalogue_.program(call.field("program_id").value_or(""));
  if (!found) err = kNotFound;
  return found;
}

foundation::Value StationApi::onAir(const StationCall&, std::string&) {
  return catalogue_.playReply(*catalogue_.program(catalogue_.channelOnAir().programIds.front()));
}

// Each call plays the channel's next programme, so a listener hears the channel go on.
foundation::Value StationApi::nextOfChannel(const StationCall& call, std::string& err) {
  const SampleChannel* channel = catalogue_.channel(call.field("channel_id").value_or(""));
  if (!channel) {
    err = kNotFound;
    return foundation::Dictionary{};
  }
  std::size_t& next = nextProgramOfChannel_[channel->id];
  const std::string& programId = channel->programIds[next++ % channel->programIds.size()];
  return catalogue_.playReply(*catalogue_.program(programId));
}

foundation::Value StationApi::programToPlay(const StationCall& call, std::string& err) {
  const SampleProgram* found = program(call, err);
  return found ? foundation::Value(catalogue_.playReply(*found)) : foundation::Dictionary{};
}

foundation::Value StationApi::programDetail(const StationCall& call, std::string& err) {
  const SampleProgram* found = program(call, err);
  return found ? foundation::Value(catalogue_.programDetail(*found)) : foundation::Dictionary{};
}

foundation::Value StationApi::adPlan(const StationCall&, std::string&) { return catalogue_.adPlan(); }

foundation::Value StationApi::playLog(const StationCall&, std::string&) { return true; }

foundation::Value StationApi::allChannels(const StationCall&, std::string&) { return catalogue_.allChannels(); }

// Any e-mail address with a password logs in; the session id is made from the address.
foundation::Value StationApi::login(const StationCall& call, std::string& err) {
  const std::string email = call.field("email").value_or("");
  const std::size_t at = email.find('@');
  if (at == std::string::npos || at == 0 || call.field("passwd").value_or("").empty()) {
    err = "user.u_login";
    return foundation::Dictionary{};
  }
  users_.logIn(email);
  foundation::Dictionary user{{"uid", "501"},     {"uname", email.substr(0, at)}, {"email", email},
                              {"user_type", "1"}, {"pri_create_program", "0"},    {"pri_audit_program", "0"}};
  return foundation::Dictionary{{"luid", "sample-" + std::to_string(std::hash<std::string>{}(email) % 1000000)},
                                {"user", std::move(user)}};
}

// "user._subscribe" keeps the programme for the user who logged in last (for offline use when
// "sync" is "1"); "user._unsubscribe" lets it go.
foundation::Value StationApi::subscription(const StationCall& call, std::string& err) {
  const SampleProgram* found = program(call, err);
  if (!found) return foundation::Dictionary{};
  const foundation::Status stored = call.method == "user._subscribe"
                                        ? users_.keep(found->id, call.field("sync").value_or("0"))
                                        : users_.letGo(found->id);
  if (!stored) err = "hapn.fail";
  return foundation::Dictionary{{"program_id", found->id}};
}

// The programmes kept for offline use, with the time they were last changed.
foundation::Value StationApi::subscriptions(const StationCall&, std::string&) {
  foundation::Array kept;
  for (const auto& [programId, sync] : users_.programs())
    if (sync == "1")
      kept.emplace_back(foundation::Dictionary{{"program_id", programId}, {"modify_time", "1400000000"}});
  return kept;
}

}  // namespace station
