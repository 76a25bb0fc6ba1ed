#include "src/framework/model/QRVBaseModelObject.h"

#include <cctype>

#include "src/framework/model/QRVModelValues.h"

namespace framework {

std::string QRVBaseModelObject::getSetterSelWithAttibuteName(std::string_view attributeName) {
  std::string name = "set";
  if (attributeName.empty()) return name;
  name += static_cast<char>(std::toupper(static_cast<unsigned char>(attributeName.front())));
  name += attributeName.substr(1);
  return name;
}

void QRVBaseModelObject::setAttributes(const foundation::Dictionary& dataDic) {
  const std::optional<AttributeMap> map = attributeMapDictionary();
  if (!map) return;
  for (const auto& [property, jsonKey] : *map)
    performSetter(getSetterSelWithAttibuteName(property), model_values::fromReply(dataDic[jsonKey]));
}

std::string QRVBaseModelObject::description() const {
  std::string attributes;
  if (const std::optional<AttributeMap> map = attributeMapDictionary()) {
    for (const auto& [property, jsonKey] : *map) {
      const std::optional<foundation::Value> value = performGetter(property);
      const bool isNil = !value || value->isNull();
      attributes += " [" + property + "=" + (isNil ? "nil" : model_values::describe(*value)) + "] ";
    }
  }
  const std::string custom = customDescription();
  return archiveClassName() + ":{" + attributes + (custom.empty() ? "" : "," + custom) + "}";
}

void QRVBaseModelObject::encode(foundation::ArchiveEncoder& encoder) const {
  const std::optional<AttributeMap> map = attributeMapDictionary();
  if (!map) return;
  for (const auto& [property, jsonKey] : *map) {
    std::optional<foundation::Value> value = performGetter(property);
    if (value && !value->isNull()) encoder.encodeObject(*value, property);
  }
}

foundation::Result<foundation::Bytes> QRVBaseModelObject::getArchivedData() const {
  auto self = std::const_pointer_cast<QRVBaseModelObject>(weak_from_this().lock());
  if (!self)
    return foundation::makeError(foundation::kKeyedArchiveErrorDomain, foundation::kKeyedArchiveUnarchivableError,
                                 "A model must be held by a shared_ptr to be archived");
  return foundation::KeyedArchive::archivedData(foundation::Value(self));
}

void QRVBaseModelObject::decodeAttributes(const foundation::ArchiveDecoder& decoder) {
  const std::optional<AttributeMap> map = attributeMapDictionary();
  if (!map) return;
  for (const auto& [property, jsonKey] : *map) {
    const std::string setter = getSetterSelWithAttibuteName(property);
    performSetter(setter, decoder.decodeObject(property));
  }
}

}  // namespace framework
