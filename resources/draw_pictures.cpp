// Draws the pictures that views load by name into the folder given on the command line, as
// "<name>@2x.png". Run at build time; every picture is made of simple shapes in the
// application's colours, so no art has to be kept in the repository.
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/GraphicsContext.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/View.h"

namespace {

using ui::Color;
using ui::GraphicsContext;
using ui::Point;
using ui::Rect;

constexpr Color kAccent = Color::rgb255(233, 84, 61);
constexpr Color kGrey = Color::rgb255(150, 150, 150);
constexpr Color kLight = Color::rgb255(225, 225, 225);
constexpr Color kGreen = Color::rgb255(76, 190, 100);
constexpr Color kWhite = Color::white();

using Drawing = std::function<void(GraphicsContext&, double w, double h)>;

class Canvas : public ui::View {
 public:
  Canvas(double w, double h, Drawing drawing) : View(Rect{0, 0, w, h}), drawing_(std::move(drawing)) {
    setBackgroundColor(Color::clear());
  }
  void draw(GraphicsContext& context, const Rect&) override {
    drawing_(context, bounds().size.width, bounds().size.height);
  }

 private:
  Drawing drawing_;
};

void triangle(GraphicsContext& c, Point a, Point b, Point d) {
  c.moveTo(a);
  c.lineTo(b);
  c.lineTo(d);
  c.closePath();
  c.fillPath();
}

Drawing disc(Color colour) {
  return [colour](GraphicsContext& c, double w, double h) {
    c.setFillColor(colour);
    c.fillEllipse({1, 1, w - 2, h - 2});
  };
}

Drawing play(Color background, Color mark) {
  return [=](GraphicsContext& c, double w, double h) {
    disc(background)(c, w, h);
    c.setFillColor(mark);
    triangle(c, {w * 0.38, h * 0.28}, {w * 0.38, h * 0.72}, {w * 0.74, h * 0.5});
  };
}

Drawing pause(Color background, Color mark) {
  return [=](GraphicsContext& c, double w, double h) {
    disc(background)(c, w, h);
    c.setFillColor(mark);
    c.fillRect({w * 0.33, h * 0.28, w * 0.12, h * 0.44});
    c.fillRect({w * 0.55, h * 0.28, w * 0.12, h * 0.44});
  };
}

// A downward arrow over a tray: the download icons, in the colour of their state.
Drawing download(Color colour, bool done) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.08);
    c.strokeEllipse({w * 0.06, h * 0.06, w * 0.88, h * 0.88});
    c.setFillColor(colour);
    if (done) {
      c.moveTo({w * 0.28, h * 0.52});
      c.lineTo({w * 0.44, h * 0.68});
      c.lineTo({w * 0.72, h * 0.36});
      c.strokePath();
      return;
    }
    c.fillRect({w * 0.45, h * 0.24, w * 0.10, h * 0.30});
    triangle(c, {w * 0.32, h * 0.50}, {w * 0.68, h * 0.50}, {w * 0.5, h * 0.70});
  };
}

// A clock face: waiting.
Drawing waiting(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.08);
    c.strokeEllipse({w * 0.06, h * 0.06, w * 0.88, h * 0.88});
    c.moveTo({w * 0.5, h * 0.24});
    c.lineTo({w * 0.5, h * 0.5});
    c.lineTo({w * 0.68, h * 0.62});
    c.strokePath();
  };
}

Drawing heart(Color colour, bool filled) {
  return [=](GraphicsContext& c, double w, double h) {
    c.moveTo({w * 0.5, h * 0.85});
    c.lineTo({w * 0.12, h * 0.45});
    c.addArc({w * 0.31, h * 0.35}, w * 0.2, M_PI * 0.78, M_PI * 1.95, true);
    c.addArc({w * 0.69, h * 0.35}, w * 0.2, M_PI * 1.05, M_PI * 2.22, true);
    c.closePath();
    if (filled) {
      c.setFillColor(colour);
      c.fillPath();
    } else {
      c.setStrokeColor(colour);
      c.setLineWidth(w * 0.07);
      c.strokePath();
    }
  };
}

Drawing person(Color background, Color figure) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(background);
    c.fillRect({0, 0, w, h});
    c.setFillColor(figure);
    c.fillEllipse({w * 0.34, h * 0.18, w * 0.32, h * 0.32});
    c.fillEllipse({w * 0.18, h * 0.56, w * 0.64, h * 0.6});
  };
}

Drawing badge(Color colour, const char* letter) {
  return [=](GraphicsContext& c, double w, double h) {
    disc(colour)(c, w, h);
    c.drawText(letter, ui::Font::boldSystemFont(h * 0.6), kWhite, {0, h * 0.12, w, h}, ui::TextAlignment::Center);
  };
}

Drawing bell(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(colour);
    c.addArc({w * 0.5, h * 0.45}, w * 0.3, M_PI, 2 * M_PI, true);
    c.lineTo({w * 0.85, h * 0.72});
    c.lineTo({w * 0.15, h * 0.72});
    c.closePath();
    c.fillPath();
    c.fillEllipse({w * 0.42, h * 0.74, w * 0.16, h * 0.16});
  };
}

Drawing cross(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.1);
    c.moveTo({w * 0.25, h * 0.25});
    c.lineTo({w * 0.75, h * 0.75});
    c.moveTo({w * 0.75, h * 0.25});
    c.lineTo({w * 0.25, h * 0.75});
    c.strokePath();
  };
}

Drawing chevron(Color colour, bool down) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.1);
    if (down) {
      c.moveTo({w * 0.5, h * 0.15});
      c.lineTo({w * 0.5, h * 0.8});
      c.moveTo({w * 0.25, h * 0.55});
      c.lineTo({w * 0.5, h * 0.8});
      c.lineTo({w * 0.75, h * 0.55});
    } else {
      c.moveTo({w * 0.62, h * 0.2});
      c.lineTo({w * 0.32, h * 0.5});
      c.lineTo({w * 0.62, h * 0.8});
    }
    c.strokePath();
  };
}

Drawing upsideDown(Drawing drawing) {
  return [=](GraphicsContext& c, double w, double h) {
    c.translate(0, h);
    c.scale(1, -1);
    drawing(c, w, h);
  };
}

Drawing panel(Color fill, Color edge, double radius) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(fill);
    c.fillRoundedRect({1, 1, w - 2, h - 2}, radius);
    c.setStrokeColor(edge);
    c.setLineWidth(1);
    c.strokeRoundedRect({1, 1, w - 2, h - 2}, radius);
  };
}

// The toast badges' background; a small radius, as the badge stretches it for long titles.
Drawing toastBackground() {
  return [](GraphicsContext& c, double w, double h) {
    c.setFillColor(Color::black().withAlpha(0.78));
    c.fillRoundedRect({0, 0, w, h}, 8);
    c.setStrokeColor(Color::white().withAlpha(0.25));
    c.setLineWidth(0.5);
    c.strokeRoundedRect({0.25, 0.25, w - 0.5, h - 0.5}, 8);
  };
}

Drawing progress(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(colour);
    c.fillRoundedRect({0, 0, w, h}, h / 2);
  };
}

Drawing placeholder() {
  return [](GraphicsContext& c, double w, double h) {
    c.setFillColor(kLight);
    c.fillRect({0, 0, w, h});
    c.setFillColor(kGrey);
    triangle(c, {w * 0.2, h * 0.75}, {w * 0.45, h * 0.4}, {w * 0.65, h * 0.75});
    c.fillEllipse({w * 0.62, h * 0.25, w * 0.14, h * 0.14});
  };
}

Drawing next(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(colour);
    triangle(c, {w * 0.2, h * 0.25}, {w * 0.2, h * 0.75}, {w * 0.62, h * 0.5});
    c.fillRect({w * 0.66, h * 0.25, w * 0.1, h * 0.5});
  };
}

// Three dots joined by two lines.
Drawing share(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.07);
    c.moveTo({w * 0.7, h * 0.25});
    c.lineTo({w * 0.3, h * 0.5});
    c.lineTo({w * 0.7, h * 0.75});
    c.strokePath();
    c.setFillColor(colour);
    for (Point p : {Point{w * 0.7, h * 0.25}, Point{w * 0.3, h * 0.5}, Point{w * 0.7, h * 0.75}})
      c.fillEllipse({p.x - w * 0.13, p.y - h * 0.13, w * 0.26, h * 0.26});
  };
}

// An arrow leaving a box: a link to elsewhere.
Drawing link(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.08);
    c.moveTo({w * 0.45, h * 0.22});
    c.lineTo({w * 0.2, h * 0.22});
    c.lineTo({w * 0.2, h * 0.8});
    c.lineTo({w * 0.78, h * 0.8});
    c.lineTo({w * 0.78, h * 0.55});
    c.moveTo({w * 0.45, h * 0.55});
    c.lineTo({w * 0.8, h * 0.2});
    c.moveTo({w * 0.55, h * 0.2});
    c.lineTo({w * 0.8, h * 0.2});
    c.lineTo({w * 0.8, h * 0.45});
    c.strokePath();
  };
}

Drawing speaker(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(colour);
    c.fillRect({w * 0.1, h * 0.38, w * 0.22, h * 0.24});
    triangle(c, {w * 0.2, h * 0.5}, {w * 0.62, h * 0.15}, {w * 0.62, h * 0.85});
  };
}

// A screen with a triangle under it: the wireless route.
Drawing route(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.06);
    c.strokeRoundedRect({w * 0.18, h * 0.2, w * 0.64, h * 0.44}, w * 0.05);
    c.setFillColor(colour);
    triangle(c, {w * 0.34, h * 0.84}, {w * 0.66, h * 0.84}, {w * 0.5, h * 0.6});
  };
}

// A small ">".
Drawing pointer(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setStrokeColor(colour);
    c.setLineWidth(w * 0.2);
    c.moveTo({w * 0.25, h * 0.15});
    c.lineTo({w * 0.75, h * 0.5});
    c.lineTo({w * 0.25, h * 0.85});
    c.strokePath();
  };
}

// Rising bars: the song that plays.
Drawing bars(Color colour) {
  return [=](GraphicsContext& c, double w, double h) {
    c.setFillColor(colour);
    const double heights[] = {0.45, 0.8, 0.6};
    for (int i = 0; i < 3; ++i) c.fillRect({w * (0.15 + i * 0.27), h * (0.9 - heights[i]), w * 0.18, h * heights[i]});
  };
}

struct Picture {
  const char* name;
  double width;
  double height;
  Drawing drawing;
};

std::vector<Picture> pictures() {
  return {
      {"play_new", 44, 44, play(kAccent, kWhite)},
      {"pause_new", 44, 44, pause(kAccent, kWhite)},
      {"kaishi", 30, 30, play(kGrey, kWhite)},
      {"zanting", 30, 30, pause(kGrey, kWhite)},
      {"downloading", 22, 22, download(kAccent, false)},
      {"downloading0", 22, 22, download(kLight, false)},
      {"downloading1", 22, 22, download(kGrey, false)},
      {"downloading2", 22, 22, download(kAccent, false)},
      {"programDownloading0", 22, 22, download(kLight, false)},
      {"programDownloading1", 22, 22, download(kGrey, false)},
      {"programDownloading2", 22, 22, download(kAccent, false)},
      {"programDownloading_BBG0", 22, 22, download(kGrey, false)},
      {"programDownloading_BBG1", 22, 22, download(kLight, false)},
      {"programDownloading_BBG2", 22, 22, download(kWhite, false)},
      {"downloadok", 22, 22, download(kGreen, true)},
      {"downloadwaiting", 22, 22, waiting(kGrey)},
      {"waitingForDownload", 22, 22, waiting(kGrey)},
      {"programIsDownload", 22, 22, download(kGreen, true)},
      {"programNotDownload", 22, 22, download(kGrey, false)},
      {"programWaitingForDownload", 22, 22, waiting(kAccent)},
      {"collectedToastBG", 122, 58, toastBackground()},
      {"downlodingProgress", 100, 4, progress(kLight)},
      {"downlodingProgress1", 100, 4, progress(kAccent)},
      {"player_collect", 30, 30, heart(kGrey, false)},
      {"player_collect_taped", 30, 30, heart(kAccent, true)},
      {"user_default_pic", 60, 60, person(kLight, kGrey)},
      {"placeHolderBig", 160, 160, placeholder()},
      {"user_dj", 16, 16, badge(kAccent, "D")},
      {"user_dj_white", 16, 16, badge(kWhite, "")},
      {"user_business", 16, 16, badge(Color::rgb255(60, 120, 220), "B")},
      {"user_common", 16, 16, badge(kGrey, "U")},
      {"zuno", 60, 60, badge(kAccent, "Z")},
      {"alarmbell", 24, 24, bell(kGrey)},
      {"alarmbell_h", 24, 24, bell(kAccent)},
      {"x_close_normal", 24, 24, cross(kGrey)},
      {"x_close_highlight", 24, 24, cross(kAccent)},
      {"nav_back", 24, 24, chevron(kWhite, false)},
      {"loading_arrow_down", 20, 30, chevron(kGrey, true)},
      {"loading_arrow_up", 20, 30, upsideDown(chevron(kGrey, true))},
      {"volume_thumb", 16, 16, disc(kWhite)},
      {"alert_frameImg_light", 40, 40, panel(kWhite, kLight, 8)},
      {"playallfavbg", 120, 32, panel(kAccent, kAccent, 16)},
      {"player_down", 24, 24, chevron(kWhite, true)},
      {"player_next", 36, 36, next(kWhite)},
      {"player_share", 22, 22, share(kWhite)},
      {"player_link", 18, 18, link(kWhite)},
      {"player_arrow", 8, 14, pointer(kLight)},
      {"setting_arrow", 8, 13, pointer(Color::rgb255(199, 199, 204))},
      {"volume_low", 18, 20, speaker(kLight)},
      {"route_notice", 26, 24, route(kLight)},
      {"song_playing", 20, 20, bars(kAccent)},
      {"partner_logo", 23, 24, badge(Color::rgb255(42, 182, 243), "S")},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (const Picture& picture : pictures()) {
    Canvas canvas(picture.width, picture.height, picture.drawing);
    const std::string path = folder + "/" + picture.name + "@2x.png";
    foundation::Status written = ui::renderToPNG(canvas, path, {.scale = 2, .background = Color::clear()});
    if (!written.ok()) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
