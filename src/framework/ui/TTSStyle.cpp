#include "src/framework/ui/TTSStyle.h"

#include "platform/ui/Screen.h"

namespace framework {

float TTSStyle::VersionCheckHeight() {
  // The stand-in screen's version, never the host's: layouts must not change between machines.
  return static_cast<float>(ui::Screen::main().systemVersionNumber()) >= 7.0f ? 20.0f : 0.0f;
}

}  // namespace framework
