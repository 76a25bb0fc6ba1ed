#include "src/framework/categories/ColorAdditions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace framework::color_additions {
namespace {

struct Rgba {
  double red, green, blue, alpha;
};

std::optional<Rgba> rgbaOf(const ModelColor& color) {
  Rgba rgba{};
  if (!red(color, &rgba.red, &rgba.green, &rgba.blue, &rgba.alpha)) return std::nullopt;
  return rgba;
}

struct Hsba {
  double hue, saturation, brightness, alpha;
};

std::optional<Hsba> hsbaOf(const ModelColor& color) {
  Hsba hsba{};
  if (!hue(color, &hsba.hue, &hsba.saturation, &hsba.brightness, &hsba.alpha)) return std::nullopt;
  return hsba;
}

ModelColor colorWithHue(const Hsba& hsba) {
  double r = 0, g = 0, b = 0;
  hue(hsba.hue, hsba.saturation, hsba.brightness, &r, &g, &b);
  return ui::Color::rgb(r, g, b, hsba.alpha);
}

void store(double* out, double value) {
  if (out) *out = value;
}

double clampUnit(double value) { return std::clamp(value, 0.0, 1.0); }

// Applies one operation per component with the four given operands.
template <class Op>
std::optional<ModelColor> mapComponents(const ModelColor& color, const Rgba& operands, Op op) {
  std::optional<Rgba> c = rgbaOf(color);
  if (!c) return std::nullopt;
  return ModelColor(ui::Color::rgb(op(c->red, operands.red), op(c->green, operands.green), op(c->blue, operands.blue),
                                   op(c->alpha, operands.alpha)));
}

constexpr auto multiply = [](double c, double f) { return clampUnit(c * f); };
constexpr auto add = [](double c, double a) { return clampUnit(c + a); };
constexpr auto lighten = [](double c, double v) { return std::max(c, v); };
constexpr auto darken = [](double c, double v) { return std::min(c, v); };

template <class Op>
std::optional<ModelColor> mapByColor(const ModelColor& color, const ModelColor& other, double alphaOperand, Op op) {
  std::optional<Rgba> o = rgbaOf(other);
  if (!o) return std::nullopt;
  return mapComponents(color, {o->red, o->green, o->blue, alphaOperand}, op);
}

// Reads one number at `at`, after white space; nullopt when there is none or it is not finite.
std::optional<double> readNumber(std::string_view text, std::size_t& at) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at < text.size() && text[at] == '+') ++at;
  double value = 0;
  auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  at = static_cast<std::size_t>(end - text.data());
  return value;
}

// Whether the next character after white space is `c`; consumes it when it is.
bool readChar(std::string_view text, std::size_t& at, char c) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

bool onlySpaceFrom(std::string_view text, std::size_t at) {
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(),
                     [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
}

std::string_view trimmed(std::string_view text) {
  auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

ColorSpaceModel colorSpaceModel(const ModelColor& color) { return color.model; }

std::string colorSpaceString(ColorSpaceModel model) {
  static constexpr std::array<const char*, 8> kNames = {"kCGColorSpaceModelUnknown", "kCGColorSpaceModelMonochrome",
                                                        "kCGColorSpaceModelRGB",     "kCGColorSpaceModelCMYK",
                                                        "kCGColorSpaceModelLab",     "kCGColorSpaceModelDeviceN",
                                                        "kCGColorSpaceModelIndexed", "kCGColorSpaceModelPattern"};
  int index = static_cast<int>(model) + 1;
  if (index < 0 || index >= static_cast<int>(kNames.size())) return "Not a valid color space";
  return kNames[static_cast<std::size_t>(index)];
}

std::string colorSpaceString(const ModelColor& color) { return colorSpaceString(color.model); }

bool canProvideRGBComponents(const ModelColor& color) {
  return color.model == ColorSpaceModel::RGB || color.model == ColorSpaceModel::Monochrome;
}

bool red(const ModelColor& color, double* r, double* g, double* b, double* a) {
  if (!canProvideRGBComponents(color)) return false;
  bool mono = color.model == ColorSpaceModel::Monochrome;
  store(r, color.color.red);
  store(g, mono ? color.color.red : color.color.green);
  store(b, mono ? color.color.red : color.color.blue);
  store(a, color.color.alpha);
  return true;
}

bool hue(const ModelColor& color, double* h, double* s, double* b, double* a) {
  std::optional<Rgba> c = rgbaOf(color);
  if (!c) return false;
  red(c->red, c->green, c->blue, h, s, b);
  store(a, c->alpha);
  return true;
}

std::optional<std::vector<double>> arrayFromRGBAComponents(const ModelColor& color) {
  std::optional<Rgba> c = rgbaOf(color);
  if (!c) return std::nullopt;
  return std::vector<double>{c->red, c->green, c->blue, c->alpha};
}

double red(const ModelColor& color) { return color.color.red; }
double white(const ModelColor& color) { return color.color.red; }
double green(const ModelColor& color) {
  return color.model == ColorSpaceModel::RGB ? color.color.green : color.color.red;
}
double blue(const ModelColor& color) {
  return color.model == ColorSpaceModel::RGB ? color.color.blue : color.color.red;
}
double hue(const ModelColor& color) { return hsbaOf(color).value_or(Hsba{}).hue; }
double saturation(const ModelColor& color) { return hsbaOf(color).value_or(Hsba{}).saturation; }
double brightness(const ModelColor& color) { return hsbaOf(color).value_or(Hsba{}).brightness; }
double alpha(const ModelColor& color) { return color.color.alpha; }

double luminance(const ModelColor& color) {
  std::optional<Rgba> c = rgbaOf(color);
  if (!c) return 0;
  return c->red * 0.2126f + c->green * 0.7152f + c->blue * 0.0722f;
}

std::uint32_t rgbHex(const ModelColor& color) {
  std::optional<Rgba> c = rgbaOf(color);
  if (!c) return 0;
  auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(clampUnit(v) * 255)); };
  return byte(c->red) << 16 | byte(c->green) << 8 | byte(c->blue);
}

std::optional<ModelColor> colorByLuminanceMapping(const ModelColor& color) {
  if (!canProvideRGBComponents(color)) return std::nullopt;
  return ModelColor::white(luminance(color), 1.0);
}

std::optional<ModelColor> colorByMultiplyingByRed(const ModelColor& color, double r, double g, double b, double a) {
  return mapComponents(color, {r, g, b, a}, multiply);
}
std::optional<ModelColor> colorByAddingRed(const ModelColor& color, double r, double g, double b, double a) {
  return mapComponents(color, {r, g, b, a}, add);
}
std::optional<ModelColor> colorByLighteningToRed(const ModelColor& color, double r, double g, double b, double a) {
  return mapComponents(color, {r, g, b, a}, lighten);
}
std::optional<ModelColor> colorByDarkeningToRed(const ModelColor& color, double r, double g, double b, double a) {
  return mapComponents(color, {r, g, b, a}, darken);
}

// The alpha operands leave alpha unchanged: times 1, plus 0, at least 0, at most 1.
std::optional<ModelColor> colorByMultiplyingBy(const ModelColor& color, double f) {
  return colorByMultiplyingByRed(color, f, f, f, 1.0);
}
std::optional<ModelColor> colorByAdding(const ModelColor& color, double f) {
  return colorByAddingRed(color, f, f, f, 0.0);
}
std::optional<ModelColor> colorByLighteningTo(const ModelColor& color, double f) {
  return colorByLighteningToRed(color, f, f, f, 0.0);
}
std::optional<ModelColor> colorByDarkeningTo(const ModelColor& color, double f) {
  return colorByDarkeningToRed(color, f, f, f, 1.0);
}

std::optional<ModelColor> colorByMultiplyingByColor(const ModelColor& color, const ModelColor& other) {
  return mapByColor(color, other, 1.0, multiply);
}
std::optional<ModelColor> colorByAddingColor(const ModelColor& color, const ModelColor& other) {
  return mapByColor(color, other, 0.0, add);
}
std::optional<ModelColor> colorByLighteningToColor(const ModelColor& color, const ModelColor& other) {
  return mapByColor(color, other, 0.0, lighten);
}
std::optional<ModelColor> colorByDarkeningToColor(const ModelColor& color, const ModelColor& other) {
  return mapByColor(color, other, 1.0, darken);
}

std::optional<ModelColor> contrastingColor(const ModelColor& color) {
  if (!canProvideRGBComponents(color)) return std::nullopt;
  return luminance(color) > 0.5 ? ui::Color::black() : ui::Color::white();
}

std::optional<ModelColor> complementaryColor(const ModelColor& color) {
  std::optional<Hsba> hsba = hsbaOf(color);
  if (!hsba) return std::nullopt;
  hsba->hue += 180;
  if (hsba->hue > 360) hsba->hue -= 360;
  return colorWithHue(*hsba);
}

std::optional<std::vector<ModelColor>> analogousColorsWithStepAngle(const ModelColor& color, double stepAngle,
                                                                    int pairCount) {
  std::optional<Hsba> hsba = hsbaOf(color);
  if (!hsba) return std::nullopt;
  std::vector<ModelColor> colors;
  if (pairCount < 1 || pairCount > kMaximumAnalogousPairCount) return colors;
  colors.reserve(2 * static_cast<std::size_t>(pairCount));
  for (int i = 1; i <= pairCount; ++i) {
    float step = std::fmod(static_cast<float>(std::fabs(stepAngle) * i), 360.0f);
    float h = static_cast<float>(hsba->hue);
    colors.push_back(colorWithHue({std::fmod(h + step, 360.0f), hsba->saturation, hsba->brightness, hsba->alpha}));
    colors.push_back(
        colorWithHue({std::fmod(h + 360.0f - step, 360.0f), hsba->saturation, hsba->brightness, hsba->alpha}));
  }
  return colors;
}

std::optional<std::vector<ModelColor>> triadicColors(const ModelColor& color) {
  return analogousColorsWithStepAngle(color, 120, 1);
}

std::optional<std::string> stringFromColor(const ModelColor& color) {
  char text[128];
  const ui::Color& c = color.color;
  if (color.model == ColorSpaceModel::Monochrome)
    std::snprintf(text, sizeof text, "{%0.3f, %0.3f}", c.red, c.alpha);
  else if (color.model == ColorSpaceModel::RGB)
    std::snprintf(text, sizeof text, "{%0.3f, %0.3f, %0.3f, %0.3f}", c.red, c.green, c.blue, c.alpha);
  else
    return std::nullopt;
  return text;
}

std::string hexStringFromColor(const ModelColor& color) {
  char text[16];
  std::snprintf(text, sizeof text, "%.6X", rgbHex(color));
  return text;
}

std::optional<ModelColor> colorWithString(std::string_view text) {
  std::size_t at = 0;
  if (!readChar(text, at, '{')) return std::nullopt;
  std::vector<double> numbers;
  do {
    std::optional<double> number = readNumber(text, at);
    if (!number || numbers.size() == 4) return std::nullopt;
    numbers.push_back(*number);
  } while (readChar(text, at, ','));
  if (!readChar(text, at, '}') || !onlySpaceFrom(text, at)) return std::nullopt;
  if (numbers.size() == 4) return ModelColor(ui::Color::rgb(numbers[0], numbers[1], numbers[2], numbers[3]));
  if (numbers.size() == 2) return ModelColor::white(numbers[0], numbers[1]);
  return std::nullopt;
}

ModelColor colorWithRGBHex(std::uint32_t hex) {
  auto byte = [hex](int shift) { return static_cast<double>(static_cast<float>((hex >> shift) & 0xFF) / 255.0f); };
  return ui::Color::rgb(byte(16), byte(8), byte(0), 1.0);
}

std::optional<ModelColor> colorWithHexString(std::string_view text) {
  text = trimmed(text);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFFFF) return std::nullopt;
  return colorWithRGBHex(value);
}

ModelColor randomColor() {
  auto component = [] { return static_cast<double>(::random()) / 2147483647.0; };
  double r = component(), g = component(), b = component();
  return ui::Color::rgb(r, g, b, 1.0);
}

void hue(double h, double s, double v, double* r, double* g, double* b) {
  if (s == 0) {
    store(r, v);
    store(g, v);
    store(b, v);
    return;
  }
  // A hue off the circle wraps round it; one that is not a number counts as 0.
  h = std::isfinite(h) ? std::fmod(h, 360.0) : 0.0;
  if (h < 0) h += 360;
  if (h >= 360) h = 0;
  h /= 60;
  int i = static_cast<int>(std::floor(h));
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  std::array<double, 3> rgb;
  switch (i) {
    case 1:
      rgb = {q, v, p};
      break;
    case 2:
      rgb = {p, v, t};
      break;
    case 3:
      rgb = {p, q, v};
      break;
    case 4:
      rgb = {t, p, v};
      break;
    case 5:
      rgb = {v, p, q};
      break;
    default:
      rgb = {v, t, p};
      break;
  }
  store(r, rgb[0]);
  store(g, rgb[1]);
  store(b, rgb[2]);
}

void red(double r, double g, double b, double* h, double* s, double* v) {
  double max = std::max({r, g, b}), min = std::min({r, g, b});
  double saturation = max != 0 ? (max - min) / max : 0;
  double hueDegrees = 0;
  if (saturation != 0) {
    double span = max - min;
    double rc = (max - r) / span, gc = (max - g) / span, bc = (max - b) / span;
    if (r == max)
      hueDegrees = bc - gc;
    else if (g == max)
      hueDegrees = 2 + rc - bc;
    else
      hueDegrees = 4 + gc - rc;
    hueDegrees *= 60;
    if (hueDegrees < 0) hueDegrees += 360;
  }
  store(h, hueDegrees);
  store(s, saturation);
  store(v, max);
}

}  // namespace framework::color_additions
