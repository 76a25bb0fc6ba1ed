#include "src/framework/json/QRVJSONDataSerializer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/foundation/Utf8.h"
#include "src/framework/json/ClassName.h"
#include "src/framework/json/QRVSerializedJSONData.h"

namespace framework {

namespace {

using foundation::Status;
using foundation::Value;

foundation::ErrorPtr writerError(QRVJSONSerializerErrorCode code, std::string description) {
  return foundation::makeError(kQRVJSONSerializerErrorDomain, static_cast<long long>(code), std::move(description));
}

std::string typeName(const Value& value) {
  if (value.isDate()) return "Date";
  if (const auto* object = value.getObject(); object && *object) return className(**object);
  return "Object";
}

foundation::Bytes toBytes(const std::string& text) { return foundation::Bytes(text.begin(), text.end()); }

// The one-letter escapes; every other control character gets the \u00XX form so the text
// stays valid JSON whatever it holds.
void appendEscaped(std::string& out, char c) {
  switch (c) {
    case '\\':
      out += "\\\\";
      return;
    case '"':
      out += "\\\"";
      return;
    case '/':
      out += "\\/";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += escape;
  } else {
    out += c;
  }
}

Status appendString(std::string& out, std::string_view text) {
  if (!foundation::isValidUtf8(text))
    return writerError(QRVJSONSerializerErrorCode::invalidText, "Cannot serialize text that is not UTF-8");
  out.reserve(out.size() + text.size() + 2);
  out += '"';
  for (char c : text) appendEscaped(out, c);
  out += '"';
  return {};
}

Status appendNumber(std::string& out, const Value& number) {
  if (const bool* flag = number.getBool()) {
    out += *flag ? "true" : "false";
    return {};
  }
  const bool notFinite = number.kind() == Value::Kind::Double
                             ? !std::isfinite(number.toDouble())
                             : number.isDecimal() && number.getDecimal()->isNotANumber();
  if (notFinite)
    return writerError(QRVJSONSerializerErrorCode::nonFiniteNumber, "Cannot serialize a number that is not finite");
  // "1e+20" is written "1e20": the same JSON number, and one the reader's number characters cover.
  std::string text = number.toString();
  if (auto plus = text.find("e+"); plus != std::string::npos) text.erase(plus + 1, 1);
  out += text;
  return {};
}

Status appendObject(std::string& out, const Value& object);

Status appendArray(std::string& out, const foundation::Array& array) {
  out += '[';
  for (std::size_t i = 0; i < array.size(); ++i) {
    if (i > 0) out += ',';
    if (Status status = appendObject(out, array[i]); !status) return status;
  }
  out += ']';
  return {};
}

Status appendDictionary(std::string& out, const foundation::Dictionary& dictionary) {
  out += '{';
  bool first = true;
  for (const auto& [key, value] : dictionary) {
    if (!first) out += ',';
    first = false;
    if (Status status = appendString(out, key); !status) return status;
    out += ':';
    if (Status status = appendObject(out, value); !status) return status;
  }
  out += '}';
  return {};
}

Status appendObject(std::string& out, const Value& object) {
  switch (object.kind()) {
    case Value::Kind::Null:
      out += "null";
      return {};
    case Value::Kind::Bool:
    case Value::Kind::Int:
    case Value::Kind::UInt:
    case Value::Kind::Double:
    case Value::Kind::Decimal:
      return appendNumber(out, object);
    case Value::Kind::String:
      return appendString(out, *object.getString());
    case Value::Kind::Array:
      return appendArray(out, *object.getArray());
    case Value::Kind::Dictionary:
      return appendDictionary(out, *object.getDictionary());
    case Value::Kind::Bytes: {
      const foundation::Bytes& bytes = *object.getBytes();
      return appendString(out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case Value::Kind::Date:
    case Value::Kind::Object:
      break;
  }
  if (auto ready = object.objectAs<QRVSerializedJSONData>()) {
    out.append(ready->data().begin(), ready->data().end());
    return {};
  }
  return writerError(QRVJSONSerializerErrorCode::unsupportedType,
                     "Cannot serialize data of type '" + typeName(object) + "'");
}

template <class Writer, class Input>
foundation::Result<foundation::Bytes> write(Writer writer, const Input& input) {
  std::string out;
  if (Status status = writer(out, input); !status) return status.error();
  return toBytes(out);
}

}  // namespace

foundation::Result<foundation::Bytes> QRVJSONDataSerializer::serializeObject(const Value& object) const {
  return write(appendObject, object);
}

foundation::Bytes QRVJSONDataSerializer::serializeNull() const { return toBytes("null"); }

foundation::Result<foundation::Bytes> QRVJSONDataSerializer::serializeNumber(const Value& number) const {
  if (!number.isNumber() && !number.isBool())
    return writerError(QRVJSONSerializerErrorCode::unsupportedType, "Cannot serialize a non-number as a number");
  return write(appendNumber, number);
}

foundation::Result<foundation::Bytes> QRVJSONDataSerializer::serializeString(std::string_view text) const {
  return write(appendString, text);
}

foundation::Result<foundation::Bytes> QRVJSONDataSerializer::serializeArray(const foundation::Array& array) const {
  return write(appendArray, array);
}

foundation::Result<foundation::Bytes> QRVJSONDataSerializer::serializeDictionary(
    const foundation::Dictionary& dictionary) const {
  return write(appendDictionary, dictionary);
}

}  // namespace framework
