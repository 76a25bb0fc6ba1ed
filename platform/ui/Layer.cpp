#include "platform/ui/Layer.h"

#include "platform/ui/Animator.h"
#include "platform/ui/View.h"

namespace ui {

bool Layer::masksToBounds() const { return view_.clipsToBounds(); }
void Layer::setMasksToBounds(bool masks) { view_.setClipsToBounds(masks); }

void Layer::addAnimation(KeyframeAnimation animation, const std::string& key) {
  Animator::shared().addKeyframeAnimation(view_, key, std::move(animation));
}

void Layer::removeAnimation(const std::string& key) { Animator::shared().removeKeyframeAnimation(view_, key); }

void Layer::removeAllAnimations() { Animator::shared().removeAllAnimations(view_); }

std::vector<std::string> Layer::animationKeys() const { return Animator::shared().keyframeAnimationKeys(view_); }

}  // namespace ui
