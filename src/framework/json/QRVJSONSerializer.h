#pragma once

#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "src/framework/json/QRVJSONDataSerializer.h"

namespace framework {

// The JSON writer for request parameters ("js_methods", "js_logs"): the text of
// QRVJSONDataSerializer as a UTF-8 string.
class QRVJSONSerializer {
 public:
  static QRVJSONSerializer serializer() { return {}; }

  foundation::Result<std::string> serializeObject(const foundation::Value& object) const;
  foundation::Result<std::string> serializeArray(const foundation::Array& array) const;
  foundation::Result<std::string> serializeDictionary(const foundation::Dictionary& dictionary) const;

 private:
  QRVJSONDataSerializer serializer_;
};

}  // namespace framework
