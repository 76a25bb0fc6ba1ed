#include "platform/media/AudioSession.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

namespace media {
namespace {

void postLater(std::string name, foundation::Dictionary userInfo) {
  foundation::RunLoop::main().post([name = std::move(name), userInfo = std::move(userInfo)] {
    foundation::NotificationCenter::defaultCenter().postNotificationName(name, {}, userInfo);
  });
}

AudioRouteDescription speakerRoute() { return AudioRouteDescription{{kAudioOutputSpeaker}}; }

}  // namespace

AudioSession& AudioSession::sharedInstance() {
  static auto* session = new AudioSession();  // lives for the run
  return *session;
}

AudioSession::AudioSession() : route_(speakerRoute()) {}

void AudioSession::setOutputVolume(float volume) {
  volume_ = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : volume_;
  postLater(kSystemVolumeDidChangeNotification, {{kSystemVolumeParameter, foundation::Value(double{volume_})}});
}

void AudioSession::injectInterruption(bool began) {
  postLater(kAudioSessionInterruptionNotification, {{"type", foundation::Value(began ? 1 : 0)}});
}

void AudioSession::injectRouteChange(std::optional<AudioRouteDescription> route, int reason) {
  route_ = std::move(route);
  postLater(kAudioSessionRouteChangeNotification, {{"reason", foundation::Value(reason)}});
}

void AudioSession::injectWirelessRoutesAvailable(bool available) {
  wirelessRoutesAvailable_ = available;
  postLater(kWirelessRoutesAvailableDidChangeNotification, {{"available", foundation::Value(available)}});
}

void AudioSession::resetForTesting() { *this = AudioSession(); }

}  // namespace media
