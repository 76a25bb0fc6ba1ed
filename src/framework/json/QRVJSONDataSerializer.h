#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

inline constexpr const char* kQRVJSONSerializerErrorDomain = "QRVJSONSerializerErrorDomain";

enum class QRVJSONSerializerErrorCode : long long {
  unsupportedType = -1,  // a date, or an object that is not ready JSON text
  nonFiniteNumber = -2,  // NaN and the infinities have no JSON form
  invalidText = -3,      // text or data that is not UTF-8
};

// Writes values as compact JSON text: no white space, dictionary keys in their own order, "/"
// written as "\/", booleans as true/false, and every control character escaped. Stateless.
class QRVJSONDataSerializer {
 public:
  static QRVJSONDataSerializer serializer() { return {}; }

  foundation::Result<foundation::Bytes> serializeObject(const foundation::Value& object) const;
  foundation::Bytes serializeNull() const;
  foundation::Result<foundation::Bytes> serializeNumber(const foundation::Value& number) const;
  foundation::Result<foundation::Bytes> serializeString(std::string_view text) const;
  foundation::Result<foundation::Bytes> serializeArray(const foundation::Array& array) const;
  foundation::Result<foundation::Bytes> serializeDictionary(const foundation::Dictionary& dictionary) const;
};

}  // namespace framework
