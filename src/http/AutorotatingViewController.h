#pragma once

#include "platform/ui/ViewController.h"

namespace http {

// A view controller that allows every interface orientation. The platform turns no controller by
// itself, so nothing needs saying here: a controller of this kind turns its own view when the
// device turns (the credentials sheet does). Main thread only.
class AutorotatingViewController : public ui::ViewController {};

}  // namespace http
