#include "app/station/SampleStation.h"

#include <filesystem>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

#ifndef ZR_SAMPLE_MEDIA_DIR
#define ZR_SAMPLE_MEDIA_DIR ""
#endif

namespace station {

SampleStation::SampleStation(std::string mediaDirectory, CallRecording recording)
    : mediaDirectory_(std::move(mediaDirectory)), recording_(recording) {
  server_.route("/api/", [this](const net::LocalRequest& request) { return api().handle(request); });
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
    foundation::Result<std::string> content = foundation::FileManager::readTextFile(path.string());
    if (!content)
      return foundation::makeError("SampleStation", 1, "The sample file " + path.string() + " cannot be read.");
    media_[name] = std::move(*content);
  }
  if (foundation::Status started = server_.start(); !started) return started;
  std::lock_guard lock(mutex_);
  api_ = std::make_unique<StationApi>(server_.baseURL(), usersFile(), recording_);
  return foundation::Status::success();
}

std::string SampleStation::usersFile() {
  return foundation::Paths::appendingPathComponent(foundation::Paths::homeDirectory(), "SampleStation/users.json");
}

std::string SampleStation::baseUrl() const { return server_.baseURL(); }

StationApi& SampleStation::api() const {
  std::lock_guard lock(mutex_);
  return *api_;
}

net::LocalReply SampleStation::serveMedia(const net::LocalRequest& request, const std::string& file) const {
  const auto found = media_.find(file);
  if (found == media_.end()) return net::LocalReply::notFound();
  return net::LocalReply::ranged(request, found->second, file.ends_with(".mp3") ? "audio/mpeg" : "image/jpeg");
}

// "/song/<id>.mp3" and its network-kind variants under "high/", "medium/" and "log/".
net::LocalReply SampleStation::serveSong(const net::LocalRequest& request) const {
  ++songRequests_;
  std::string_view rest = std::string_view(request.path).substr(std::string_view("/song/").size());
  for (std::string_view variant : {"high/", "medium/", "log/"})
    if (rest.starts_with(variant)) rest.remove_prefix(variant.size());
  if (!rest.ends_with(".mp3")) return net::LocalReply::notFound();
  const SampleSong* song = catalogue().song(std::string(rest.substr(0, rest.size() - 4)));
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
