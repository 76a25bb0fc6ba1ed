#include "platform/foundation/KeyedArchive.h"

#include "platform/foundation/ArchiveFormat.h"
#include "platform/foundation/PropertyList.h"

namespace foundation {

namespace format = archive_format;

namespace {

ErrorPtr corrupt(const std::string& why, ErrorPtr underlying = nullptr) {
  return makeError(kKeyedArchiveErrorDomain, kKeyedArchiveCorruptError, "Cannot unarchive: " + why + ".",
                   std::move(underlying));
}

}  // namespace

Result<Value> KeyedArchive::archivedPropertyList(const Value& root) {
  auto node = ArchiveEncoder::encodeRoot(root);
  if (!node.ok()) return node.error();
  return Value(Dictionary{{format::kArchiverKey, format::kArchiverName},
                          {format::kVersionKey, format::kVersion},
                          {format::kRootKey, std::move(*node)}});
}

Result<Bytes> KeyedArchive::archivedData(const Value& root) {
  auto propertyList = archivedPropertyList(root);
  if (!propertyList.ok()) return propertyList.error();
  auto text = PropertyList::serialize(*propertyList);
  if (!text.ok())
    return makeError(kKeyedArchiveErrorDomain, kKeyedArchiveUnarchivableError,
                     "Cannot archive: the archive cannot be written as a property list.", text.error());
  return Bytes(text->begin(), text->end());
}

Result<Value> KeyedArchive::unarchivePropertyList(const Value& propertyList) {
  const Dictionary* envelope = propertyList.getDictionary();
  if (!envelope)
    return corrupt("the data is not a keyed archive (it holds a " + std::string(propertyList.kindName()) + ")");
  const std::string* archiver = (*envelope)[format::kArchiverKey].getString();
  if (!archiver || *archiver != format::kArchiverName) return corrupt("the data is not a keyed archive");
  const Value& version = (*envelope)[format::kVersionKey];
  if (!version.isInteger() || version.toInt64(-1) != format::kVersion)
    return corrupt("the archive's version \"" + version.toString("?") + "\" is not one this program reads");
  if (!envelope->contains(format::kRootKey)) return corrupt("the archive has no root value");
  return ArchiveDecoder::decodeRoot((*envelope)[format::kRootKey]);
}

Result<Value> KeyedArchive::unarchiveObject(const Bytes& data) {
  auto propertyList = PropertyList::parse(data);
  if (!propertyList.ok()) return corrupt("the data is not a readable property list", propertyList.error());
  return unarchivePropertyList(*propertyList);
}

}  // namespace foundation
