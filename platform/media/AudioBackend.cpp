#include "platform/media/AudioBackend.h"

#include "platform/foundation/NoDestructor.h"
#include "platform/media/FakeAudioBackend.h"
#include "platform/media/FakePlayerEngine.h"
#include "platform/media/PlayerEngine.h"

namespace media {
namespace {

std::shared_ptr<EngineFactory>& installedFactory() {
  static foundation::NoDestructor<std::shared_ptr<EngineFactory>> factory;
  return *factory;
}

}  // namespace

EngineFactory& EngineFactory::current() {
  auto& factory = installedFactory();
  if (!factory) factory = makeGStreamerFactory(GStreamerOptions{});
  return *factory;
}

void EngineFactory::install(std::shared_ptr<EngineFactory> factory) { installedFactory() = std::move(factory); }

void AudioBackend::useGStreamer(GStreamerOptions options) { EngineFactory::install(makeGStreamerFactory(options)); }

void AudioBackend::prepare() { EngineFactory::current().prepare(); }

bool AudioBackend::waitUntilPrepared(foundation::Duration patience) {
  return EngineFactory::current().waitUntilPrepared(patience);
}

std::shared_ptr<FakeAudioBackend> AudioBackend::useFake() {
  auto backend = std::make_shared<FakeAudioBackend>();
  EngineFactory::install(std::make_shared<FakeEngineFactory>(backend));
  return backend;
}

}  // namespace media
