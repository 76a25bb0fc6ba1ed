#include "platform/foundation/PropertyList.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/foundation/Base64.h"
#include "platform/foundation/Iso8601.h"
#include "platform/foundation/PropertyListWriter.h"
#include "platform/foundation/Utf8.h"

namespace foundation {

namespace {

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The text in quotes for an error message, cut short (on a character boundary) when long.
std::string quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return "\"" + std::string(text) + "\"";
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return "\"" + std::string(text.substr(0, cut)) + "...\"";
}

bool isText(const pugi::xml_node& node) { return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata; }

// A leading "+" is allowed where the number parsers below take only "-".
std::optional<std::string_view> withoutPlus(std::string_view text) {
  if (text.empty() || text.front() != '+') return text;
  text.remove_prefix(1);
  if (!text.empty() && text.front() == '-') return std::nullopt;
  return text;
}

template <class Number>
std::optional<Number> parseExactly(std::string_view text) {
  Number value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<Value> parseInteger(std::string_view text) {
  auto digits = withoutPlus(text);
  if (!digits) return std::nullopt;
  if (auto signedValue = parseExactly<std::int64_t>(*digits)) return Value(*signedValue);
  if (auto unsignedValue = parseExactly<std::uint64_t>(*digits)) return Value(*unsignedValue);
  return std::nullopt;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::optional<double> parseReal(std::string_view text) {
  auto number = withoutPlus(text);
  if (!number) return std::nullopt;
  bool negative = !number->empty() && number->front() == '-';
  std::string_view magnitude = negative ? number->substr(1) : *number;
  if (equalsIgnoringCase(magnitude, "nan")) return std::nan("");
  if (equalsIgnoringCase(magnitude, "inf") || equalsIgnoringCase(magnitude, "infinity"))
    return negative ? -HUGE_VAL : HUGE_VAL;
  return parseExactly<double>(*number);
}

class Reader {
 public:
  explicit Reader(const pugi::xml_document& document) : document_(document) {}

  Result<Value> read() {
    pugi::xml_node plist = document_.document_element();
    if (std::strcmp(plist.name(), "plist") != 0)
      return malformed(plist,
                       "the document is not a property list (its root element is <" + std::string(plist.name()) + ">)");
    pugi::xml_node root;
    for (pugi::xml_node child : plist.children()) {
      if (isText(child)) {
        if (!trimmed(child.value()).empty()) return malformed(child, "<plist> holds text outside any value");
        continue;
      }
      if (child.type() != pugi::node_element) continue;
      if (root) return malformed(child, "<plist> holds more than one value");
      root = child;
    }
    if (!root) return malformed(plist, "<plist> holds no value");
    return readValue(root, 1);
  }

 private:
  Result<Value> readValue(const pugi::xml_node& node, std::size_t depth) {
    std::string_view name = node.name();
    if (name == "dict" || name == "array") {
      if (depth > PropertyList::kMaxDepth)
        return failure(kPropertyListTooDeepError, node,
                       "the property list nests deeper than " + std::to_string(PropertyList::kMaxDepth) + " levels");
      return name == "dict" ? readDictionary(node, depth) : readArray(node, depth);
    }
    static constexpr std::string_view kLeaves[] = {"string", "integer", "real", "true", "false", "data", "date"};
    if (std::find(std::begin(kLeaves), std::end(kLeaves), name) == std::end(kLeaves))
      return malformed(node, "<" + std::string(name) + "> is not a property-list element");
    auto text = textOf(node);
    if (!text.ok()) return text.error();
    if (name == "string") return Value(std::move(*text));
    if (name == "true" || name == "false") {
      if (!trimmed(*text).empty()) return malformed(node, "<" + std::string(name) + "/> must be empty");
      return Value(name == "true");
    }
    if (name == "integer") {
      if (auto integer = parseInteger(trimmed(*text))) return std::move(*integer);
      return malformed(node, quoted(*text) + " is not an integer in the 64-bit range");
    }
    if (name == "real") {
      if (auto real = parseReal(trimmed(*text))) return Value(*real);
      return malformed(node, quoted(*text) + " is not a real number");
    }
    if (name == "date") {
      if (auto date = parseIso8601(trimmed(*text))) return Value(*date);
      return malformed(node, quoted(*text) + " is not an ISO 8601 date in UTC");
    }
    if (auto bytes = base64Decode(*text)) return Value(std::move(*bytes));
    return malformed(node, "<data> does not hold base64");
  }

  Result<Value> readArray(const pugi::xml_node& node, std::size_t depth) {
    Array array;
    for (pugi::xml_node child : node.children()) {
      if (auto skipped = skipFiller(child, "<array>"); !skipped.ok())
        return skipped.error();
      else if (*skipped)
        continue;
      auto element = readValue(child, depth + 1);
      if (!element.ok()) return element;
      array.push_back(std::move(*element));
    }
    return Value(std::move(array));
  }

  Result<Value> readDictionary(const pugi::xml_node& node, std::size_t depth) {
    Dictionary dictionary;
    std::optional<std::string> key;
    for (pugi::xml_node child : node.children()) {
      if (auto skipped = skipFiller(child, "<dict>"); !skipped.ok())
        return skipped.error();
      else if (*skipped)
        continue;
      if (std::strcmp(child.name(), "key") == 0) {
        if (key) return malformed(child, "the key " + quoted(*key) + " has no value");
        auto text = textOf(child);
        if (!text.ok()) return text.error();
        key = std::move(*text);
        continue;
      }
      if (!key) return malformed(child, "a value in <dict> has no <key> before it");
      auto element = readValue(child, depth + 1);
      if (!element.ok()) return element;
      dictionary.set(std::move(*key), std::move(*element));
      key.reset();
    }
    if (key) return malformed(node, "the key " + quoted(*key) + " has no value");
    return Value(std::move(dictionary));
  }

  // True for what a container may hold besides elements: white space, comments, instructions.
  Result<bool> skipFiller(const pugi::xml_node& child, const char* container) {
    if (child.type() == pugi::node_element) return false;
    if (isText(child) && !trimmed(child.value()).empty())
      return malformed(child, std::string(container) + " holds text outside any value");
    return true;
  }

  // The text content of a leaf element, which must hold no elements.
  Result<std::string> textOf(const pugi::xml_node& node) {
    std::string text;
    for (pugi::xml_node child : node.children()) {
      if (child.type() == pugi::node_element)
        return malformed(child, "<" + std::string(node.name()) + "> must not hold the element <" + child.name() + ">");
      if (isText(child)) text += child.value();
    }
    if (!isValidUtf8(text)) return malformed(node, "<" + std::string(node.name()) + "> holds text that is not UTF-8");
    return text;
  }

  ErrorPtr malformed(const pugi::xml_node& node, const std::string& what) const {
    return failure(kPropertyListMalformedError, node, what);
  }

  ErrorPtr failure(long long code, const pugi::xml_node& node, const std::string& what) const {
    std::string where = node.offset_debug() >= 0 ? " (near byte " + std::to_string(node.offset_debug()) + ")" : "";
    return makeError(kPropertyListErrorDomain, code, "The property list cannot be read: " + what + where + ".");
  }

  const pugi::xml_document& document_;
};

}  // namespace

Result<Value> PropertyList::parse(std::string_view xml) {
  pugi::xml_document document;
  // Keep white space when it is all a <string> holds, and read entities and CDATA as text.
  unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
  pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size(), options, pugi::encoding_auto);
  if (!parsed)
    return makeError(kPropertyListErrorDomain, kPropertyListMalformedError,
                     "The property list is not well-formed XML: " + std::string(parsed.description()) + " (near byte " +
                         std::to_string(parsed.offset) + ").");
  return Reader(document).read();
}

Result<Value> PropertyList::parse(const Bytes& data) {
  return parse(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

Result<std::string> PropertyList::serialize(const Value& value) {
  PropertyListWriter writer;
  if (ErrorPtr error = writer.write(value)) return error;
  return writer.take();
}

}  // namespace foundation
