#pragma once

#include <optional>
#include <string>

namespace playback {

// What a song is played from: its downloaded file, or its stream when the network and the
// playback setting allow it. Pure; any thread.
struct SongSourceRule {
  // The stored playback setting that allows the stream on Wi-Fi only.
  static constexpr const char* kWiFiOnly = "WiFi";
  static constexpr const char* kOfflineFileToast = "正在播放离线音乐，不会消耗流量";
  static constexpr double kOfflineFileToastSeconds = 3.0;
  static constexpr const char* kMobileStreamToast = "正在 2G/3G/4G 网络环境下播放";
  static constexpr double kMobileStreamToastSeconds = 2.0;
  static constexpr const char* kRefusedTitle = "系统提示";
  static constexpr const char* kRefusedMessage = "请设置允许在 2G/3G/4G 下播放";
  static constexpr const char* kRefusedButton = "确定";

  enum class Outcome {
    play,     // from `source`
    refused,  // the setting forbids the stream on this network: the alert, no source
    skip,     // offline mode and no file: nothing to play it from
  };

  struct Choice {
    Outcome outcome = Outcome::play;
    std::string source;
    std::optional<std::string> toast;
    double toastSeconds = 0;
  };

  // `downloadedFile`: the song's file when it is downloaded. `streamUrl` is asked for only when
  // the stream is chosen.
  template <class StreamUrl>
  static Choice choose(const std::optional<std::string>& setting, int networkStatus, bool offline,
                       const std::optional<std::string>& downloadedFile, StreamUrl&& streamUrl) {
    if (downloadedFile) return fromFile(*downloadedFile, networkStatus, offline);
    Choice choice = forStream(setting, networkStatus, offline);
    if (choice.outcome == Outcome::play) choice.source = streamUrl();
    return choice;
  }

  // Status 2, 3 and 4 are the mobile network.
  static bool isMobileNetwork(int networkStatus) { return networkStatus >= 2 && networkStatus <= 4; }

 private:
  static Choice fromFile(const std::string& file, int networkStatus, bool offline);
  static Choice forStream(const std::optional<std::string>& setting, int networkStatus, bool offline);
};

}  // namespace playback
