#include "platform/ui/Nib.h"

#include <map>

#include "platform/foundation/NoDestructor.h"
#include "platform/ui/View.h"

namespace ui {
namespace {

std::map<std::string, Nib::Builder>& registry() {
  static foundation::NoDestructor<std::map<std::string, Nib::Builder>> nibs;
  return *nibs;
}

void awake(View& view) {
  for (const auto& subview : std::vector(view.subviews())) awake(*subview);
  view.awakeFromNib();
}

}  // namespace

void Nib::registerNib(const std::string& name, Builder builder) { registry()[name] = std::move(builder); }

bool Nib::exists(const std::string& name) { return registry().count(name) != 0; }

Nib::TopLevelObjects Nib::instantiate(const std::string& name, const std::any& owner) {
  auto found = registry().find(name);
  if (found == registry().end() || !found->second) return {};
  TopLevelObjects objects = found->second(owner);
  std::erase(objects, nullptr);
  for (const auto& object : objects) awake(*object);
  return objects;
}

}  // namespace ui
