// The expanded player panel with a 20-song table drawn to PNG, and one frame of its pull-up
// animation, against Cairo painting the same picture and text layers by hand. Peak resident
// growth is reported per benchmark.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/Measurement.h"
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
#include "tests/support/FakeWebApi.h"

namespace {

const char* const kTitles[] = {"夜空中最亮的星", "平凡之路", "Blue in Green", "南山南", "成都",
                               "晴天",           "Autumn Leaves", "董小姐", "旅行的意义", "Moon River"};
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
    (void)foundation::FileManager::writeAtomically(
        cover, ui::Image::fromPixels(640, 640, coverPixels())->pngData().value());
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

  testsupport::FakeWebApi api;
  ui::Window* window = nullptr;
};

Station& station() {
  static Station made;
  return made;
}

void report(benchmark::State& state, const bench::Measurement& measured) {
  state.counters["peak_rss_growth_MiB"] = measured.peakGrowthMiB();
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

// One frame half way through the pull-up, drawn into memory as the screen would get it.
void BM_PullUpAnimationFrame(benchmark::State& state) {
  Station& s = station();
  bench::Measurement measured;
  for (auto _ : state) {
    state.PauseTiming();
    Station::panel().pullDownWithAnimation(false);
    Station::panel().pullUpWithAnimation(true);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ui::render(*s.window, {.scale = 2}).ok());
  }
  report(state, measured);
}
BENCHMARK(BM_PullUpAnimationFrame)->Unit(benchmark::kMillisecond);

void text(cairo_t* cr, PangoLayout* layout, const std::string& words, double x, double y, double size, double grey) {
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans, WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, words.c_str(), -1);
  cairo_set_source_rgb(cr, grey, grey, grey);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
}

// The same layers by hand: blurred background, cover, top bar, creator strip, controls and the
// rows in view with their titles, at 2 pixels per point.
void BM_CairoBaseline(benchmark::State& state) {
  std::vector<std::uint32_t> pixels = coverPixels();
  cairo_surface_t* cover = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                               CAIRO_FORMAT_ARGB32, 640, 640, 640 * 4);
  bench::Measurement measured;
  for (auto _ : state) {
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 1136);
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, 2, 2);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_set_source_rgb(cr, 0.11, 0.11, 0.125);
    cairo_paint(cr);
    for (auto [y, h] : {std::pair{0.0, 568.0}, std::pair{64.0, 334.0}}) {
      cairo_save(cr);
      cairo_rectangle(cr, 0, y, 320, h);
      cairo_clip(cr);
      cairo_translate(cr, -10, y - 10);
      cairo_scale(cr, 340.0 / 640, 354.0 / 640);
      cairo_set_source_surface(cr, cover, 0, 0);
      cairo_paint_with_alpha(cr, y == 0 ? 0.6 : 1.0);
      cairo_restore(cr);
    }
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_rectangle(cr, 0, 346, 320, 52);
    cairo_fill(cr);
    text(cr, layout, "夜行DJ", 74, 362, 14, 1);
    cairo_set_source_rgba(cr, 0.11, 0.11, 0.125, 0.85);
    cairo_rectangle(cr, 0, 0, 320, 64);
    cairo_fill(cr);
    text(cr, layout, kTitles[0], 50, 25, 15, 1);
    text(cr, layout, "深夜电台 · 第九期", 50, 44, 11, 0.7);
    cairo_set_source_rgba(cr, 0.11, 0.11, 0.125, 0.55);
    cairo_rectangle(cr, 0, 398, 320, 170);
    cairo_fill(cr);
    text(cr, layout, "01:23", 14, 410, 11, 0.7);
    text(cr, layout, "04:05", 270, 410, 11, 0.7);
    cairo_set_source_rgb(cr, 0.91, 0.33, 0.24);
    cairo_rectangle(cr, 56, 416, 70, 3);
    cairo_fill(cr);
    cairo_arc(cr, 160, 468, 34, -1.57, 0.6);
    cairo_stroke(cr);
    for (int i = 0; i < 3; ++i) {
      cairo_set_source_rgba(cr, 1, 1, 1, 0.08);
      cairo_rectangle(cr, 10 + i * 102, 534, 96, 28);
      cairo_fill(cr);
      text(cr, layout, i == 0 ? "离线" : i == 1 ? "收藏" : "分享", 50 + i * 102, 540, 13, 1);
    }
    g_object_unref(layout);
    cairo_destroy(cr);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
    cairo_surface_destroy(target);
  }
  cairo_surface_destroy(cover);
  report(state, measured);
}
BENCHMARK(BM_CairoBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
