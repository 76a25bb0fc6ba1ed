#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace framework {

// Any thread. The object's class as written in the source ("framework::QRVSerializedJSONData"), for
// messages about values a writer cannot write.
std::string className(const foundation::Object& object);

}  // namespace framework
