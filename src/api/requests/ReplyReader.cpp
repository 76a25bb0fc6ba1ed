#include "src/api/requests/ReplyReader.h"

namespace api {

const foundation::Dictionary& ReplyReader::dictionaryOrEmpty(const foundation::Value& value) {
  static const foundation::Dictionary kEmpty;
  const foundation::Dictionary* dictionary = value.getDictionary();
  return dictionary ? *dictionary : kEmpty;
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

void ReplyReader::dressListProgramme(ProgramModel& programme, const foundation::Dictionary& element,
                                     Channels channels) {
  ensureUser(programme);
  if (channels == Channels::listed) programme.setChannelArr(modelsOf<ChannelModel>(element["channels"]));
  const foundation::Value& cover = element["cover"];
  programme.setCoverNumber(cover["num"]);
  const foundation::Array* pictures = cover["pics"].getArray();
  programme.setCoverPics(pictures ? *pictures : foundation::Array());
}

std::vector<ProgramModelPtr> ReplyReader::listProgrammes(const foundation::Value& list, Channels channels) {
  return modelsOf<ProgramModel>(list, [channels](ProgramModel& programme, const foundation::Dictionary& element) {
    dressListProgramme(programme, element, channels);
  });
}

}  // namespace api
