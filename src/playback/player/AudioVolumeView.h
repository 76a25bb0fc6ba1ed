#pragma once

#include "platform/ui/View.h"

namespace playback {

// A plain view of the player panel, made like any view.
class AudioVolumeView : public ui::View {
 public:
  using View::View;
};

}  // namespace playback
