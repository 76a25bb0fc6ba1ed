#include "platform/foundation/DecimalNumber.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace foundation {

namespace {

// Exponents are kept far from the 64-bit limits, so that adding digit counts cannot overflow.
constexpr std::int64_t kExponentLimit = 1'000'000'000;
// Plain notation takes at most this many zeros beyond the digits; past it the exponent is written.
constexpr std::int64_t kMostPaddingZeros = 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Parts {
  bool negative = false;
  std::string digits;  // without leading zeros; "0" for zero
  std::int64_t exponent = 0;
};

std::size_t takeDigits(std::string_view text, std::size_t& at, std::string& digits) {
  const std::size_t start = at;
  while (at < text.size() && isDigit(text[at])) ++at;
  digits.append(text.substr(start, at - start));
  return at - start;
}

std::optional<Parts> readParts(std::string_view text) {
  Parts parts;
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) parts.negative = text[at++] == '-';
  const std::size_t integerDigits = takeDigits(text, at, parts.digits);
  std::size_t fractionDigits = 0;
  if (at < text.size() && text[at] == '.') fractionDigits = takeDigits(text, ++at, parts.digits);
  if (integerDigits + fractionDigits == 0) return std::nullopt;
  std::int64_t exponent = 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    bool negativeExponent = false;
    if (++at < text.size() && (text[at] == '-' || text[at] == '+')) negativeExponent = text[at++] == '-';
    if (at >= text.size() || !isDigit(text[at])) return std::nullopt;
    for (; at < text.size() && isDigit(text[at]); ++at) {
      exponent = exponent * 10 + (text[at] - '0');
      if (exponent > kExponentLimit) return std::nullopt;
    }
    if (negativeExponent) exponent = -exponent;
  }
  if (at != text.size() || fractionDigits > static_cast<std::size_t>(kExponentLimit)) return std::nullopt;
  parts.exponent = exponent - static_cast<std::int64_t>(fractionDigits);
  if (parts.exponent < -kExponentLimit) return std::nullopt;
  const std::size_t firstNonZero = parts.digits.find_first_not_of('0');
  parts.digits.erase(0, firstNonZero == std::string::npos ? parts.digits.size() - 1 : firstNonZero);
  return parts;
}

std::string textOf(const Parts& parts) {
  std::string text = parts.negative ? "-" : "";
  const auto count = static_cast<std::int64_t>(parts.digits.size());
  // A negative zero keeps a fraction digit: "-0" would read back as the integer 0, without its sign.
  const std::int64_t exponent =
      parts.digits == "0" ? std::min<std::int64_t>(parts.exponent, parts.negative ? -1 : 0) : parts.exponent;
  if (exponent >= 0 && exponent <= kMostPaddingZeros) {
    text += parts.digits;
    text.append(static_cast<std::size_t>(exponent), '0');
  } else if (exponent < 0 && -exponent < count) {
    const auto whole = static_cast<std::size_t>(count + exponent);
    text.append(parts.digits, 0, whole);
    text += '.';
    text.append(parts.digits, whole);
  } else if (exponent < 0 && -exponent - count <= kMostPaddingZeros) {
    text += "0.";
    text.append(static_cast<std::size_t>(-exponent - count), '0');
    text += parts.digits;
  } else {
    text += parts.digits;
    text += 'e';
    text += std::to_string(exponent);
  }
  return text;
}

// The parts with trailing zeros moved into the exponent, and zero without a sign, so that equal
// values have equal parts.
Parts normalised(Parts parts) {
  if (parts.digits == "0") return Parts{false, "0", 0};
  const std::size_t kept = parts.digits.find_last_not_of('0') + 1;
  parts.exponent += static_cast<std::int64_t>(parts.digits.size() - kept);
  parts.digits.resize(kept);
  return parts;
}

}  // namespace

DecimalNumber::DecimalNumber(std::uint64_t mantissa, std::int64_t exponent, bool negative)
    : notANumber_(exponent < -kExponentLimit || exponent > kExponentLimit) {
  text_ = notANumber_ ? "NaN" : textOf(Parts{negative, std::to_string(mantissa), exponent});
}

DecimalNumber::DecimalNumber(std::string_view text) {
  auto parts = readParts(text);
  notANumber_ = !parts;
  text_ = parts ? textOf(*parts) : "NaN";
}

// Only the digits count: an exponent's own digits ("0e-40000") say nothing of the value.
bool DecimalNumber::isZero() const { return !notANumber_ && text_.find_first_of("123456789") >= text_.find('e'); }

double DecimalNumber::doubleValue() const {
  if (notANumber_) return std::numeric_limits<double>::quiet_NaN();
  double value = 0;
  auto [end, ec] = std::from_chars(text_.data(), text_.data() + text_.size(), value);
  if (ec == std::errc()) return value;
  // Out of range: the position of the decimal point tells overflow from underflow.
  const Parts parts = *readParts(text_);
  const bool overflow = static_cast<std::int64_t>(parts.digits.size()) + parts.exponent > 0;
  const double magnitude = overflow ? std::numeric_limits<double>::infinity() : 0.0;
  return parts.negative ? -magnitude : magnitude;
}

std::optional<std::uint64_t> DecimalNumber::wholeMagnitude() const {
  const Parts parts = *readParts(text_);
  std::string whole = parts.digits;
  if (parts.exponent >= 0) {
    if (parts.digits != "0" && static_cast<std::int64_t>(whole.size()) + parts.exponent > 20) return std::nullopt;
    if (parts.digits != "0") whole.append(static_cast<std::size_t>(parts.exponent), '0');
  } else {
    const std::int64_t kept = static_cast<std::int64_t>(whole.size()) + parts.exponent;
    whole = kept > 0 ? whole.substr(0, static_cast<std::size_t>(kept)) : "0";
  }
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), magnitude);
  if (ec != std::errc()) return std::nullopt;
  return magnitude;
}

std::int64_t DecimalNumber::clampedInt64() const {
  if (notANumber_) return 0;
  constexpr auto kMost = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  const bool negative = text_.front() == '-';
  const auto magnitude = wholeMagnitude();
  if (!magnitude || *magnitude > kMost + (negative ? 1 : 0)) {
    return negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
  }
  // Negated in unsigned arithmetic, so that the most negative value needs no signed overflow.
  return negative ? static_cast<std::int64_t>(0 - *magnitude) : static_cast<std::int64_t>(*magnitude);
}

std::uint64_t DecimalNumber::clampedUInt64() const {
  if (notANumber_ || text_.front() == '-') return 0;
  return wholeMagnitude().value_or(std::numeric_limits<std::uint64_t>::max());
}

bool operator==(const DecimalNumber& a, const DecimalNumber& b) {
  if (a.notANumber_ || b.notANumber_) return a.notANumber_ == b.notANumber_;
  const Parts x = normalised(*readParts(a.text_));
  const Parts y = normalised(*readParts(b.text_));
  return x.negative == y.negative && x.digits == y.digits && x.exponent == y.exponent;
}

}  // namespace foundation
