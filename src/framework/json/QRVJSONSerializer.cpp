#include "src/framework/json/QRVJSONSerializer.h"

namespace framework {

namespace {

foundation::Result<std::string> toText(foundation::Result<foundation::Bytes> bytes) {
  if (!bytes) return bytes.error();
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

foundation::Result<std::string> QRVJSONSerializer::serializeObject(const foundation::Value& object) const {
  return toText(serializer_.serializeObject(object));
}

foundation::Result<std::string> QRVJSONSerializer::serializeArray(const foundation::Array& array) const {
  return toText(serializer_.serializeArray(array));
}

foundation::Result<std::string> QRVJSONSerializer::serializeDictionary(const foundation::Dictionary& dictionary) const {
  return toText(serializer_.serializeDictionary(dictionary));
}

}  // namespace framework
