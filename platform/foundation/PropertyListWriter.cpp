#include "platform/foundation/PropertyListWriter.h"

#include <charconv>
#include <cmath>

#include "platform/foundation/Base64.h"
#include "platform/foundation/Iso8601.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Utf8.h"

namespace foundation {

namespace {

// XML text with the markup characters escaped. Other control characters (carriage returns
// included, which a reader would otherwise turn into line feeds) go as character references.
std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\t':
      case '\n':
        out += c;
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += "&#" + std::to_string(static_cast<int>(c)) + ";";
        else
          out += c;
    }
  }
  return out;
}

}  // namespace

ErrorPtr PropertyListWriter::write(const Value& value) {
  out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
  if (ErrorPtr error = writeValue(value)) return error;
  out_ += "</plist>\n";
  return nullptr;
}

ErrorPtr PropertyListWriter::writeValue(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Bool:
      writeLeaf(*value.getBool() ? "true" : "false", "");
      return nullptr;
    case Value::Kind::Int:
    case Value::Kind::UInt:
      writeLeaf("integer", value.toString());
      return nullptr;
    case Value::Kind::Double:
    case Value::Kind::Decimal:  // a property list has reals only
      writeReal(value.toDouble());
      return nullptr;
    case Value::Kind::String:
      return writeText("string", *value.getString());
    case Value::Kind::Bytes:
      writeLeaf("data", base64Encode(*value.getBytes()));
      return nullptr;
    case Value::Kind::Date: {
      auto text = formatIso8601(*value.getDate());
      if (!text) return refuse("is a date outside the years 1 to 9999");
      writeLeaf("date", *text);
      return nullptr;
    }
    case Value::Kind::Array:
      return writeArray(*value.getArray());
    case Value::Kind::Dictionary:
      return writeDictionary(*value.getDictionary());
    case Value::Kind::Null:
      return refuse("is null, which a property list has no form for");
    case Value::Kind::Object:
      return refuse("is an object, which a property list has no form for");
  }
  return refuse("is of an unknown kind");
}

ErrorPtr PropertyListWriter::writeArray(const Array& array) {
  if (path_.size() >= PropertyList::kMaxDepth)
    return refuse("nests deeper than " + std::to_string(PropertyList::kMaxDepth) + " levels");
  if (array.empty()) {
    writeLeaf("array", "");
    return nullptr;
  }
  indent();
  out_ += "<array>\n";
  for (std::size_t i = 0; i < array.size(); ++i) {
    path_.push_back("[" + std::to_string(i) + "]");
    if (ErrorPtr error = writeValue(array[i])) return error;
    path_.pop_back();
  }
  indent();
  out_ += "</array>\n";
  return nullptr;
}

ErrorPtr PropertyListWriter::writeDictionary(const Dictionary& dictionary) {
  if (path_.size() >= PropertyList::kMaxDepth)
    return refuse("nests deeper than " + std::to_string(PropertyList::kMaxDepth) + " levels");
  if (dictionary.empty()) {
    writeLeaf("dict", "");
    return nullptr;
  }
  indent();
  out_ += "<dict>\n";
  for (const auto& [key, value] : dictionary) {
    path_.emplace_back();  // keys sit one level in, like their values
    if (ErrorPtr error = writeText("key", key)) return error;
    path_.back() = "." + key;
    if (ErrorPtr error = writeValue(value)) return error;
    path_.pop_back();
  }
  indent();
  out_ += "</dict>\n";
  return nullptr;
}

ErrorPtr PropertyListWriter::writeText(const char* element, const std::string& text) {
  if (!isValidUtf8(text)) return refuse(std::string("has a ") + element + " that is not valid UTF-8");
  if (text.find('\0') != std::string::npos)
    return refuse(std::string("has a ") + element + " holding a NUL character, which XML cannot carry");
  writeLeaf(element, escaped(text));
  return nullptr;
}

void PropertyListWriter::writeLeaf(const char* element, const std::string& content) {
  indent();
  if (content.empty() && std::string_view(element) != "string" && std::string_view(element) != "key") {
    out_ += "<" + std::string(element) + "/>\n";
    return;
  }
  out_ += "<" + std::string(element) + ">" + content + "</" + element + ">\n";
}

void PropertyListWriter::writeReal(double value) {
  if (std::isnan(value)) return writeLeaf("real", "nan");
  if (std::isinf(value)) return writeLeaf("real", value > 0 ? "+infinity" : "-infinity");
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  writeLeaf("real", std::string(buffer, end));
}

void PropertyListWriter::indent() { out_.append(path_.size(), '\t'); }

ErrorPtr PropertyListWriter::refuse(const std::string& why) const {
  std::string where = "$";
  for (const auto& step : path_) where += step;
  return makeError(kPropertyListErrorDomain, kPropertyListUnwritableError,
                   "Cannot write the property list: the value at " + where + " " + why + ".");
}

}  // namespace foundation
