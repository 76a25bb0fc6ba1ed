#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/station/SampleCatalogue.h"
#include "platform/foundation/Result.h"
#include "platform/net/LocalHTTPServer.h"

namespace station {

using FieldList = std::vector<std::pair<std::string, std::string>>;

// One web-API call as the station received it: the method ("play._playLog") and its query and
// form fields, decoded, in order.
struct StationCall {
  std::string method;
  FieldList fields;

  std::optional<std::string> field(const std::string& name) const;
};

// A small radio station on a free loopback port: the web-API methods the player uses, answered
// from SampleCatalogue, and the song, advert and picture files it names, served with byte
// ranges. Every call is recorded. Its methods may be called from any thread.
class SampleStation {
 public:
  // The files the station serves, all found in its media folder.
  static constexpr const char* kMediaFiles[] = {"song-2s.mp3", "song-3s.mp3", "advert.mp3", "cover-1.jpg",
                                                "cover-2.jpg"};

  explicit SampleStation(std::string mediaDirectory);
  // The folder of the media made with the program.
  static std::string builtInMediaDirectory();

  // Reads the media and starts serving; fails, naming the file, when one cannot be read.
  foundation::Status start();
  // "http://127.0.0.1:<port>".
  std::string baseUrl() const;
  // The catalogue with this station's URLs (valid after start).
  const SampleCatalogue& catalogue() const { return *catalogue_; }

  std::vector<StationCall> calls() const;
  // Every play record received, one per song report: records sent in a batch ("js_logs") are
  // listed one by one with the field "batch" = "1".
  std::vector<StationCall> playLogs() const;

 private:
  net::LocalReply answerApi(const net::LocalRequest& request);
  foundation::Value dataFor(const StationCall& call, std::string& err);
  foundation::Value login(const StationCall& call, std::string& err) const;
  foundation::Value subscriptions() const;
  net::LocalReply serveMedia(const net::LocalRequest& request, const std::string& file) const;
  net::LocalReply serveSong(const net::LocalRequest& request) const;
  net::LocalReply servePicture(const net::LocalRequest& request) const;

  std::string mediaDirectory_;
  std::map<std::string, std::string> media_;  // file name -> content, fixed once started
  net::LocalHTTPServer server_;
  std::unique_ptr<SampleCatalogue> catalogue_;

  mutable std::mutex mutex_;  // guards what follows; requests arrive on the server's thread
  std::vector<StationCall> calls_;
  std::map<std::string, std::size_t> nextProgramOfChannel_;
  std::map<std::string, std::string> subscribedPrograms_;  // programme id -> "sync" flag
};

}  // namespace station
