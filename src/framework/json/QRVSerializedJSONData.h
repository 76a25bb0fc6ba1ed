#pragma once

#include <utility>

#include "platform/foundation/Value.h"

namespace framework {

// Ready JSON text that the writer copies out unchanged when it meets it inside a collection.
class QRVSerializedJSONData : public foundation::Object {
 public:
  explicit QRVSerializedJSONData(foundation::Bytes data) : data_(std::move(data)) {}

  const foundation::Bytes& data() const { return data_; }

 private:
  foundation::Bytes data_;
};

}  // namespace framework
