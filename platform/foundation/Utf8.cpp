#include "platform/foundation/Utf8.h"

namespace foundation {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence that starts with this byte, and the allowed range of its second
// byte (which is where overlong forms, surrogates and values past U+10FFFF are ruled out).
struct Lead {
  int length;
  unsigned char secondLow;
  unsigned char secondHigh;
};

Lead leadOf(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<unsigned char>(text[i]);
    Lead lead = leadOf(byte);
    if (lead.length == 0) return false;
    if (lead.length == 1) {
      ++i;
      continue;
    }
    if (text.size() - i < static_cast<std::size_t>(lead.length)) return false;
    auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < lead.secondLow || second > lead.secondHigh) return false;
    for (int k = 2; k < lead.length; ++k)
      if (!isContinuation(static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]))) return false;
    i += static_cast<std::size_t>(lead.length);
  }
  return true;
}

}  // namespace foundation
