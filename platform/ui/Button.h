#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/Image.h"

namespace ui {

class ImageView;
class Label;

// A push button with a title, a title colour, an image and a background image for each state;
// a state without its own falls back to Normal. The image and the title are centred side by side,
// each moved by its edge insets. Main thread only.
class Button : public Control {
 public:
  // Main thread.
  explicit Button(const Rect& frame = {});

  // Main thread. Per state (kStateNormal, kStateHighlighted, kStateDisabled, kStateSelected).
  void setTitle(std::optional<std::string> title, unsigned state = kStateNormal);
  std::optional<std::string> titleForState(unsigned state) const;
  void setTitleColor(std::optional<Color> color, unsigned state = kStateNormal);
  Color titleColorForState(unsigned state) const;
  void setImage(ImagePtr image, unsigned state = kStateNormal);
  ImagePtr imageForState(unsigned state) const;
  void setBackgroundImage(ImagePtr image, unsigned state = kStateNormal);
  ImagePtr backgroundImageForState(unsigned state) const;

  // Main thread. What the button shows now, for its current state.
  std::optional<std::string> currentTitle() const { return titleForState(state()); }
  ImagePtr currentImage() const { return imageForState(state()); }

  // Main thread. The label and image view that show title and image (font and the like are set here).
  Label& titleLabel() { return *titleLabel_; }
  ImageView& imageView() { return *imageView_; }
  EdgeInsets imageEdgeInsets() const { return imageEdgeInsets_; }
  void setImageEdgeInsets(EdgeInsets insets);
  EdgeInsets titleEdgeInsets() const { return titleEdgeInsets_; }
  void setTitleEdgeInsets(EdgeInsets insets);

  void layoutSubviews() override;
  Size sizeThatFits(Size size) const override;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override;

 protected:
  void stateDidChange() override;

 private:
  template <class T>
  static std::optional<T> lookup(const std::map<unsigned, T>& table, unsigned state);
  void refreshContent();

  std::map<unsigned, std::string> titles_;
  std::map<unsigned, Color> titleColors_;
  std::map<unsigned, ImagePtr> images_;
  std::map<unsigned, ImagePtr> backgroundImages_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<ImageView> imageView_;
  EdgeInsets imageEdgeInsets_;
  EdgeInsets titleEdgeInsets_;
};

}  // namespace ui
