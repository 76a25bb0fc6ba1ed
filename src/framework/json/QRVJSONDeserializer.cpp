#include "src/framework/json/QRVJSONDeserializer.h"

#include "src/framework/json/QRVJSONScanner.h"

namespace framework {

namespace {

foundation::ErrorPtr emptyDataError() {
  return foundation::makeError(kQRVJSONDeserializerErrorDomain, kQRVJSONDeserializerEmptyDataError,
                               "Could not deserialize empty data.");
}

// Runs `scan` on a scanner over `data`, after the checks every entry point shares.
template <class Scan>
auto scanWith(const foundation::Bytes& data, Scan scan) -> decltype(scan(std::declval<QRVJSONScanner&>())) {
  if (data.empty()) return emptyDataError();
  QRVJSONScanner scanner;
  if (foundation::Status status = scanner.setData(data); !status) return status.error();
  return scan(scanner);
}

}  // namespace

foundation::Result<std::optional<foundation::Value>> QRVJSONDeserializer::deserialize(
    const foundation::Bytes& data) const {
  return scanWith(data, [](QRVJSONScanner& scanner) { return scanner.scanJSONObject(); });
}

foundation::Result<foundation::Dictionary> QRVJSONDeserializer::deserializeAsDictionary(
    const foundation::Bytes& data) const {
  return scanWith(data, [](QRVJSONScanner& scanner) { return scanner.scanJSONDictionary(); });
}

foundation::Result<foundation::Array> QRVJSONDeserializer::deserializeAsArray(const foundation::Bytes& data) const {
  return scanWith(data, [](QRVJSONScanner& scanner) { return scanner.scanJSONArray(); });
}

}  // namespace framework
