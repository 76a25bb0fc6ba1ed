#include "platform/foundation/ArchiveDecoder.h"

#include "platform/foundation/ArchiveFormat.h"
#include "platform/foundation/ArchiveRegistry.h"
#include "platform/foundation/KeyedArchive.h"

namespace foundation {

namespace format = archive_format;

struct ArchiveDecoder::Session {
  ErrorPtr error;
  std::vector<std::string> path;  // where the node being decoded sits, for messages

  Value value(const Value& node, std::size_t depth);
  Value array(const Array& nodes, std::size_t depth);
  Value tagged(const Dictionary& node, std::size_t depth);
  Value dictionary(const Dictionary& node, std::size_t depth);
  Value object(const std::string& className, const Dictionary& node, std::size_t depth);
  // Decodes each entry of a node dictionary; null after a failure.
  std::optional<Dictionary> entries(const Value& nodes, const char* what, std::size_t depth);
  Value fail(long long code, const std::string& why);
};

Value ArchiveDecoder::Session::value(const Value& node, std::size_t depth) {
  if (error) return Value();
  switch (node.kind()) {
    case Value::Kind::Array:
      return array(*node.getArray(), depth);
    case Value::Kind::Dictionary:
      return tagged(*node.getDictionary(), depth);
    case Value::Kind::Null:
    case Value::Kind::Object:
      return fail(kKeyedArchiveCorruptError, "is a " + std::string(node.kindName()) + ", which no archive holds");
    default:
      return node;
  }
}

Value ArchiveDecoder::Session::array(const Array& nodes, std::size_t depth) {
  if (depth >= KeyedArchive::kMaxDepth) return fail(kKeyedArchiveTooDeepError, "nests too deeply");
  Array values;
  values.reserve(nodes.size());
  for (std::size_t i = 0; i < nodes.size() && !error; ++i) {
    path.push_back("[" + std::to_string(i) + "]");
    values.push_back(value(nodes[i], depth + 1));
    path.pop_back();
  }
  return values;
}

Value ArchiveDecoder::Session::tagged(const Dictionary& node, std::size_t depth) {
  const std::string* className = node[format::kClassKey].getString();
  if (!className) return fail(kKeyedArchiveCorruptError, "is a dictionary without a class name");
  if (*className == format::kNullClass) return Value();
  if (*className == format::kDictionaryClass) {
    auto decoded = entries(node[format::kEntriesKey], format::kEntriesKey, depth);
    return decoded ? Value(std::move(*decoded)) : Value();
  }
  if (className->empty() || className->front() == format::kReservedPrefix)
    return fail(kKeyedArchiveCorruptError, "names the unknown format class \"" + *className + "\"");
  return object(*className, node, depth);
}

Value ArchiveDecoder::Session::object(const std::string& className, const Dictionary& node, std::size_t depth) {
  ArchiveFactory factory = ArchiveRegistry::shared().factoryFor(className);
  if (!factory) return fail(kKeyedArchiveUnknownClassError, "is of the unknown class \"" + className + "\"");
  path.push_back("<" + className + ">");
  std::shared_ptr<Archivable> made;
  if (auto fields = entries(node[format::kFieldsKey], format::kFieldsKey, depth)) {
    ArchiveDecoder decoder(*this, className, std::move(*fields));
    made = factory(decoder);
    if (!error && !made) fail(kKeyedArchiveWrongTypeError, "is refused by its class");
  }
  path.pop_back();
  return error ? Value() : Value(std::move(made));
}

std::optional<Dictionary> ArchiveDecoder::Session::entries(const Value& nodes, const char* what, std::size_t depth) {
  if (depth >= KeyedArchive::kMaxDepth) {
    fail(kKeyedArchiveTooDeepError, "nests too deeply");
    return std::nullopt;
  }
  const Dictionary* dictionary = nodes.getDictionary();
  if (!dictionary) {
    fail(kKeyedArchiveCorruptError, "lacks its \"" + std::string(what) + "\" dictionary");
    return std::nullopt;
  }
  Dictionary values;
  for (const auto& [key, node] : *dictionary) {
    path.push_back("." + key);
    Value decoded = value(node, depth + 1);
    path.pop_back();
    if (error) return std::nullopt;
    values.set(key, std::move(decoded));
  }
  return values;
}

Value ArchiveDecoder::Session::fail(long long code, const std::string& why) {
  if (error) return Value();
  std::string where = "$root";
  for (const auto& step : path) where += step;
  error = makeError(kKeyedArchiveErrorDomain, code, "Cannot unarchive: the value at " + where + " " + why + ".");
  return Value();
}

std::optional<std::string> ArchiveDecoder::decodeString(std::string_view key) {
  const Value& value = decodeObject(key);
  if (value.isNull()) return std::nullopt;
  if (const std::string* text = value.getString()) return *text;
  wrongKind(key, "text");
  return std::nullopt;
}

void ArchiveDecoder::fail(const std::string& reason) {
  session_.fail(kKeyedArchiveWrongTypeError, "is refused by its class: " + reason);
}

void ArchiveDecoder::wrongKind(std::string_view key, const std::string& expected) {
  const Value& value = decodeObject(key);
  session_.path.push_back("." + std::string(key));
  session_.fail(kKeyedArchiveWrongTypeError,
                "is a " + std::string(value.kindName()) + " where class \"" + className_ + "\" expects " + expected);
  session_.path.pop_back();
}

Result<Value> ArchiveDecoder::decodeRoot(const Value& node) {
  Session session;
  Value root = session.value(node, 0);
  if (session.error) return session.error;
  return root;
}

}  // namespace foundation
