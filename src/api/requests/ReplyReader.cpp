#include "src/api/requests/ReplyReader.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

namespace {

// A reply's entry, read from a reply that is kept or taken out of one that is thrown away.
const foundation::Value& entryOf(const foundation::Dictionary& fields, std::string_view key) { return fields[key]; }
foundation::Value entryOf(foundation::Dictionary& fields, std::string_view key) {
  foundation::Value* value = fields.find(key);
  return value ? std::move(*value) : foundation::Value();
}
const foundation::Value& entryOf(const foundation::Value& value, std::string_view key) { return value[key]; }
foundation::Value entryOf(foundation::Value& value, std::string_view key) {
  foundation::Dictionary* fields = value.getDictionary();
  return fields ? entryOf(*fields, key) : foundation::Value();
}

foundation::Array arrayOf(const foundation::Value& value) {
  const foundation::Array* array = value.getArray();
  return array ? *array : foundation::Array();
}
foundation::Array arrayOf(foundation::Value&& value) {
  foundation::Array* array = value.getArray();
  return array ? std::move(*array) : foundation::Array();
}

// Dresses a programme of a list reply from its element, a const dictionary to copy from or a
// dictionary to take from.
template <class Fields>
void dressListProgramme(ProgramModel& programme, Fields& element, ReplyReader::Channels channels) {
  ReplyReader::ensureUser(programme);
  if (channels == ReplyReader::Channels::listed)
    programme.setChannelArr(ReplyReader::modelsOf<ChannelModel>(entryOf(element, "channels")));
  auto&& cover = entryOf(element, "cover");
  programme.setCoverNumber(cover["num"]);
  programme.setCoverPics(arrayOf(entryOf(cover, "pics")));
}

}  // namespace

const foundation::Dictionary& ReplyReader::dictionaryOrEmpty(const foundation::Value& value) {
  static const foundation::NoDestructor<foundation::Dictionary> kEmpty;
  const foundation::Dictionary* dictionary = value.getDictionary();
  return dictionary ? *dictionary : *kEmpty;
}

bool ReplyReader::isNonEmpty(const foundation::Value& value) {
  if (const foundation::Dictionary* dictionary = value.getDictionary()) return !dictionary->empty();
  if (const foundation::Array* array = value.getArray()) return !array->empty();
  if (const std::string* text = value.getString()) return !text->empty();
  return false;
}

void ReplyReader::setIfPresent(foundation::Dictionary& dictionary, std::string key, foundation::Value value) {
  if (!value.isNull()) dictionary.set(std::move(key), std::move(value));
}

void ReplyReader::ensureUser(ProgramModel& programme) {
  if (!programme.user()) programme.setUser(std::make_shared<UserModel>());
}

std::vector<ProgramModelPtr> ReplyReader::listProgrammes(const foundation::Value& list, Channels channels) {
  return modelsOf<ProgramModel>(list, [channels](ProgramModel& programme, const foundation::Dictionary& element) {
    dressListProgramme(programme, element, channels);
  });
}

std::vector<ProgramModelPtr> ReplyReader::listProgrammes(foundation::Value&& list, Channels channels) {
  return modelsOf<ProgramModel>(std::move(list), [channels](ProgramModel& programme, foundation::Dictionary& element) {
    dressListProgramme(programme, element, channels);
  });
}

}  // namespace api
