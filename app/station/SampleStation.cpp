#include "app/station/SampleStation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/Json.h"
#include "platform/foundation/Url.h"

#ifndef ZR_SAMPLE_MEDIA_DIR
#define ZR_SAMPLE_MEDIA_DIR ""
#endif

namespace station {
namespace {

constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr const char* kOk = "hapn.ok";
constexpr const char* kNotFound = "hapn.u_notfound";

std::string formDecoded(std::string_view text) {
  std::string plus(text);
  std::replace(plus.begin(), plus.end(), '+', ' ');
  foundation::Result<std::string> plain = foundation::Url::percentUnescape(plus);
  return plain.ok() ? plain.value() : plus;
}

void appendPairs(std::string_view text, FieldList& fields) {
  while (!text.empty()) {
    const std::size_t end = text.find('&');
    const std::string_view pair = text.substr(0, end);
    const std::size_t equals = pair.find('=');
    if (!pair.empty())
      fields.emplace_back(formDecoded(pair.substr(0, equals)),
                          equals == std::string_view::npos ? std::string() : formDecoded(pair.substr(equals + 1)));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// "/api/play.playChannel.json" -> "play.playChannel".
std::string apiMethodOf(const std::string& path) {
  std::string method = path.substr(std::string_view("/api/").size());
  if (method.ends_with(".json")) method.resize(method.size() - 5);
  return method;
}

StationCall decodeCall(const net::LocalRequest& request) {
  StationCall call{apiMethodOf(request.path), {}};
  appendPairs(request.query, call.fields);
  if (request.header("Content-Type").value_or("").starts_with("application/x-www-form-urlencoded"))
    appendPairs(request.body, call.fields);
  return call;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  return file.bad() ? std::nullopt : std::optional(content.str());
}

// The records of a batch's "js_logs": a JSON array of objects of texts. Anything else yields none.
std::vector<StationCall> batchRecords(const std::string& json) {
  std::vector<StationCall> records;
  foundation::Result<foundation::Value> parsed = foundation::Json::parse(json);
  if (!parsed.ok() || !parsed->isArray()) return records;
  for (const foundation::Value& item : *parsed->getArray()) {
    if (!item.isDictionary()) continue;
    StationCall record{"play._playLog", {{"batch", "1"}}};
    for (const auto& [key, value] : *item.getDictionary())
      if (const std::string* text = value.getString()) record.fields.emplace_back(key, *text);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace

std::optional<std::string> StationCall::field(const std::string& name) const {
  for (const auto& [key, value] : fields)
    if (key == name) return value;
  return std::nullopt;
}

SampleStation::SampleStation(std::string mediaDirectory) : mediaDirectory_(std::move(mediaDirectory)) {
  server_.route("/api/", [this](const net::LocalRequest& request) { return answerApi(request); });
  server_.route("/song/", [this](const net::LocalRequest& request) { return serveSong(request); });
  server_.route("/img/", [this](const net::LocalRequest& request) { return servePicture(request); });
  server_.route("/ad/advert.mp3",
                [this](const net::LocalRequest& request) { return serveMedia(request, "advert.mp3"); });
  server_.route("/ad/page.html", [](const net::LocalRequest&) {
    return net::LocalReply::text(
        "<!doctype html><meta charset=\"utf-8\"><title>夏日新歌</title><h1>夏日新歌，今日上线</h1>\n",
        "text/html; charset=utf-8");
  });
}

std::string SampleStation::builtInMediaDirectory() { return ZR_SAMPLE_MEDIA_DIR; }

foundation::Status SampleStation::start() {
  for (const char* name : kMediaFiles) {
    const std::filesystem::path path = std::filesystem::path(mediaDirectory_) / name;
    std::optional<std::string> content = readFile(path);
    if (!content)
      return foundation::makeError("SampleStation", 1, "The sample file " + path.string() + " cannot be read.");
    media_[name] = std::move(*content);
  }
  if (foundation::Status started = server_.start(); !started) return started;
  std::lock_guard lock(mutex_);
  catalogue_ = std::make_unique<SampleCatalogue>(server_.baseURL());
  return foundation::Status::success();
}

std::string SampleStation::baseUrl() const { return server_.baseURL(); }

std::vector<StationCall> SampleStation::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<StationCall> SampleStation::playLogs() const {
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

net::LocalReply SampleStation::answerApi(const net::LocalRequest& request) {
  StationCall call = decodeCall(request);
  std::string err = kOk;
  foundation::Value data;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
    data = dataFor(call, err);
  }
  if (data.isNull()) return net::LocalReply::text("{\"err\":\"hapn.u_method\",\"data\":{}}", kJsonType, 404);
  foundation::Result<std::string> text =
      foundation::Json::serialize(foundation::Dictionary{{"err", err}, {"data", std::move(data)}});
  return net::LocalReply::text(text.ok() ? text.value() : "{}", kJsonType);
}

// The reply's "data" for a call (null for a method the station does not offer); `err` becomes
// the reply's code when the call names something unknown.
foundation::Value SampleStation::dataFor(const StationCall& call, std::string& err) {
  const SampleCatalogue& catalogue = *catalogue_;
  const std::string& method = call.method;
  auto programReply = [&](const SampleProgram* program, bool detail) -> foundation::Value {
    if (!program) {
      err = kNotFound;
      return foundation::Dictionary{};
    }
    return detail ? catalogue.programDetail(*program) : catalogue.playReply(*program);
  };
  if (method == "play.playNowChannels") {
    const SampleChannel& onAir = catalogue.channelOnAir();
    return programReply(catalogue.program(onAir.programIds.front()), false);
  }
  if (method == "play.playChannel") {
    const SampleChannel* channel = catalogue.channel(call.field("channel_id").value_or(""));
    if (!channel) return programReply(nullptr, false);
    std::size_t& next = nextProgramOfChannel_[channel->id];
    const std::string& programId = channel->programIds[next++ % channel->programIds.size()];
    return programReply(catalogue.program(programId), false);
  }
  if (method == "play.playProgram")
    return programReply(catalogue.program(call.field("program_id").value_or("")), false);
  if (method == "radio.getProgramDetail")
    return programReply(catalogue.program(call.field("program_id").value_or("")), true);
  if (method == "play.getAdPlan") return catalogue.adPlan();
  if (method == "play._playLog") return true;
  if (method == "radio.listAllChannels") return catalogue.allChannels();
  if (method == "user._login") return login(call, err);
  if (method == "user._subscribe" || method == "user._unsubscribe") {
    const std::string programId = call.field("program_id").value_or("");
    if (!catalogue.program(programId)) return programReply(nullptr, false);
    if (method == "user._subscribe")
      subscribedPrograms_[programId] = call.field("sync").value_or("0");
    else
      subscribedPrograms_.erase(programId);
    return foundation::Dictionary{{"program_id", programId}};
  }
  if (method == "user.listSubscriptionStatus") return subscriptions();
  return nullptr;
}

// Any e-mail address with a password logs in; the session id is made from the address.
foundation::Value SampleStation::login(const StationCall& call, std::string& err) const {
  const std::string email = call.field("email").value_or("");
  const std::size_t at = email.find('@');
  if (at == std::string::npos || at == 0 || call.field("passwd").value_or("").empty()) {
    err = "user.u_login";
    return foundation::Dictionary{};
  }
  foundation::Dictionary user{{"uid", "501"},     {"uname", email.substr(0, at)}, {"email", email},
                              {"user_type", "1"}, {"pri_create_program", "0"},    {"pri_audit_program", "0"}};
  return foundation::Dictionary{{"luid", "sample-" + std::to_string(std::hash<std::string>{}(email) % 1000000)},
                                {"user", std::move(user)}};
}

// The programmes kept for offline use, with the time they were last changed.
foundation::Value SampleStation::subscriptions() const {
  foundation::Array kept;
  for (const auto& [programId, sync] : subscribedPrograms_)
    if (sync == "1")
      kept.emplace_back(foundation::Dictionary{{"program_id", programId}, {"modify_time", "1400000000"}});
  return kept;
}

net::LocalReply SampleStation::serveMedia(const net::LocalRequest& request, const std::string& file) const {
  const auto found = media_.find(file);
  if (found == media_.end()) return net::LocalReply::notFound();
  return net::LocalReply::ranged(request, found->second, file.ends_with(".mp3") ? "audio/mpeg" : "image/jpeg");
}

// "/song/<id>.mp3" and its network-kind variants under "high/", "medium/" and "log/".
net::LocalReply SampleStation::serveSong(const net::LocalRequest& request) const {
  std::string_view rest = std::string_view(request.path).substr(std::string_view("/song/").size());
  for (std::string_view variant : {"high/", "medium/", "log/"})
    if (rest.starts_with(variant)) rest.remove_prefix(variant.size());
  if (!rest.ends_with(".mp3")) return net::LocalReply::notFound();
  std::lock_guard lock(mutex_);
  const SampleSong* song = catalogue_->song(std::string(rest.substr(0, rest.size() - 4)));
  if (!song) return net::LocalReply::notFound();
  return serveMedia(request, song->seconds == 3 ? "song-3s.mp3" : "song-2s.mp3");
}

// "/img/<file>" with or without a "!style" size suffix; the advert picture is the second cover.
net::LocalReply SampleStation::servePicture(const net::LocalRequest& request) const {
  std::string name = request.path.substr(std::string_view("/img/").size());
  for (std::string_view mark : {"!", "%21"})
    if (const std::size_t at = name.find(mark); at != std::string::npos) name.resize(at);
  if (name == "advert.jpg") name = "cover-2.jpg";
  if (name != "cover-1.jpg" && name != "cover-2.jpg") return net::LocalReply::notFound();
  return serveMedia(request, name);
}

}  // namespace station
