#include "platform/media/RemoteCommandCenter.h"

#include "platform/foundation/RunLoop.h"

namespace media {

RemoteCommandCenter& RemoteCommandCenter::sharedCenter() {
  static auto* center = new RemoteCommandCenter();  // lives for the run: the desktop's bus thread sends to it
  return *center;
}

void RemoteCommandCenter::injectCommand(RemoteCommand command) {
  foundation::RunLoop::main().post([this, command] {
    if (receiving_ && handler_) handler_(command);
  });
}

void RemoteCommandCenter::resetForTesting() {
  handler_ = nullptr;
  receiving_ = false;
}

}  // namespace media
