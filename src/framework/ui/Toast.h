#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Geometry.h"
#include "platform/ui/Image.h"
#include "platform/ui/View.h"

// Short messages over any view: a rounded, translucent black box with white text (and maybe a
// title and a picture) that fades in, stays for a while and fades out by itself; a spinner box
// that stays until hidden; badges with an icon. Nothing is queued: every call puts a new toast on
// the host view at once. All on the main thread.
namespace framework::toast {

// Where a toast stands: "top", "center", "bottom" or "special" (in any letter case), a point for
// the toast's centre in the host's coordinates, or nothing; anything else stands as "bottom".
class Position {
 public:
  Position() = default;
  Position(const char* name) : name_(name ? std::optional<std::string>(name) : std::nullopt) {}
  Position(std::string name) : name_(std::move(name)) {}
  Position(ui::Point point) : point_(point) {}

  const std::optional<std::string>& name() const { return name_; }
  const std::optional<ui::Point>& point() const { return point_; }

 private:
  std::optional<std::string> name_;
  std::optional<ui::Point> point_;
};

inline constexpr double kDefaultDuration = 3.0;
inline constexpr double kFadeDuration = 0.2;
inline constexpr double kBadgeDuration = 2.0;

// Text toasts; the duration is how long the toast stays fully visible, in seconds.
void makeToast(ui::View& host, const std::optional<std::string>& message);
void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position);
void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position,
               const std::optional<std::string>& title);
void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position,
               ui::ImagePtr image);
void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position,
               const std::optional<std::string>& title, ui::ImagePtr image);

// Shows a ready view as a toast; every other toast ends here. A null toast shows nothing.
void showToast(ui::View& host, std::shared_ptr<ui::View> toast);
void showToast(ui::View& host, std::shared_ptr<ui::View> toast, double duration, const Position& position);

// The spinner box, at most one per host, at "center" unless told; it stays until hidden.
void makeToastActivity(ui::View& host);
void makeToastActivity(ui::View& host, const Position& position);
void hideToastActivity(ui::View& host);

// The centre of a toast of that size at the position on the host.
ui::Point centerPointForPosition(const ui::View& host, const Position& position, const ui::View& toast);
// The toast box; nullptr when message, title and picture are all missing.
std::shared_ptr<ui::View> viewForMessage(const ui::View& host, const std::optional<std::string>& message,
                                         const std::optional<std::string>& title, const ui::ImagePtr& image);

// Icon badges: the title under an icon, 2 s at "special".
void makeToast(ui::View& host, const std::string& title, ui::ImagePtr icon);
void showToastWithTitle(ui::View& host, const std::string& title, ui::ImagePtr icon);
void showErrorToastForTitle(ui::View& host, const std::string& text);

// Collection badges, 2 s at "center": types 0 and 1 say that a programme or a song was
// collected, 2 and 3 that its collection was cancelled; other types give an empty badge.
std::shared_ptr<ui::View> getCollectedViewWithType(long type);
void showProgramIsCollectedToast(ui::View& host);
void showMusicIsCollectedToast(ui::View& host);
void showProgramIsCancelCeollectedToast(ui::View& host);
void showMusicIsCancelCollectedToast(ui::View& host);

// Hears every toast as it is shown, on any host, with its texts (title before message) joined by
// a space; one listener, an empty function for none.
void setShowListener(std::function<void(const std::string& text)> listener);

// A text toast on the application's key window, above every screen; nothing without one.
void topViewToast(const std::optional<std::string>& message, double duration, const Position& position);

}  // namespace framework::toast
