#pragma once

#include "src/services/shell/BaseViewController.h"

namespace services {

// The about screen: the application's name and version. Main thread only.
class AboutZunoViewController : public BaseViewController {
 public:
  void viewDidLoad() override;
};

}  // namespace services
