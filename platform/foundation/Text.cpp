#include "platform/foundation/Text.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/foundation/Utf8.h"

namespace foundation {
namespace {

constexpr std::size_t kMaxCharsetNameLength = 40;

// IANA names use letters, digits and a few marks. Anything else could reach iconv's own
// suffixes ("//IGNORE", "//TRANSLIT") and silently change the conversion.
bool isPlausibleCharsetName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxCharsetNameLength && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' || c == ':' || c == '(' ||
           c == ')' || c == '+';
  });
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

ErrorPtr unknownCharset(std::string_view charset) {
  return makeError(kTextEncodingErrorDomain, kUnknownCharsetError,
                   "Unknown character set \"" + std::string(charset) + "\"");
}

class Converter {
 public:
  Converter(std::string_view to, std::string_view from)
      : handle_(iconv_open(std::string(to).c_str(), std::string(from).c_str())) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the whole input; false when a byte sequence is invalid or incomplete.
  bool convert(std::string_view input, std::string& output) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
      output.append(buffer, static_cast<std::size_t>(out - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
      // A non-reversible conversion means a character had no exact counterpart.
      if (result != static_cast<std::size_t>(-1) && result > 0) return false;
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return false;
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    return true;
  }

 private:
  iconv_t handle_;
};

Result<std::string> convert(std::string_view input, std::string_view to, std::string_view from,
                            std::string_view charset, const char* failureText) {
  if (!isPlausibleCharsetName(charset)) return unknownCharset(charset);
  Converter converter(to, from);
  if (!converter.valid()) return unknownCharset(charset);
  std::string output;
  if (!converter.convert(input, output)) {
    return makeError(kTextEncodingErrorDomain, kInvalidTextError,
                     std::string(failureText) + " \"" + std::string(charset) + "\"");
  }
  return output;
}

}  // namespace

bool Text::isKnownCharset(std::string_view charset) {
  return isPlausibleCharsetName(charset) && Converter("UTF-8", charset).valid();
}

Result<std::string> Text::decode(std::span<const std::uint8_t> bytes, std::string_view charset) {
  return decode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), charset);
}

Result<std::string> Text::decode(std::string_view bytes, std::string_view charset) {
  // iconv reads unmarked UTF-16 in the machine's order; RFC 2781 says big-endian.
  bool unmarkedUtf16 =
      equalsIgnoringCase(charset, "UTF-16") && !bytes.starts_with("\xFE\xFF") && !bytes.starts_with("\xFF\xFE");
  auto text = convert(bytes, "UTF-8", unmarkedUtf16 ? "UTF-16BE" : charset, charset, "The bytes are not valid text in");
  // iconv is lenient about some UTF-8 forms (surrogates); what leaves here is always valid.
  if (text && !isValidUtf8(*text)) {
    return makeError(kTextEncodingErrorDomain, kInvalidTextError,
                     "The bytes are not valid text in \"" + std::string(charset) + "\"");
  }
  return text;
}

Result<Bytes> Text::encode(std::string_view utf8, std::string_view charset) {
  auto converted = convert(utf8, charset, "UTF-8", charset, "The text cannot be written in");
  if (!converted) return converted.error();
  return Bytes(converted->begin(), converted->end());
}

}  // namespace foundation
