#include "src/playback/panel/WebAddress.h"

#include "platform/foundation/Url.h"

namespace playback {

bool isWebAddress(std::string_view text) {
  foundation::Result<foundation::Url> url = foundation::Url::parse(text);
  return url.ok() && (url->scheme() == "http" || url->scheme() == "https") && !url->host().empty();
}

}  // namespace playback
