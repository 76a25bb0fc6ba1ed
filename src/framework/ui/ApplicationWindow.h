#pragma once

#include <functional>
#include <memory>

#include "platform/ui/Window.h"

namespace framework {

// The application's key window as the application shell owns it. The shell sits above the
// framework, so it registers how to reach its window here, and framework views that cover the
// whole window (the alert's dimming background) ask through this. Main thread only.
class ApplicationWindow {
 public:
  using Provider = std::function<std::shared_ptr<ui::Window>()>;

  // Main thread. The shell's window; nullptr when no shell has registered.
  static std::shared_ptr<ui::Window> window();
  // Main thread. Installs (or, with an empty provider, removes) the way to the window.
  static void setProvider(Provider provider);

  // Registers a provider while the program starts: a static Registration in the shell's .cpp.
  struct Registration {
    explicit Registration(Provider provider) { setProvider(std::move(provider)); }
  };
};

}  // namespace framework
