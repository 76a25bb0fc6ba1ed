#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/Value.h"
#include "src/framework/model/QRVBaseModelObject.h"
#include "src/framework/model/QRVModelValues.h"

// Declares a model property `name` of `Type` with the getter name() and the setter setName(value).
#define QRV_MODEL_PROPERTY(Type, name, Name)                 \
 public:                                                     \
  const Type& name() const { return name##_; }               \
  void set##Name(Type value) { name##_ = std::move(value); } \
                                                             \
 private:                                                    \
  Type name##_{};                                            \
                                                             \
 public:

// A text property: nil (nullopt) or a string; reply numbers arrive as their decimal text.
#define QRV_TEXT_PROPERTY(name, Name) QRV_MODEL_PROPERTY(std::optional<std::string>, name, Name)

namespace framework {

// The mapped properties of a model class: for each, its name, its JSON key and how to read and
// write it as a foundation::Value. Built once per class, read-only afterwards. Setters take a
// reply value as it is (they read numbers as their text themselves); `take` is the setter for a
// value about to be thrown away, which moves what it keeps instead of copying it.
template <class Model>
class QRVModelProperties {
 public:
  struct Property {
    std::string name;
    std::string jsonKey;
    std::string setterName;
    std::function<foundation::Value(const Model&)> get;
    std::function<void(Model&, const foundation::Value&)> set;
    std::function<void(Model&, foundation::Value&&)> take;
  };

  // A text property whose JSON key is `jsonKey` (or its own name).
  QRVModelProperties& text(std::string name, std::string jsonKey, std::optional<std::string> Model::*member) {
    return add(
        std::move(name), std::move(jsonKey),
        [member](const Model& model) { return model_values::fromText(model.*member); },
        [member](Model& model, const foundation::Value& value) { model.*member = model_values::toText(value); },
        [member](Model& model, foundation::Value&& value) {
          model.*member = model_values::takeText(std::move(value));
        });
  }
  QRVModelProperties& text(std::string name, std::optional<std::string> Model::*member) {
    std::string jsonKey = name;
    return text(std::move(name), std::move(jsonKey), member);
  }

  // A property holding one model of class T.
  template <class T>
  QRVModelProperties& model(std::string name, std::string jsonKey, std::shared_ptr<T> Model::*member) {
    return add(
        std::move(name), std::move(jsonKey),
        [member](const Model& model) { return model_values::fromModel(model.*member); },
        [member](Model& model, const foundation::Value& value) { model.*member = model_values::toModel<T>(value); },
        [member](Model& model, foundation::Value&& value) {
          model.*member = model_values::takeModel<T>(std::move(value));
        });
  }

  // A property holding a list of models of class T.
  template <class T>
  QRVModelProperties& models(std::string name, std::string jsonKey, std::vector<std::shared_ptr<T>> Model::*member) {
    return add(
        std::move(name), std::move(jsonKey),
        [member](const Model& model) { return model_values::fromModels(model.*member); },
        [member](Model& model, const foundation::Value& value) { model.*member = model_values::toModels<T>(value); },
        [member](Model& model, foundation::Value&& value) {
          model.*member = model_values::takeModels<T>(std::move(value));
        });
  }

  QRVBaseModelObject::AttributeMap attributeMap() const {
    QRVBaseModelObject::AttributeMap map;
    map.reserve(properties_.size());
    for (const Property& property : properties_) map.emplace_back(property.name, property.jsonKey);
    return map;
  }

  const std::vector<Property>& all() const { return properties_; }
  // Whether no two properties read the same JSON key, so that each may take its value.
  bool readsEachKeyOnce() const { return readsEachKeyOnce_; }

  const Property* findSetter(std::string_view setterName) const {
    for (const Property& property : properties_)
      if (property.setterName == setterName) return &property;
    return nullptr;
  }

  const Property* findGetter(std::string_view name) const {
    for (const Property& property : properties_)
      if (property.name == name) return &property;
    return nullptr;
  }

 private:
  QRVModelProperties& add(std::string name, std::string jsonKey, std::function<foundation::Value(const Model&)> get,
                          std::function<void(Model&, const foundation::Value&)> set,
                          std::function<void(Model&, foundation::Value&&)> take) {
    for (const Property& property : properties_)
      if (property.jsonKey == jsonKey) readsEachKeyOnce_ = false;
    std::string setterName = QRVBaseModelObject::getSetterSelWithAttibuteName(name);
    properties_.push_back(
        {std::move(name), std::move(jsonKey), std::move(setterName), std::move(get), std::move(set), std::move(take)});
    return *this;
  }

  std::vector<Property> properties_;
  bool readsEachKeyOnce_ = true;
};

}  // namespace framework
