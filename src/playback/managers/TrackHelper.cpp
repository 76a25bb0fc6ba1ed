#include "src/playback/managers/TrackHelper.h"

#include "src/api/models/UserModel.h"

namespace playback {

std::string TrackHelper::labelForUid() {
  std::string uid = api::UserModel::getUserId();
  return uid.empty() ? "_" : uid;
}

}  // namespace playback
