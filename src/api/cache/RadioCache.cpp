#include "src/api/cache/RadioCache.h"

#include "src/api/cache/RequestCacheFolder.h"
#include "src/api/requests/ReplyReader.h"

namespace api {
namespace {

foundation::Value cachedData(const char* fileName) {
  foundation::Result<foundation::Value> cached = RequestCacheFolder::readPropertyList(fileName);
  return cached.ok() ? std::move(cached.value()) : foundation::Value();
}

}  // namespace

std::vector<RadioModelPtr> RadioCache::radiosWithChannels(const foundation::Value& data) {
  std::vector<RadioModelPtr> radios;
  if (const foundation::Array* list = data.getArray()) {
    radios.reserve(list->size());
    for (const foundation::Value& element : *list) {
      const foundation::Dictionary* fields = element.getDictionary();
      if (!fields) continue;
      RadioModelPtr radio = RadioModel::initWithDataDic(*fields);
      radio->setChannelsArr(ReplyReader::modelsOf<ChannelModel>((*fields)["channels"]));
      radios.push_back(std::move(radio));
    }
  }
  return radios;
}

std::vector<RadioModelPtr> RadioCache::loadAllChannels() {
  return radiosWithChannels(cachedData(kAllChannelsFileName));
}

foundation::Status RadioCache::saveAllChannels(const foundation::Value& data) {
  return RequestCacheFolder::writePropertyList(kAllChannelsFileName, data);
}

std::vector<RadioModelPtr> RadioCache::loadRadios() {
  return ReplyReader::modelsOf<RadioModel>(cachedData(kRadiosFileName));
}

foundation::Status RadioCache::saveRadios(const foundation::Value& data) {
  return RequestCacheFolder::writePropertyList(kRadiosFileName, data);
}

}  // namespace api
