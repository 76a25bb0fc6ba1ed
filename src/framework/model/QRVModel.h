#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Value.h"
#include "src/framework/model/QRVBaseModelObject.h"
#include "src/framework/model/QRVModelProperties.h"

namespace framework {

// What every concrete model shares, given its property table (Derived::properties()) and its
// archive name (Derived::kClassName): making it from a reply or an archive, its attribute map,
// its accessors by name, and its registration with the keyed archives.
template <class Derived>
class QRVModel : public QRVBaseModelObject {
 public:
  // A new model filled from a reply dictionary.
  static std::shared_ptr<Derived> initWithDataDic(const foundation::Dictionary& dataDic) {
    auto model = std::make_shared<Derived>();
    model->setAttributes(dataDic);
    return model;
  }
  // The same from a reply about to be thrown away: the values the model maps are moved out of
  // the dictionary into it; the other keys are left as they were.
  static std::shared_ptr<Derived> initTakingDataDic(foundation::Dictionary& dataDic) {
    auto model = std::make_shared<Derived>();
    model->takeAttributes(dataDic);
    return model;
  }

  // A new model restored from what encode() wrote.
  static std::shared_ptr<Derived> initWithCoder(const foundation::ArchiveDecoder& decoder) {
    auto model = std::make_shared<Derived>();
    model->decodeAttributes(decoder);
    return model;
  }

  std::string archiveClassName() const override { return Derived::kClassName; }

  std::optional<AttributeMap> attributeMapDictionary() const override { return Derived::properties().attributeMap(); }

  // Straight from the property table when the class maps its table's attributes: the same
  // result as the setters looked up by name, without rebuilding the map and the setter names.
  void setAttributes(const foundation::Dictionary& dataDic) override {
    if constexpr (kMapsOwnAttributes) {
      QRVBaseModelObject::setAttributes(dataDic);
    } else {
      for (const auto& property : Derived::properties().all())
        property.set(static_cast<Derived&>(*this), dataDic[property.jsonKey]);
    }
  }

  // setAttributes() moving the values out of the dictionary, where the table allows it.
  void takeAttributes(foundation::Dictionary& dataDic) {
    const auto& properties = Derived::properties();
    if (kMapsOwnAttributes || !properties.readsEachKeyOnce()) {
      setAttributes(dataDic);
      return;
    }
    for (const auto& property : properties.all()) {
      if (foundation::Value* value = dataDic.find(property.jsonKey))
        property.take(static_cast<Derived&>(*this), std::move(*value));
      else
        property.set(static_cast<Derived&>(*this), foundation::Value::null());
    }
  }

 protected:
  // Naming the registration here makes every program that makes a model able to unarchive it.
  QRVModel() { (void)kRegisteredForArchives; }

  bool performSetter(std::string_view setterName, const foundation::Value& value) override {
    const auto* property = Derived::properties().findSetter(setterName);
    if (!property) return false;
    property->set(static_cast<Derived&>(*this), value);
    return true;
  }

  std::optional<foundation::Value> performGetter(std::string_view getterName) const override {
    const auto* property = Derived::properties().findGetter(getterName);
    if (!property) return std::nullopt;
    return property->get(static_cast<const Derived&>(*this));
  }

 private:
  static bool registerForArchives() {
    return foundation::ArchiveRegistry::shared().registerClass(
        Derived::kClassName, [](foundation::ArchiveDecoder& decoder) -> std::shared_ptr<foundation::Archivable> {
          return Derived::initWithCoder(decoder);
        });
  }

  static inline const bool kRegisteredForArchives = registerForArchives();

  // Whether the class declares an attribute map of its own instead of its table's.
  static constexpr bool kMapsOwnAttributes =
      !std::is_same_v<decltype(&Derived::attributeMapDictionary), decltype(&QRVModel::attributeMapDictionary)>;
};

}  // namespace framework
