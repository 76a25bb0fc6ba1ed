#include "platform/ui/Button.h"

#include <algorithm>

#include "platform/ui/GraphicsContext.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace ui {

Button::Button(const Rect& frame)
    : Control(frame), titleLabel_(std::make_shared<Label>()), imageView_(std::make_shared<ImageView>()) {
  setOpaque(false);
  titleLabel_->setFont(Font::systemFont(15));
  titleLabel_->setTextAlignment(TextAlignment::Center);
  titleLabel_->setTextColor(Color::white());
  imageView_->setContentMode(ContentMode::Center);
  addSubview(imageView_);
  addSubview(titleLabel_);
  refreshContent();
}

template <class T>
std::optional<T> Button::lookup(const std::map<unsigned, T>& table, unsigned state) {
  // The exact state, then the state without highlight, then Normal.
  for (unsigned candidate : {state, state & ~static_cast<unsigned>(kStateHighlighted), 0u}) {
    if (auto found = table.find(candidate); found != table.end()) return found->second;
  }
  return std::nullopt;
}

void Button::setTitle(std::optional<std::string> title, unsigned state) {
  if (title) {
    titles_[state] = std::move(*title);
  } else {
    titles_.erase(state);
  }
  refreshContent();
}

std::optional<std::string> Button::titleForState(unsigned state) const { return lookup(titles_, state); }

void Button::setTitleColor(std::optional<Color> color, unsigned state) {
  if (color) {
    titleColors_[state] = *color;
  } else {
    titleColors_.erase(state);
  }
  refreshContent();
}

Color Button::titleColorForState(unsigned state) const { return lookup(titleColors_, state).value_or(Color::white()); }

void Button::setImage(ImagePtr image, unsigned state) {
  if (image) {
    images_[state] = std::move(image);
  } else {
    images_.erase(state);
  }
  refreshContent();
}

ImagePtr Button::imageForState(unsigned state) const { return lookup(images_, state).value_or(nullptr); }

void Button::setBackgroundImage(ImagePtr image, unsigned state) {
  if (image) {
    backgroundImages_[state] = std::move(image);
  } else {
    backgroundImages_.erase(state);
  }
  refreshContent();
}

ImagePtr Button::backgroundImageForState(unsigned state) const {
  return lookup(backgroundImages_, state).value_or(nullptr);
}

void Button::setImageEdgeInsets(EdgeInsets insets) {
  imageEdgeInsets_ = insets;
  setNeedsLayout();
}

void Button::setTitleEdgeInsets(EdgeInsets insets) {
  titleEdgeInsets_ = insets;
  setNeedsLayout();
}

void Button::stateDidChange() {
  Control::stateDidChange();
  refreshContent();
}

void Button::refreshContent() {
  titleLabel_->setText(currentTitle().value_or(""));
  titleLabel_->setTextColor(titleColorForState(state()));
  imageView_->setImage(currentImage());
  setNeedsLayout();
  setNeedsDisplay();
}

void Button::layoutSubviews() {
  Size imageSize = imageView_->image() ? imageView_->image()->size() : Size{};
  Size titleSize = titleLabel_->text().empty() ? Size{} : titleLabel_->sizeThatFits({});
  Rect box = bounds();
  titleSize.width = std::min(titleSize.width, std::max(0.0, box.width() - imageSize.width));
  double left = box.midX() - (imageSize.width + titleSize.width) / 2;
  Rect imageFrame{left, box.midY() - imageSize.height / 2, imageSize.width, imageSize.height};
  Rect titleFrame{left + imageSize.width, box.midY() - titleSize.height / 2, titleSize.width, titleSize.height};
  auto shift = [](const Rect& r, const EdgeInsets& e) {
    return Rect{r.minX() + (e.left - e.right) / 2, r.minY() + (e.top - e.bottom) / 2, r.width(), r.height()};
  };
  imageView_->setFrame(shift(imageFrame, imageEdgeInsets_));
  titleLabel_->setFrame(shift(titleFrame, titleEdgeInsets_));
}

Size Button::sizeThatFits(Size) const {
  Size imageSize = imageView_->image() ? imageView_->image()->size() : Size{};
  Size titleSize = titleLabel_->text().empty() ? Size{} : titleLabel_->sizeThatFits({});
  return {imageSize.width + titleSize.width, std::max(imageSize.height, titleSize.height)};
}

void Button::draw(GraphicsContext& context, const Rect& rect) {
  if (ImagePtr background = backgroundImageForState(state())) context.drawImage(*background, rect);
}

View::DrawnContent Button::drawnContent() const {
  return backgroundImageForState(state()) ? DrawnContent::OneLayer : DrawnContent::Nothing;
}

}  // namespace ui
