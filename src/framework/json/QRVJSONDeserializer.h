#pragma once

#include <optional>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

inline constexpr const char* kQRVJSONDeserializerErrorDomain = "QRVJSONDeserializerErrorDomain";
inline constexpr long long kQRVJSONDeserializerEmptyDataError = -1;

// Reads JSON text (UTF-8, UTF-16 or UTF-32) with QRVJSONScanner. Stateless.
class QRVJSONDeserializer {
 public:
  static QRVJSONDeserializer deserializer() { return {}; }

  // Any JSON value; nothing (and no error) when the text starts with no value at all.
  foundation::Result<std::optional<foundation::Value>> deserialize(const foundation::Bytes& data) const;
  foundation::Result<foundation::Dictionary> deserializeAsDictionary(const foundation::Bytes& data) const;
  foundation::Result<foundation::Array> deserializeAsArray(const foundation::Bytes& data) const;
};

}  // namespace framework
