#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/station/SampleCatalogue.h"
#include "app/station/StationApi.h"
#include "app/station/StationCall.h"
#include "platform/foundation/Result.h"
#include "platform/net/LocalHTTPServer.h"

namespace station {

// A small radio station on a free loopback port: the web API of StationApi under "/api/", and
// the song, advert and picture files its catalogue names, served with byte ranges. Its methods
// may be called from any thread.
class SampleStation {
 public:
  // The files the station serves, all found in its media folder.
  static constexpr const char* kMediaFiles[] = {"song-2s.mp3", "song-3s.mp3", "advert.mp3", "cover-1.jpg",
                                                "cover-2.jpg"};

  // Calls are recorded for calls() and playLogs() only where `recording` asks for it.
  explicit SampleStation(std::string mediaDirectory, CallRecording recording = CallRecording::off);
  // The folder of the media made with the program.
  static std::string builtInMediaDirectory();
  // Where the users' kept programmes outlive the station: below the program's home.
  static std::string usersFile();

  // Reads the media and starts serving; fails, naming the file, when one cannot be read.
  foundation::Status start();
  // "http://127.0.0.1:<port>".
  std::string baseUrl() const;
  // After start: the catalogue with this station's URLs, and the web-API calls recorded (see
  // StationApi).
  const SampleCatalogue& catalogue() const { return api().catalogue(); }
  std::vector<StationCall> calls() const { return api().calls(); }
  std::vector<StationCall> playLogs() const { return api().playLogs(); }
  // Requests received for song files, whatever their answer: how a test sees that stored
  // copies played without the network.
  std::size_t songRequestCount() const { return songRequests_; }

 private:
  StationApi& api() const;
  net::LocalReply serveMedia(const net::LocalRequest& request, const std::string& file) const;
  net::LocalReply serveSong(const net::LocalRequest& request) const;
  net::LocalReply servePicture(const net::LocalRequest& request) const;

  std::string mediaDirectory_;
  const CallRecording recording_;
  std::map<std::string, std::string> media_;  // file name -> content, fixed once started
  mutable std::atomic<std::size_t> songRequests_ = 0;
  // The web API is made on start, once the port is known, and read on the server's thread.
  mutable std::mutex mutex_;
  std::unique_ptr<StationApi> api_;  // declared before the server so that it outlives the server's thread
  net::LocalHTTPServer server_;
};

}  // namespace station
