#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace framework::base64_encoding {

// Standard Base64 with "=" padding and no line breaks; "" for empty data.
std::string base64Encoding(const foundation::Bytes& data);

}  // namespace framework::base64_encoding
