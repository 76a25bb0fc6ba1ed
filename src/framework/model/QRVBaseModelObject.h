#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

// The base of every data model. A model declares its attribute map (property name -> JSON key);
// the base fills the mapped properties from a reply dictionary through their setters, archives
// them under their property names and prints them for diagnostics. Setters run on the calling
// thread, so a model is complete when the call that fills it returns.
class QRVBaseModelObject : public foundation::Archivable, public std::enable_shared_from_this<QRVBaseModelObject> {
 public:
  // Property name -> JSON key, in the model's own order.
  using AttributeMap = std::vector<std::pair<std::string, std::string>>;

  // Nothing in the base: such a model has no attributes.
  virtual std::optional<AttributeMap> attributeMapDictionary() const { return std::nullopt; }

  // The setter's name for a property: "set" and the name with its first letter in upper case.
  static std::string getSetterSelWithAttibuteName(std::string_view attributeName);

  // Sets every mapped property from the dictionary: numbers become their decimal text, nulls
  // and missing keys nil, other values go to the setter as they are. Properties without a
  // setter are skipped.
  virtual void setAttributes(const foundation::Dictionary& dataDic);

  // Extra text for description(); empty in the base.
  virtual std::string customDescription() const { return {}; }
  // "Class:{ [name=value]  [other=nil] }" over the mapped properties, in map order.
  std::string description() const;

  // Writes every mapped property that has a getter and a non-nil value under its property name.
  void encode(foundation::ArchiveEncoder& encoder) const override;
  // The model archived whole; fails for a model not held by a shared_ptr.
  foundation::Result<foundation::Bytes> getArchivedData() const;

 protected:
  // Restores the mapped properties that have setters from what encode() wrote.
  void decodeAttributes(const foundation::ArchiveDecoder& decoder);

  // The model's accessors, looked up by name as the platform's runtime would. performSetter
  // answers false when the model has no setter of that name; performGetter nothing when it has
  // no getter (a nil property is a null value).
  virtual bool performSetter(std::string_view /*setterName*/, const foundation::Value& /*value*/) { return false; }
  virtual std::optional<foundation::Value> performGetter(std::string_view /*getterName*/) const { return std::nullopt; }
};

using QRVBaseModelObjectPtr = std::shared_ptr<QRVBaseModelObject>;

}  // namespace framework
