// Races the program's two first uses of GIO at its start: the sound backend's warm-up on its
// workers and the HTTP engine reading the desktop's proxy settings, the second begun the given
// number of microseconds after the first. Exits 0 when both ended.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/foundation/Clock.h"
#include "platform/media/AudioBackend.h"
#include "platform/net/ProxySettings.h"

int main(int argc, char** argv) {
  const auto offset = std::chrono::microseconds(argc > 1 ? std::atoi(argv[1]) : 0);
  media::AudioBackend::useGStreamer({.sink = media::AudioSink::fake});
  media::AudioBackend::prepare();
  std::this_thread::sleep_for(offset);
  (void)net::ProxySettings::system();
  return media::AudioBackend::waitUntilPrepared(foundation::Duration(60)) ? 0 : 1;
}
