#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/View.h"

namespace ui {

class Button;
class Slider;

// The system's volume control: a slider bound to the system music volume and a button for
// choosing a wireless output route. The route button is shown (alpha 1) while wireless routes
// are available and faded out (alpha 0) otherwise. Main thread only.
class VolumeView : public View {
 public:
  // Main thread.
  explicit VolumeView(const Rect& frame = {});
  ~VolumeView() override;

  bool showsVolumeSlider() const { return showsVolumeSlider_; }
  void setShowsVolumeSlider(bool shows);
  bool showsRouteButton() const { return showsRouteButton_; }
  void setShowsRouteButton(bool shows);

  Slider& volumeSlider() { return *slider_; }
  Button& routeButton() { return *routeButton_; }
  // Main thread. Hears every change of the route button's alpha, after it is made.
  void setOnRouteButtonAlphaChange(std::function<void(double)> handler) { onRouteAlpha_ = std::move(handler); }

  void layoutSubviews() override;

 private:
  void setRouteButtonAlpha(double alpha);

  std::shared_ptr<Slider> slider_;
  std::shared_ptr<Button> routeButton_;
  bool showsVolumeSlider_ = true;
  bool showsRouteButton_ = true;
  std::function<void(double)> onRouteAlpha_;
};

}  // namespace ui
