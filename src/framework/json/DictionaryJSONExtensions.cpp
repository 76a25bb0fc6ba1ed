#include "src/framework/json/DictionaryJSONExtensions.h"

#include "src/framework/json/QRVJSONDeserializer.h"

namespace framework::dictionary_json_extensions {

foundation::Result<foundation::Dictionary> dictionaryWithJSONData(const foundation::Bytes& data) {
  return QRVJSONDeserializer::deserializer().deserializeAsDictionary(data);
}

}  // namespace framework::dictionary_json_extensions
