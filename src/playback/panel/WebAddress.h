#pragma once

#include <string_view>

namespace playback {

// Whether the text is an http or https address with a host: the only links the panel hands to
// the system, whatever the server put in a programme.
bool isWebAddress(std::string_view text);

}  // namespace playback
