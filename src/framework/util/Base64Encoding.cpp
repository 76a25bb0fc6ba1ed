#include "src/framework/util/Base64Encoding.h"

#include "platform/foundation/Base64.h"

namespace framework::base64_encoding {

std::string base64Encoding(const foundation::Bytes& data) { return foundation::base64Encode(data); }

}  // namespace framework::base64_encoding
