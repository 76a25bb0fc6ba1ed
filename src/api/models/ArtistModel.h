#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// An artist.
class ArtistModel final : public framework::QRVModel<ArtistModel> {
 public:
  static constexpr const char* kClassName = "ArtistModel";
  static const framework::QRVModelProperties<ArtistModel>& properties();

  QRV_TEXT_PROPERTY(artistId, ArtistId)
  QRV_TEXT_PROPERTY(jujingId, JujingId)
  QRV_TEXT_PROPERTY(zhName, ZhName)
  QRV_TEXT_PROPERTY(enName, EnName)
  QRV_TEXT_PROPERTY(country, Country)
  QRV_TEXT_PROPERTY(sex, Sex)
  QRV_TEXT_PROPERTY(birthday, Birthday)
  QRV_TEXT_PROPERTY(bloodtype, Bloodtype)
  QRV_TEXT_PROPERTY(constellation, Constellation)
  QRV_TEXT_PROPERTY(atristDescription, AtristDescription)
  QRV_TEXT_PROPERTY(salbumNum, SalbumNum)
  QRV_TEXT_PROPERTY(songNum, SongNum)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(type, Type)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
};

using ArtistModelPtr = std::shared_ptr<ArtistModel>;

}  // namespace api
