#pragma once

#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace station {

struct SampleSong {
  std::string id;
  std::string name;
  std::string artist;
  std::string album;
  int seconds = 2;  // which sample file it plays: "song-2s.mp3" or "song-3s.mp3"
};

struct SampleProgram {
  std::string id;
  std::string name;
  std::string description;
  std::string dj;
  std::string cover;  // "cover-1.jpg" or "cover-2.jpg"
  std::vector<SampleSong> songs;
};

struct SampleChannel {
  std::string id;
  std::string name;
  std::vector<std::string> programIds;  // played in turn
};

struct SampleRadio {
  std::string id;
  std::string name;
  std::vector<SampleChannel> channels;
};

// The station's programme: radios, channels, programmes and songs with Chinese titles, and the
// web-API dictionaries that describe them with URLs under the station's base URL.
class SampleCatalogue {
 public:
  explicit SampleCatalogue(std::string baseUrl);

  const std::vector<SampleRadio>& radios() const { return radios_; }
  const SampleChannel* channel(const std::string& id) const;
  const SampleProgram* program(const std::string& id) const;
  const SampleSong* song(const std::string& id) const;
  // The channel on air when a listener opens the player.
  const SampleChannel& channelOnAir() const;

  foundation::Dictionary programDictionary(const SampleProgram& program) const;
  foundation::Dictionary songDictionary(const SampleSong& song) const;
  // {"program": ..., "songs": [...]}, as the play methods answer.
  foundation::Dictionary playReply(const SampleProgram& program) const;
  // The programme with "channels" and "songs": {"total", "lists"}, as the detail method answers.
  foundation::Dictionary programDetail(const SampleProgram& program) const;
  // Radios with their channels.
  foundation::Array allChannels() const;
  foundation::Dictionary adPlan() const;

  std::string pictureUrl(const std::string& file) const { return baseUrl_ + "/img/" + file; }
  std::string songUrl(const SampleSong& song) const { return baseUrl_ + "/song/" + song.id + ".mp3"; }
  std::string advertUrl() const { return baseUrl_ + "/ad/advert.mp3"; }

  // How many songs of the plan come before an advert.
  static constexpr int kSongsPerAdvert = 3;

 private:
  std::string baseUrl_;
  std::vector<SampleRadio> radios_;
  std::vector<SampleProgram> programs_;
};

}  // namespace station
