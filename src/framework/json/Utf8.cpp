#include "src/framework/json/Utf8.h"

namespace framework::utf8 {

bool appendCodePoint(std::string& out, std::uint32_t codePoint) {
  if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) return false;
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return true;
}

namespace {

std::uint32_t readUnit(std::string_view bytes, std::size_t at, std::size_t width, Endian endian) {
  std::uint32_t unit = 0;
  for (std::size_t k = 0; k < width; ++k) {
    std::size_t index = endian == Endian::big ? at + k : at + width - 1 - k;
    unit = (unit << 8) | static_cast<unsigned char>(bytes[index]);
  }
  return unit;
}

bool isHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::optional<std::string> fromUtf16(std::string_view bytes, Endian endian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    std::uint32_t unit = readUnit(bytes, at, 2, endian);
    if (isHighSurrogate(unit) && at + 2 < bytes.size()) {
      std::uint32_t low = readUnit(bytes, at + 2, 2, endian);
      if (isLowSurrogate(low)) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    if (!appendCodePoint(out, unit)) return std::nullopt;
  }
  return out;
}

std::optional<std::string> fromUtf32(std::string_view bytes, Endian endian) {
  if (bytes.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size(); at += 4)
    if (!appendCodePoint(out, readUnit(bytes, at, 4, endian))) return std::nullopt;
  return out;
}

}  // namespace framework::utf8
