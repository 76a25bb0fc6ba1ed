#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Color.h"

// Colour arithmetic: components in the RGB and monochrome colour spaces, hue-saturation-
// brightness, luminance, mixing and clamping, colour schemes, text forms, and two tables of named
// colours with a nearest-name search. Components run from 0 to 1, hues in degrees from 0 to 360.
// Any thread: the name tables are built once, safely, on first use.
namespace framework::color_additions {

// The colour-space models, numbered as the platform numbers them.
enum class ColorSpaceModel : int {
  Unknown = -1,
  Monochrome = 0,
  RGB = 1,
  CMYK = 2,
  Lab = 3,
  DeviceN = 4,
  Indexed = 5,
  Pattern = 6,
};

// A colour with the colour space its components belong to. The components live in the stand-in's
// RGBA colour: RGB colours use all four; a monochrome colour keeps its white in red, green and
// blue; colours of other spaces keep their first stored component in red.
struct ModelColor {
  ui::Color color;
  ColorSpaceModel model = ColorSpaceModel::RGB;

  ModelColor() = default;
  // An RGB colour.
  ModelColor(ui::Color rgba) : color(rgba) {}  // NOLINT(google-explicit-constructor): every ui::Color is one
  ModelColor(ui::Color components, ColorSpaceModel space) : color(components), model(space) {}
  static ModelColor white(double white, double alpha) {
    return {ui::Color::white(white, alpha), ColorSpaceModel::Monochrome};
  }

  friend bool operator==(const ModelColor&, const ModelColor&) = default;
};

// Components and colour spaces.
ColorSpaceModel colorSpaceModel(const ModelColor& color);
// "kCGColorSpaceModelRGB" and so on; "Not a valid color space" for a number outside the models.
std::string colorSpaceString(ColorSpaceModel model);
std::string colorSpaceString(const ModelColor& color);
// Monochrome and RGB colours only.
bool canProvideRGBComponents(const ModelColor& color);
// Writes the RGBA components to the out-values given (white for each of red, green and blue of a
// monochrome colour); false, writing nothing, when the colour has no RGB components.
bool red(const ModelColor& color, double* red, double* green, double* blue, double* alpha);
// Hue (degrees), saturation, brightness and alpha; false, writing nothing, without RGB components.
bool hue(const ModelColor& color, double* hue, double* saturation, double* brightness, double* alpha);
// Red, green, blue, alpha; nullopt without RGB components.
std::optional<std::vector<double>> arrayFromRGBAComponents(const ModelColor& color);
// The first stored component.
double red(const ModelColor& color);
double white(const ModelColor& color);
// The second or third stored component of an RGB colour; the first of any other.
double green(const ModelColor& color);
double blue(const ModelColor& color);
// One value of the hue conversion; 0 without RGB components.
double hue(const ModelColor& color);
double saturation(const ModelColor& color);
double brightness(const ModelColor& color);
double alpha(const ModelColor& color);
// 0.2126 red + 0.7152 green + 0.0722 blue; 0 without RGB components.
double luminance(const ModelColor& color);
// red << 16 | green << 8 | blue, each clamped to 0-1 and rounded out of 255; 0 without RGB components.
std::uint32_t rgbHex(const ModelColor& color);

// Derived colours: nullopt when the receiver has no RGB components.
std::optional<ModelColor> colorByLuminanceMapping(const ModelColor& color);
std::optional<ModelColor> colorByMultiplyingByRed(const ModelColor& color, double red, double green, double blue,
                                                  double alpha);
std::optional<ModelColor> colorByAddingRed(const ModelColor& color, double red, double green, double blue,
                                           double alpha);
std::optional<ModelColor> colorByLighteningToRed(const ModelColor& color, double red, double green, double blue,
                                                 double alpha);
std::optional<ModelColor> colorByDarkeningToRed(const ModelColor& color, double red, double green, double blue,
                                                double alpha);
// The same with one value for red, green and blue; alpha is left as it is.
std::optional<ModelColor> colorByMultiplyingBy(const ModelColor& color, double factor);
std::optional<ModelColor> colorByAdding(const ModelColor& color, double amount);
std::optional<ModelColor> colorByLighteningTo(const ModelColor& color, double value);
std::optional<ModelColor> colorByDarkeningTo(const ModelColor& color, double value);
// The same with the other colour's red, green and blue; nullopt when either colour has no RGB
// components.
std::optional<ModelColor> colorByMultiplyingByColor(const ModelColor& color, const ModelColor& other);
std::optional<ModelColor> colorByAddingColor(const ModelColor& color, const ModelColor& other);
std::optional<ModelColor> colorByLighteningToColor(const ModelColor& color, const ModelColor& other);
std::optional<ModelColor> colorByDarkeningToColor(const ModelColor& color, const ModelColor& other);
// Black on a light colour (luminance above 0.5), white on a dark one.
std::optional<ModelColor> contrastingColor(const ModelColor& color);
// The hue turned half way round.
std::optional<ModelColor> complementaryColor(const ModelColor& color);
// The most pairs one scheme may ask for: the hues repeat long before, and a larger count would
// only build a huge list.
constexpr int kMaximumAnalogousPairCount = 360;
// 2 x pairCount colours whose hues step away on both sides; empty for a pair count below 1 or
// above kMaximumAnalogousPairCount.
std::optional<std::vector<ModelColor>> analogousColorsWithStepAngle(const ModelColor& color, double stepAngle,
                                                                    int pairCount);
// The two colours a third of the circle away.
std::optional<std::vector<ModelColor>> triadicColors(const ModelColor& color);

// Text forms. "{white, alpha}" or "{red, green, blue, alpha}" with three decimals; nullopt for
// other spaces.
std::optional<std::string> stringFromColor(const ModelColor& color);
// Six upper-case hexadecimal digits of rgbHex.
std::string hexStringFromColor(const ModelColor& color);
// Parses what stringFromColor writes; nullopt for anything else.
std::optional<ModelColor> colorWithString(std::string_view text);
// Bits 16-23, 8-15 and 0-7 as red, green and blue; alpha 1.
ModelColor colorWithRGBHex(std::uint32_t hex);
// Hexadecimal digits, "0x" allowed before them and white space around them; nullopt for anything
// else ("#ff8000", "ff8000zz"), a value wider than 24 bits ("FF8000FF") included, since it cannot
// be a colour of three bytes.
std::optional<ModelColor> colorWithHexString(std::string_view text);
// A random opaque colour from the process's pseudo-random sequence.
ModelColor randomColor();

// Conversions between RGB and hue-saturation-brightness, writing only the out-values given. Hues
// outside 0-360 wrap round the circle.
void hue(double hue, double saturation, double brightness, double* red, double* green, double* blue);
void red(double red, double green, double blue, double* hue, double* saturation, double* brightness);

// The named tables: the CSS colour keywords (lower case, both "gray" and "grey") and the crayon
// names (mixed case).
const std::map<std::string, ui::Color>& namedColors();
const std::map<std::string, ui::Color>& namedCrayons();
// Builds the tables now rather than on first use.
void populateColorNameCache();
void populateCrayolaNameCache();
// The entry of exactly that name (case-sensitive), nullopt when absent.
std::optional<ModelColor> colorWithName(const std::string& name);
std::optional<ModelColor> crayonWithName(const std::string& name);
// The nearest name in a table text of the stored form (",name#rrggbb" per entry); entries whose
// value is not six hexadecimal digits are passed over; nullopt when no entry can be read.
std::optional<std::string> closestColorNameFor(const ModelColor& color, std::string_view table);
std::optional<std::string> closestColorName(const ModelColor& color);
std::optional<std::string> closestCrayonName(const ModelColor& color);

}  // namespace framework::color_additions
