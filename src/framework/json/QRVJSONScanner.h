#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "src/framework/json/QRVDataScanner.h"

namespace framework {

inline constexpr const char* kQRVJSONScannerErrorDomain = "QRVJSONScannerErrorDomain";

enum class QRVJSONScannerErrorCode : long long {
  dictionaryNotStarted = -1,
  dictionaryKey = -2,
  dictionaryKeyNotTerminated = -3,
  dictionaryValue = -4,
  dictionaryPairsNotDelimited = -5,
  dictionaryNotTerminated = -6,
  arrayNotStarted = -7,
  arrayValue = -8,
  arrayNotTerminated = -9,
  arrayNotTerminatedAtEnd = -10,
  stringNotStarted = -11,
  stringUnicode = -12,
  stringEscape = -13,
  number = -14,
  stringNotTerminated = -15,  // the input ends inside a string
};

// Reads JSON values from bytes. On an error the position goes back to where the failing
// construct began. Nesting deeper than kMaxDepth is refused rather than exhausting the stack.
class QRVJSONScanner : public QRVDataScanner {
 public:
  static constexpr int kMaxDepth = 512;

  // Takes the bytes as UTF-8, converting UTF-16 and UTF-32 text first (told apart by the zero
  // bytes among the first four); fails when such text does not convert.
  foundation::Status setData(foundation::Bytes data);

  // The value at the current position; nothing (and no error) when no value starts there.
  foundation::Result<std::optional<foundation::Value>> scanJSONObject();
  foundation::Result<foundation::Dictionary> scanJSONDictionary();
  foundation::Result<foundation::Array> scanJSONArray();
  foundation::Result<std::string> scanJSONStringConstant();
  foundation::Result<double> scanJSONNumberConstant();
  // Consumes bytes up to the next double quote or backslash.
  bool scanNotQuoteCharactersIntoString(std::string* into);

 private:
  foundation::Result<std::optional<foundation::Value>> scanLiteral();
  foundation::Status scanEscape(std::string& out);
  foundation::Status scanUnicodeEscape(std::string& out);
  foundation::Result<foundation::Value> scanNestedValue(QRVJSONScannerErrorCode failure);

  int depth_ = 0;
};

}  // namespace framework
