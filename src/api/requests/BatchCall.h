#pragma once

#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace api {

// One method call of a batch sent to "/api/call": the module and method ("photo.listUserPAlbums")
// and its arguments.
struct BatchCall {
  std::string name;
  foundation::Dictionary args;

  // Any thread. The parameters of a batch request: {"js_methods": the JSON text of the calls as
  // [{"name": ..., "args": {...}}, ...]}. The reply's data holds one result per call, in order.
  static foundation::Result<foundation::Dictionary> parameters(const std::vector<BatchCall>& calls);
};

}  // namespace api
