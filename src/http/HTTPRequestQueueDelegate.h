#pragma once

#include "src/http/HTTPRequestDelegate.h"
#include "src/http/ProgressDelegate.h"

namespace http {

// What a request tells the queue it runs in (or any object standing in for a queue): the
// delegate's life-cycle events under their fixed names, and the progress of both directions.
// A request holds its queue strongly; calls arrive on the main thread.
class HTTPRequestQueueDelegate : public HTTPRequestDelegate, public ProgressDelegate {};

}  // namespace http
