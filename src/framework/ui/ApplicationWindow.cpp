#include "src/framework/ui/ApplicationWindow.h"

#include "platform/foundation/NoDestructor.h"

namespace framework {
namespace {

ApplicationWindow::Provider& provider() {
  static foundation::NoDestructor<ApplicationWindow::Provider> registered;
  return *registered;
}

}  // namespace

std::shared_ptr<ui::Window> ApplicationWindow::window() {
  const Provider& registered = provider();
  return registered ? registered() : nullptr;
}

void ApplicationWindow::setProvider(Provider newProvider) { provider() = std::move(newProvider); }

}  // namespace framework
