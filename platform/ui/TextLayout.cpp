#include "platform/ui/TextLayout.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/ui/GraphicsContext.h"
#include "platform/ui/Resources.h"

namespace ui {
namespace {

constexpr const char* kFontFamilies = "DejaVu Sans,WenQuanYi Micro Hei";

// Fontconfig, the font map and the measuring context live for the run; text is laid out on the
// main thread only.
struct FontSystem {
  PangoFontMap* map = nullptr;
  PangoContext* context = nullptr;
};

FcConfig* loadFontConfig() {
  FcConfig* config = FcConfigCreate();
  std::optional<std::string> path = Resources::pathFor("fonts.conf");
  if (path && FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path->c_str()), FcTrue) &&
      FcConfigBuildFonts(config)) {
    return config;
  }
  // Without our own configuration, text still shows in whatever the system offers.
  std::fprintf(stderr, "ui: font configuration %s not loaded; using the system's fonts\n",
               path ? path->c_str() : "fonts.conf");
  FcConfigDestroy(config);
  return FcInitLoadConfigAndFonts();
}

FontSystem makeFontSystem() {
  FontSystem system;
  system.map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  FcConfig* config = loadFontConfig();
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(system.map), config);
  FcConfigDestroy(config);  // the font map keeps its own reference
  system.context = pango_font_map_create_context(system.map);
  // Unhinted outlines at 72 dots per inch: one point is one unit, and sizes scale exactly.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(system.context, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(system.context, 72);
  return system;
}

PangoContext* measuringContext() {
  static FontSystem system = makeFontSystem();
  return system.context;
}

int toPango(double points) { return static_cast<int>(std::lround(points * PANGO_SCALE)); }
double fromPango(int units) { return static_cast<double>(units) / PANGO_SCALE; }
double roundUp(double points) { return std::ceil(points - 1e-6); }

PangoFontDescription* describe(const Font& font) {
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, kFontFamilies);
  pango_font_description_set_weight(description, font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(description, font.pointSize() * PANGO_SCALE);
  return description;
}

PangoLayout* newLayout(std::string_view text, const Font& font) {
  PangoLayout* layout = pango_layout_new(measuringContext());
  // Text may come from a server; invalid UTF-8 shows as replacement characters.
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  pango_layout_set_text(layout, valid, -1);
  g_free(valid);
  PangoFontDescription* description = describe(font);
  pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  return layout;
}

PangoEllipsizeMode ellipsizeFor(LineBreakMode mode) {
  switch (mode) {
    case LineBreakMode::TruncateHead:
      return PANGO_ELLIPSIZE_START;
    case LineBreakMode::TruncateMiddle:
      return PANGO_ELLIPSIZE_MIDDLE;
    case LineBreakMode::TruncateTail:
      return PANGO_ELLIPSIZE_END;
    default:
      return PANGO_ELLIPSIZE_NONE;
  }
}

PangoAlignment alignmentFor(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::Center:
      return PANGO_ALIGN_CENTER;
    case TextAlignment::Right:
      return PANGO_ALIGN_RIGHT;
    default:
      return PANGO_ALIGN_LEFT;
  }
}

struct LineSummary {
  int total = 0;
  int kept = 0;
  double width = 0;
  double bottom = 0;
};

// Whole lines from the top while they fit the height and the line limit; the first always counts.
LineSummary summarizeLines(PangoLayout* layout, double maxHeight, int maxLines) {
  LineSummary summary;
  PangoLayoutIter* iter = pango_layout_get_iter(layout);
  do {
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    ++summary.total;
    double bottom = fromPango(logical.y + logical.height);
    bool withinLimit = maxLines <= 0 || summary.total <= maxLines;
    bool fits = summary.total == 1 || bottom <= maxHeight + 1e-6;
    if (withinLimit && fits && summary.kept == summary.total - 1) {
      summary.kept = summary.total;
      summary.bottom = bottom;
      summary.width = std::max(summary.width, fromPango(logical.width));
    }
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return summary;
}

}  // namespace

struct TextLayout::Impl {
  PangoLayout* layout = nullptr;
  double clipHeight = kNoLimit;
  ~Impl() {
    if (layout) g_object_unref(layout);
  }
};

TextLayout::TextLayout(std::string_view text, const Font& font, Size box, LineBreakMode mode, TextAlignment alignment,
                       int maxLines)
    : impl_(std::make_unique<Impl>()) {
  if (text.empty()) return;
  PangoLayout* layout = newLayout(text, font);
  impl_->layout = layout;
  pango_layout_set_alignment(layout, alignmentFor(alignment));
  bool truncates = ellipsizeFor(mode) != PANGO_ELLIPSIZE_NONE;
  if (std::isfinite(box.width)) {
    pango_layout_set_width(layout, toPango(std::max(box.width, 0.0)));
    pango_layout_set_wrap(layout, mode == LineBreakMode::CharacterWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    if (truncates && maxLines == 1) pango_layout_set_ellipsize(layout, ellipsizeFor(mode));
  }
  LineSummary lines = summarizeLines(layout, box.height, maxLines);
  if (lines.kept < lines.total && truncates && std::isfinite(box.width)) {
    pango_layout_set_height(layout, -lines.kept);
    pango_layout_set_ellipsize(layout, ellipsizeFor(mode));
    lines = summarizeLines(layout, box.height, maxLines);
  }
  if (lines.kept < lines.total) impl_->clipHeight = lines.bottom;
  lineCount_ = lines.kept;
  size_ = {roundUp(lines.width), roundUp(lines.bottom)};
}

TextLayout::~TextLayout() = default;

void TextLayout::draw(GraphicsContext& context, Point origin, Color color) const {
  if (!impl_->layout) return;
  cairo_t* cr = context.native();
  cairo_save(cr);
  if (std::isfinite(impl_->clipHeight)) {
    cairo_rectangle(cr, origin.x - 1e5, origin.y, 2e5, impl_->clipHeight);
    cairo_clip(cr);
  }
  cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha * context.opacity());
  cairo_move_to(cr, origin.x, origin.y);
  pango_cairo_show_layout(cr, impl_->layout);
  cairo_restore(cr);
}

double Font::lineHeight() const {
  PangoLayout* layout = newLayout("Ag", *this);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return fromPango(logical.height);
}

Size sizeOfText(std::string_view text, const Font& font, Size constraint, LineBreakMode mode) {
  return TextLayout(text, font, constraint, mode).size();
}

}  // namespace ui
