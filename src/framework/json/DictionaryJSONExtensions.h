#pragma once

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework::dictionary_json_extensions {

// A dictionary read from JSON text by QRVJSONDeserializer; an error for anything else.
foundation::Result<foundation::Dictionary> dictionaryWithJSONData(const foundation::Bytes& data);

}  // namespace framework::dictionary_json_extensions
