// The expanded player panel with a 20-song table drawn to PNG, and one frame of its pull-up
// animation, against Cairo painting the same picture and text layers of that frame by hand. Peak resident
// growth is reported per benchmark.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/Measurement.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/api/requests/BaseDataRequest.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/support/TestStation.h"

namespace {

const char* const kTitles[] = {"夜空中最亮的星", "平凡之路",      "Blue in Green", "南山南",     "成都",
                               "晴天",           "Autumn Leaves", "董小姐",        "旅行的意义", "Moon River"};
constexpr int kSongs = 20;

std::vector<std::uint32_t> coverPixels() {
  std::vector<std::uint32_t> pixels(640 * 640);
  for (int y = 0; y < 640; ++y)
    for (int x = 0; x < 640; ++x)
      pixels[y * 640 + x] = 0xFF000000u | (static_cast<std::uint32_t>(60 + x / 5) << 16) |
                            (static_cast<std::uint32_t>(40 + y / 8) << 8) | static_cast<std::uint32_t>(170 - y / 6);
  return pixels;
}

// The application started on the loopback web API, a programme of 20 songs with its stored cover
// listed in the panel. Made once for the whole program.
struct Station {
  Station() {
    foundation::Paths::useFreshHomeForTesting();
    media::AudioBackend::useFake();
    api.answerWithBody("play.getAdPlan", R"({"err":"hapn.ok","data":{"ads":[],"per_count":0}})");
    api.answerWithBody("play.playNowChannels", R"({"err":"hapn.ok","data":{"program":{"program_id":"1"},"songs":[]}})");
    api::BaseDataRequest::setApiBaseUrlForTesting(api.baseUrl());
    auto user = std::make_shared<api::UserModel>();
    user->setUid("5");
    (void)framework::DataCacheManager::sharedManager().addObject(user, "userIsLogin");
    const std::string cover = playback::DownloadManager::sharedManager().getProgramPicPath(9);
    std::filesystem::create_directories(std::filesystem::path(cover).parent_path());
    (void)foundation::FileManager::writeAtomically(cover,
                                                   ui::Image::fromPixels(640, 640, coverPixels())->pngData().value());
    window = services::AppDelegate::sharedDelegate().window().get();
    (void)services::AppDelegate::sharedDelegate().getMainController()->audioPlayerView();
    auto programme = std::make_shared<api::ProgramModel>();
    programme->setProgramId("9");
    programme->setProgramName("深夜电台 · 第九期");
    programme->setStatus("1");
    auto creator = std::make_shared<api::UserModel>();
    creator->setUname("夜行DJ");
    programme->setUser(creator);
    std::vector<api::SongModelPtr> songs;
    for (int i = 0; i < kSongs; ++i) {
      auto song = std::make_shared<api::SongModel>();
      song->setSongId(std::to_string(100 + i));
      song->setSongName(kTitles[i % 10]);
      song->setArtistsName(i % 2 ? "朴树" : "Chet Baker");
      songs.push_back(song);
    }
    panel().playProgram(programme, songs, std::nullopt, std::nullopt);
    panel().showDuration(245);
    panel().showPosition(83);
    foundation::RunLoop::main().runUntil([] { return false; }, foundation::Duration(0.2));
  }
  static playback::AudioPlayerView& panel() { return *playback::AudioPlayerView::sharedAudioPlayer(); }

  testsupport::TestStation api;
  ui::Window* window = nullptr;
};

Station& station() {
  static Station made;
  return made;
}

void report(benchmark::State& state, const bench::Measurement& measured) {
  state.counters["peak_rss_growth_MiB"] = measured.peakGrowthMiB();
}

// Eleven runs of a benchmark, reported as their median with the lowest and highest.
void medianOfInterleavedRuns(benchmark::internal::Benchmark* b) {
  b->Repetitions(11)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("low", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
      ->ComputeStatistics("high", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

void BM_ExpandedPanelToPNG(benchmark::State& state) {
  Station& s = station();
  Station::panel().pullUpWithAnimation(false);
  const std::string path = (std::filesystem::temp_directory_path() / "zr-bench-panel.png").string();
  bench::Measurement measured;
  for (auto _ : state) benchmark::DoNotOptimize(ui::renderToPNG(*s.window, path, {.scale = 2}).ok());
  report(state, measured);
}
BENCHMARK(BM_ExpandedPanelToPNG)->Unit(benchmark::kMillisecond);

// One frame half way through the pull-up, drawn into memory as the screen would get it. A clock
// of its own holds the animation there.
void BM_PullUpAnimationFrame(benchmark::State& state) {
  Station& s = station();
  bench::Measurement measured;
  for (auto _ : state) {
    state.PauseTiming();
    auto clock = std::make_shared<foundation::ManualClock>();
    foundation::Clock::setCurrent(clock);
    Station::panel().pullDownWithAnimation(false);
    Station::panel().pullUpWithAnimation(true);
    clock->advance(foundation::Duration(playback::AudioPlayerView::kAnimationSeconds / 2));
    state.ResumeTiming();
    benchmark::DoNotOptimize(ui::render(*s.window, {.scale = 2}).ok());
  }
  foundation::Clock::useRealClock();
  report(state, measured);
}
BENCHMARK(BM_PullUpAnimationFrame)->Unit(benchmark::kMillisecond)->Apply(medianOfInterleavedRuns);

// A line of text laid out once, as the renderer keeps its labels' lines, drawn centred in a box.
class Text {
 public:
  Text(cairo_t* cr, const char* words, double size, double grey, double x, double y, double height)
      : layout_(pango_cairo_create_layout(cr)), grey_(grey), x_(x), y_(y), height_(height) {
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans, WenQuanYi Micro Hei");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout_, words, -1);
  }
  ~Text() { g_object_unref(layout_); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;

  void draw(cairo_t* cr) const {
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    cairo_set_source_rgb(cr, grey_, grey_, grey_);
    cairo_move_to(cr, x_, y_ + (height_ - logical.height / double{PANGO_SCALE}) / 2);
    pango_cairo_show_layout(cr, layout_);
  }

 private:
  PangoLayout* layout_;
  double grey_, x_, y_, height_;
};

// A picture scaled into a box and clipped to it, or to a circle.
void picture(cairo_t* cr, cairo_surface_t* surface, double x, double y, double width, double height, double alpha = 1,
             bool round = false) {
  cairo_save(cr);
  if (round)
    cairo_arc(cr, x + width / 2, y + height / 2, width / 2, 0, 2 * 3.14159265358979);
  else
    cairo_rectangle(cr, x, y, width, height);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, width / cairo_image_surface_get_width(surface), height / cairo_image_surface_get_height(surface));
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint_with_alpha(cr, alpha);
  cairo_restore(cr);
}

void box(cairo_t* cr, double x, double y, double width, double height, double grey, double alpha) {
  cairo_set_source_rgba(cr, grey, grey, grey * 1.14, alpha);
  cairo_rectangle(cr, x, y, width, height);
  cairo_fill(cr);
}

// Faded layers that overlap go through a group clipped to their box, as a careful hand would.
void beginFade(cairo_t* cr, double x, double y, double width, double height) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, width, height);
  cairo_clip(cr);
  cairo_push_group(cr);
}

void endFade(cairo_t* cr, double alpha) {
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, alpha);
  cairo_restore(cr);
}

// The same frame by hand, at 2 pixels per point: the screen behind, the panel's blurred background
// and shade, the faded song table (the drifting cover with the creator strip over it, the section
// header), the faded top bar with its picture, titles and buttons, and the top of the controls.
// Pictures are the same sizes as the panel's; text is laid out once.
void BM_CairoBaseline(benchmark::State& state) {
  std::vector<std::uint32_t> pixels = coverPixels();
  cairo_surface_t* cover = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                               CAIRO_FORMAT_ARGB32, 640, 640, 640 * 4);
  cairo_surface_t* avatar = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 120);
  cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 48, 48);
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* measuring = cairo_create(scratch);
  cairo_scale(measuring, 2, 2);
  const double top = 178.9;  // the panel's top half way up
  const Text dj(measuring, "夜行DJ", 14, 1, 74, top + 343.5, 17);
  const Text count(measuring, "共20首", 11, 0.7, 12, top + 378, 23);
  const Text song(measuring, kTitles[0], 15, 1, 50, top + 5, 19);
  const Text programme(measuring, "深夜电台 · 第九期", 11, 0.7, 50, top + 24, 15);
  const Text duration(measuring, "04:05", 11, 0.7, 270, top + 386, 20);
  bench::Measurement measured;
  for (auto _ : state) {
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 1136);
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, 2, 2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    box(cr, 0, top, 320, 568, 0.11, 1);
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, 320, 568);
    cairo_clip(cr);
    picture(cr, cover, -160, top - 36, 640, 640);
    cairo_restore(cr);
    box(cr, 0, top, 320, 568, 0, 0.35);
    beginFade(cr, 0, top + 44, 320, 334);
    picture(cr, cover, -17, top + 34, 354, 354);
    box(cr, 0, top + 326, 320, 52, 0, 0.45);
    picture(cr, avatar, 12, top + 335, 34, 34, 1, true);
    picture(cr, icon, 54, top + 344, 16, 16);
    dj.draw(cr);
    picture(cr, icon, 120, top + 345, 8, 14);
    endFade(cr, 0.685);
    beginFade(cr, 0, top + 378, 320, 23);
    box(cr, 0, top + 378, 320, 23, 0, 0.5);
    count.draw(cr);
    endFade(cr, 0.685);
    beginFade(cr, 0, top - 20, 320, 64);
    box(cr, 0, top - 20, 320, 64, 0.11, 0.85);
    cairo_save(cr);
    cairo_rectangle(cr, 0, top - 20, 320, 64);
    cairo_clip(cr);
    picture(cr, cover, -160, top - 308, 640, 640, 0.5);
    cairo_restore(cr);
    song.draw(cr);
    programme.draw(cr);
    picture(cr, icon, 10, top - 10, 24, 24);
    picture(cr, icon, 282, top - 10, 24, 24);
    endFade(cr, 0.966);
    box(cr, 0, top + 378, 320, 170, 0.11, 1);
    cairo_set_line_width(cr, 3.2);
    for (int i = 0; i < 12; ++i) {
      const double angle = 3.14159265358979 * (i / 6.0 - 0.5);
      cairo_set_source_rgba(cr, 1, 1, 1, 0.25 + 0.75 * (12 - i) / 12);
      cairo_move_to(cr, 40 + 4.5 * std::cos(angle), top + 396 + 4.5 * std::sin(angle));
      cairo_line_to(cr, 40 + 9 * std::cos(angle), top + 396 + 9 * std::sin(angle));
      cairo_stroke(cr);
    }
    box(cr, 56, top + 395, 208, 2, 0.4, 1);
    cairo_set_source_rgb(cr, 0.91, 0.33, 0.24);
    cairo_rectangle(cr, 56, top + 395, 70, 2);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_arc(cr, 126, top + 396, 10, 0, 2 * 3.14159265358979);
    cairo_fill(cr);
    duration.draw(cr);
    cairo_destroy(cr);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
    cairo_surface_destroy(target);
  }
  cairo_destroy(measuring);
  for (cairo_surface_t* surface : {cover, avatar, icon, scratch}) cairo_surface_destroy(surface);
  report(state, measured);
}
BENCHMARK(BM_CairoBaseline)->Unit(benchmark::kMillisecond)->Apply(medianOfInterleavedRuns);

}  // namespace

// The runs of the frame and of its baseline take turns in random order, so that both meet the same
// machine; compare their medians (target: the frame at most 1.5x the baseline).
int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.push_back(interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
