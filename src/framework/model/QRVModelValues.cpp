#include "src/framework/model/QRVModelValues.h"

#include "src/framework/model/QRVBaseModelObject.h"

namespace framework::model_values {

foundation::Value fromReply(const foundation::Value& value) {
  if (const bool* flag = value.getBool()) return *flag ? "1" : "0";
  if (value.isNumber()) return value.toString();
  return value;
}

std::optional<std::string> toText(const foundation::Value& value) {
  if (const std::string* text = value.getString()) return *text;
  if (value.isNumber() || value.isBool()) return fromReply(value).toString();
  return std::nullopt;
}

std::optional<std::string> takeText(foundation::Value&& value) {
  if (std::string* text = value.getString()) return std::move(*text);
  return toText(value);
}

foundation::Value fromText(const std::optional<std::string>& text) {
  return text ? foundation::Value(*text) : foundation::Value();
}

std::string describe(const foundation::Value& value) {
  if (const auto* text = value.getString()) return *text;
  if (value.isNumber() || value.isBool()) return fromReply(value).toString();
  if (auto model = value.objectAs<QRVBaseModelObject>()) return model->description();
  if (const foundation::Array* array = value.getArray()) {
    std::string out = "(";
    for (std::size_t i = 0; i < array->size(); ++i) out += (i ? ", " : "") + describe((*array)[i]);
    return out + ")";
  }
  if (const foundation::Dictionary* dictionary = value.getDictionary()) {
    std::string out = "{";
    for (const auto& [key, element] : *dictionary) out += key + " = " + describe(element) + "; ";
    return out + "}";
  }
  return value.isNull() ? "nil" : "<value>";
}

}  // namespace framework::model_values
