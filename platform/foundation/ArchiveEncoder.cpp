#include "platform/foundation/ArchiveEncoder.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/ArchiveFormat.h"
#include "platform/foundation/ArchiveRegistry.h"
#include "platform/foundation/KeyedArchive.h"

namespace foundation {

namespace format = archive_format;

struct ArchiveEncoder::Session {
  ErrorPtr error;
  std::vector<std::string> path;          // where the value being encoded sits, for messages
  std::vector<const Object*> inProgress;  // the objects whose encode() is running

  Value node(const Value& value);
  Value arrayNode(const Array& array);
  Value dictionaryNode(const Dictionary& dictionary);
  Value objectNode(const std::shared_ptr<Object>& object);
  Value fail(long long code, const std::string& why);
  std::size_t depth() const;
};

Value ArchiveEncoder::Session::node(const Value& value) {
  if (error) return Value();
  switch (value.kind()) {
    case Value::Kind::Null:
      return Dictionary{{format::kClassKey, format::kNullClass}};
    case Value::Kind::Array:
      return arrayNode(*value.getArray());
    case Value::Kind::Dictionary:
      return dictionaryNode(*value.getDictionary());
    case Value::Kind::Object:
      return objectNode(*value.getObject());
    default:
      return value;
  }
}

Value ArchiveEncoder::Session::arrayNode(const Array& array) {
  if (depth() >= KeyedArchive::kMaxDepth) return fail(kKeyedArchiveTooDeepError, "nests too deeply");
  Array nodes;
  nodes.reserve(array.size());
  for (std::size_t i = 0; i < array.size() && !error; ++i) {
    path.push_back("[" + std::to_string(i) + "]");
    nodes.push_back(node(array[i]));
    path.pop_back();
  }
  return nodes;
}

Value ArchiveEncoder::Session::dictionaryNode(const Dictionary& dictionary) {
  if (depth() >= KeyedArchive::kMaxDepth) return fail(kKeyedArchiveTooDeepError, "nests too deeply");
  Dictionary entries;
  for (const auto& [key, value] : dictionary) {
    if (error) break;
    path.push_back("." + key);
    entries.set(key, node(value));
    path.pop_back();
  }
  return Dictionary{{format::kClassKey, format::kDictionaryClass}, {format::kEntriesKey, std::move(entries)}};
}

Value ArchiveEncoder::Session::objectNode(const std::shared_ptr<Object>& object) {
  auto archivable = std::dynamic_pointer_cast<Archivable>(object);
  if (!archivable) return fail(kKeyedArchiveUnarchivableError, "is an object that cannot be archived");
  std::string className = archivable->archiveClassName();
  if (!ArchiveRegistry::shared().isRegistered(className))
    return fail(kKeyedArchiveUnarchivableError, "is an object of the unregistered class \"" + className + "\"");
  if (std::find(inProgress.begin(), inProgress.end(), object.get()) != inProgress.end())
    return fail(kKeyedArchiveCycleError, "is an object of class \"" + className + "\" that holds itself");
  if (depth() >= KeyedArchive::kMaxDepth) return fail(kKeyedArchiveTooDeepError, "nests too deeply");

  ArchiveEncoder encoder(*this);
  inProgress.push_back(object.get());
  path.push_back("<" + className + ">");
  archivable->encode(encoder);
  path.pop_back();
  inProgress.pop_back();
  return Dictionary{{format::kClassKey, className}, {format::kFieldsKey, std::move(encoder.fields_)}};
}

Value ArchiveEncoder::Session::fail(long long code, const std::string& why) {
  if (error) return Value();
  std::string where = "$root";
  for (const auto& step : path) where += step;
  error = makeError(kKeyedArchiveErrorDomain, code, "Cannot archive: the value at " + where + " " + why + ".");
  return Value();
}

// Containers and objects between the root and the value being encoded.
std::size_t ArchiveEncoder::Session::depth() const {
  return static_cast<std::size_t>(std::count_if(path.begin(), path.end(), [](const std::string& step) {
    return step.front() != '<';  // an object's fields sit one level below it, like a container's
  }));
}

void ArchiveEncoder::encodeObject(const Value& value, std::string key) {
  if (session_.error || value.isNull()) return;
  session_.path.push_back("." + key);
  Value node = session_.node(value);
  session_.path.pop_back();
  fields_.set(std::move(key), std::move(node));
}

void ArchiveEncoder::fail(const std::string& reason) {
  session_.fail(kKeyedArchiveUnarchivableError, "is refused by its class: " + reason);
}

Result<Value> ArchiveEncoder::encodeRoot(const Value& root) {
  Session session;
  Value node = session.node(root);
  if (session.error) return session.error;
  return node;
}

}  // namespace foundation
