#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace framework::model_values {

// A reply value as a model setter receives it: numbers (booleans included, as 1 and 0) become
// their decimal text; everything else is passed on as it is.
foundation::Value fromReply(const foundation::Value& value);

// What a text property keeps of a value: text, or a number's decimal text; nil otherwise.
std::optional<std::string> toText(const foundation::Value& value);
// The same, moving the text out of a value that is about to be thrown away.
std::optional<std::string> takeText(foundation::Value&& value);
foundation::Value fromText(const std::optional<std::string>& text);

// Diagnostic text of a property value: text as it is, models by their description().
std::string describe(const foundation::Value& value);

// What a model-typed property keeps of a value: a model of class T, or one built from a
// dictionary; nullptr otherwise.
template <class T>
std::shared_ptr<T> toModel(const foundation::Value& value) {
  if (auto model = value.objectAs<T>()) return model;
  if (const foundation::Dictionary* dictionary = value.getDictionary()) return T::initWithDataDic(*dictionary);
  return nullptr;
}

// The same, moving the dictionary's values into the model.
template <class T>
std::shared_ptr<T> takeModel(foundation::Value&& value) {
  if (auto model = value.objectAs<T>()) return model;
  if (foundation::Dictionary* dictionary = value.getDictionary()) return T::initTakingDataDic(*dictionary);
  return nullptr;
}

// The same for a list of models; elements that make no model are left out.
template <class T>
std::vector<std::shared_ptr<T>> toModels(const foundation::Value& value) {
  std::vector<std::shared_ptr<T>> models;
  if (const foundation::Array* array = value.getArray()) {
    models.reserve(array->size());
    for (const foundation::Value& element : *array)
      if (auto model = toModel<T>(element)) models.push_back(std::move(model));
  }
  return models;
}

template <class T>
std::vector<std::shared_ptr<T>> takeModels(foundation::Value&& value) {
  std::vector<std::shared_ptr<T>> models;
  if (foundation::Array* array = value.getArray()) {
    models.reserve(array->size());
    for (foundation::Value& element : *array)
      if (auto model = takeModel<T>(std::move(element))) models.push_back(std::move(model));
  }
  return models;
}

template <class T>
foundation::Value fromModel(const std::shared_ptr<T>& model) {
  return model ? foundation::Value(model) : foundation::Value();
}

template <class T>
foundation::Value fromModels(const std::vector<std::shared_ptr<T>>& models) {
  foundation::Array array;
  array.reserve(models.size());
  for (const auto& model : models) array.push_back(fromModel(model));
  return array;
}

}  // namespace framework::model_values
