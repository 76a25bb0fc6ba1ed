#include "src/api/requests/BatchCall.h"

#include "src/framework/json/QRVJSONSerializer.h"

namespace api {

foundation::Result<foundation::Dictionary> BatchCall::parameters(const std::vector<BatchCall>& calls) {
  foundation::Array methods;
  methods.reserve(calls.size());
  for (const BatchCall& call : calls)
    methods.emplace_back(foundation::Dictionary{{"name", call.name}, {"args", call.args}});
  foundation::Result<std::string> text = framework::QRVJSONSerializer::serializer().serializeArray(methods);
  if (!text.ok()) return text.error();
  return foundation::Dictionary{{"js_methods", std::move(text.value())}};
}

}  // namespace api
