#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/foundation/Value.h"
#include "src/api/models/ProgramModel.h"

namespace api {

// Type-checked reading of reply values for the result steps: a value of the wrong type counts
// as missing, so a broken or hostile reply never reaches a model as something it is not.
class ReplyReader {
 public:
  // The dictionary the value is, or a shared empty one.
  static const foundation::Dictionary& dictionaryOrEmpty(const foundation::Value& value);
  // Whether the value is a dictionary or an array with entries, or non-empty text.
  static bool isNonEmpty(const foundation::Value& value);

  // A model of class T from each dictionary of the list, in order, each then passed with its
  // dictionary to `dress`; other elements and a list that is not an array give nothing.
  // Given a list about to be thrown away, the models take their values out of it instead of
  // copying them, and `dress` gets a mutable dictionary holding the keys the model does not map.
  template <class T, class Dress>
  static std::vector<std::shared_ptr<T>> modelsOf(const foundation::Value& list, Dress dress) {
    return collectModels<T>(list, dress);
  }
  template <class T, class Dress>
  static std::vector<std::shared_ptr<T>> modelsOf(foundation::Value&& list, Dress dress) {
    return collectModels<T>(list, dress);
  }
  template <class T>
  static std::vector<std::shared_ptr<T>> modelsOf(const foundation::Value& list) {
    return modelsOf<T>(list, [](T&, const foundation::Dictionary&) {});
  }
  template <class T>
  static std::vector<std::shared_ptr<T>> modelsOf(foundation::Value&& list) {
    return modelsOf<T>(std::move(list), [](T&, const foundation::Dictionary&) {});
  }

  // The same models as an array of values, as results file them.
  template <class T>
  static foundation::Array valuesOf(const std::vector<std::shared_ptr<T>>& models) {
    foundation::Array values;
    values.reserve(models.size());
    for (const auto& model : models) values.emplace_back(model);
    return values;
  }
  template <class T>
  static foundation::Array modelValuesOf(const foundation::Value& list) {
    return valuesOf(modelsOf<T>(list));
  }

  // Sets the entry unless the value is null: a missing reply value adds no key.
  static void setIfPresent(foundation::Dictionary& dictionary, std::string key, foundation::Value value);

  // A model of class T from the value, empty when it is not a dictionary.
  template <class T>
  static std::shared_ptr<T> modelOf(const foundation::Value& value) {
    return T::initWithDataDic(dictionaryOrEmpty(value));
  }

  // A programme takes its user from a "user" dictionary as it is made; one without gets an
  // empty user, so that callers always find one.
  static void ensureUser(ProgramModel& programme);

  // Whether list programmes get the channels their element lists.
  enum class Channels { listed, none };
  // A programme for each dictionary of a list reply, dressed with its user (empty when
  // missing), its channels (none when the element lists none), and its cover count and
  // pictures from "cover". A list about to be thrown away is taken rather than copied.
  static std::vector<ProgramModelPtr> listProgrammes(const foundation::Value& list, Channels channels);
  static std::vector<ProgramModelPtr> listProgrammes(foundation::Value&& list, Channels channels);

 private:
  // ListValue is a const foundation::Value to copy from or a foundation::Value to take from.
  template <class T, class ListValue, class Dress>
  static std::vector<std::shared_ptr<T>> collectModels(ListValue& list, Dress dress) {
    std::vector<std::shared_ptr<T>> models;
    if (auto* array = list.getArray()) {
      models.reserve(array->size());
      for (auto& element : *array) {
        auto* fields = element.getDictionary();
        if (!fields) continue;
        if constexpr (std::is_const_v<ListValue>)
          models.push_back(T::initWithDataDic(*fields));
        else
          models.push_back(T::initTakingDataDic(*fields));
        dress(*models.back(), *fields);
      }
    }
    return models;
  }
};

}  // namespace api
