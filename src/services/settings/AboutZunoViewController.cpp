#include "src/services/settings/AboutZunoViewController.h"

#include <memory>

#include "platform/ui/Label.h"

namespace services {
namespace {

constexpr const char* kApplicationName = "Zuno电台";

}  // namespace

void AboutZunoViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  setTitle("关于");
  auto name = std::make_shared<ui::Label>(ui::Rect{0, 120, 320, 30});
  name->setText(kApplicationName);
  name->setTextAlignment(ui::TextAlignment::Center);
  view()->addSubview(std::move(name));
}

}  // namespace services
