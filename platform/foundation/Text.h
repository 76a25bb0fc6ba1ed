#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

inline constexpr const char* kTextEncodingErrorDomain = "TextEncodingErrorDomain";
// Codes of kTextEncodingErrorDomain.
inline constexpr long long kUnknownCharsetError = 1;  // a charset name the system does not know
inline constexpr long long kInvalidTextError = 2;     // bytes not valid in the charset, or text it cannot hold

// Conversion between UTF-8 text and the bytes of a character set named by its IANA name
// ("UTF-8", "ISO-8859-1", "GBK", "GB18030", "UTF-16", ...; case does not matter). UTF-16
// without a byte-order mark is read as big-endian. Conversions are exact: invalid or truncated
// input is an error, never replaced or dropped.
class Text {
 public:
  // Any thread. Whether the name is a character set that decode() and encode() accept.
  static bool isKnownCharset(std::string_view charset);
  // Any thread. The bytes, read in the charset, as UTF-8 text.
  static Result<std::string> decode(std::span<const std::uint8_t> bytes, std::string_view charset);
  static Result<std::string> decode(std::string_view bytes, std::string_view charset);
  // Any thread. The UTF-8 text written in the charset; an error when the text is not valid
  // UTF-8 or holds a character the charset cannot represent.
  static Result<Bytes> encode(std::string_view utf8, std::string_view charset);
};

}  // namespace foundation
