#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/station/SampleCatalogue.h"
#include "app/station/StationCall.h"
#include "app/station/StationUsers.h"
#include "platform/foundation/Value.h"
#include "platform/net/LocalHTTPServer.h"

namespace station {

// Whether a station keeps every call it receives, for a test to read. A station serving a
// listener keeps none: it would grow with every song for as long as the program runs.
enum class CallRecording { off, on };

// The station's web API without a transport: a request for "/api/<method>.json" in, its reply
// out. The methods the player uses are answered from SampleCatalogue, the batch "call" from the
// answers of the methods its "js_methods" names; any method's answer can be replaced. Calls are
// recorded where the station was made to record them. Its methods may be called from any thread.
class StationApi {
 public:
  // Answers one call. Runs on the thread the request arrived on.
  using Answer = std::function<net::LocalReply(const StationCall&)>;

  // The catalogue's URLs lie under `mediaBaseUrl`. The users' kept programmes live in
  // `usersFile` (see StationUsers; empty: in memory only).
  explicit StationApi(std::string mediaBaseUrl, std::string usersFile = "",
                      CallRecording recording = CallRecording::off);
  StationApi(const StationApi&) = delete;
  StationApi& operator=(const StationApi&) = delete;

  const SampleCatalogue& catalogue() const { return catalogue_; }

  // Records the call and answers it.
  net::LocalReply handle(const net::LocalRequest& request);
  // Decodes and records the call without answering it, for a transport that answers on its own.
  StationCall record(const net::LocalRequest& request);
  // The method's answer; 404 {"err":"hapn.u_method"} for a method the station does not offer.
  net::LocalReply reply(const StationCall& call) const;
  // Replaces the method's answer, or adds the method.
  void answer(const std::string& method, Answer answer);

  // What was recorded; nothing when the station records no calls.
  std::vector<StationCall> calls() const;
  std::size_t callCount() const;
  // Every play record received, one per song report: records sent in a batch ("js_logs") are
  // listed one by one with the field "batch" = "1".
  std::vector<StationCall> playLogs() const;

  // A JSON text with status 200 (or `status`).
  static net::LocalReply jsonReply(std::string body, int status = 200);

 private:
  using BuiltIn = foundation::Value (StationApi::*)(const StationCall&, std::string& err);
  void offer(const std::string& method, BuiltIn builtIn);
  net::LocalReply batch(const StationCall& call) const;
  foundation::Value onAir(const StationCall& call, std::string& err);
  foundation::Value nextOfChannel(const StationCall& call, std::string& err);
  foundation::Value programToPlay(const StationCall& call, std::string& err);
  foundation::Value programDetail(const StationCall& call, std::string& err);
  foundation::Value adPlan(const StationCall& call, std::string& err);
  foundation::Value playLog(const StationCall& call, std::string& err);
  foundation::Value allChannels(const StationCall& call, std::string& err);
  foundation::Value login(const StationCall& call, std::string& err);
  foundation::Value subscription(const StationCall& call, std::string& err);
  foundation::Value subscriptions(const StationCall& call, std::string& err);
  const SampleProgram* program(const StationCall& call, std::string& err) const;

  const SampleCatalogue catalogue_;
  const CallRecording recording_;
  mutable std::mutex mutex_;  // guards what follows; never held while an answer runs
  std::map<std::string, Answer> answers_;
  std::vector<StationCall> calls_;
  std::mutex stateMutex_;  // guards what follows, for the built-in answers
  std::map<std::string, std::size_t> nextProgramOfChannel_;
  StationUsers users_;
};

}  // namespace station
