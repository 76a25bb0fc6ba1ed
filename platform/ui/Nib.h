#pragma once

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class View;

// Interface files ("nibs") of the application package. Here a nib is a function registered
// under the nib's name that builds its top-level views, connecting outlets to the owner it is
// given (a std::any holding the owner's pointer, or empty). Loading calls awakeFromNib on every
// view of each loaded tree. Main thread only.
class Nib {
 public:
  using TopLevelObjects = std::vector<std::shared_ptr<View>>;
  using Builder = std::function<TopLevelObjects(const std::any& owner)>;

  // Main thread. Registers (or replaces) the nib of that name.
  static void registerNib(const std::string& name, Builder builder);
  // Main thread. Whether a nib of that name exists.
  static bool exists(const std::string& name);
  // Main thread. The top-level views of the nib; empty when there is no such nib.
  static TopLevelObjects instantiate(const std::string& name, const std::any& owner = {});

  // Registers a nib while the program starts: `static ui::Nib::Registration r("Name", builder);`
  // in the .cpp file of the class the nib belongs to.
  struct Registration {
    Registration(const std::string& name, Builder builder) { registerNib(name, std::move(builder)); }
  };
};

}  // namespace ui
