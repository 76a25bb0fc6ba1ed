#pragma once

#include <string>

#include "src/api/requests/BaseDataRequest.h"
#include "src/framework/request/QRVDataRequestFactories.h"

namespace api {

// How a request class is sent: a GET query or a form post (getRequestMethod 0 or 1).
enum class ApiVerb : int { get = 0, post = 1 };

// What a request class makes of a reply after the inherited result step.
using ResultStep = void (*)(BaseDataRequest& request);

// One row of the endpoint table: the server method, how it is sent and the class's result step.
struct ApiEndpoint {
  const char* method;
  ApiVerb verb;
  ResultStep resultStep;
};

// A request class of the endpoint table. `Derived` names its row as
// `static constexpr ApiEndpoint kEndpoint{...}` and gets the hooks and the class factories from
// it; the class itself stays the type callers make and recognise in their callbacks.
template <class Derived>
class ApiRequestClass : public BaseDataRequest, public framework::QRVDataRequestFactories<Derived> {
 public:
  std::string getRequestUrl() const override { return urlForMethod(Derived::kEndpoint.method); }
  int getRequestMethod() const override { return static_cast<int>(Derived::kEndpoint.verb); }
  void processResult() override {
    BaseDataRequest::processResult();
    Derived::kEndpoint.resultStep(*this);
  }
};

}  // namespace api
