#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "src/api/models/ProgramModel.h"
#include "src/framework/model/QRVBaseModelObject.h"
#include "src/framework/model/QRVModelProperties.h"

namespace playback {

// One row of the offline list as the rest of the system sees it: whose it is, which programme
// (with its stored copy), its download status (0 waiting, 1 complete), when the row was last
// written (modifyTime, seconds since 1970 as text) and the ids of the songs already downloaded.
class DownloadDataModel final : public framework::QRVBaseModelObject {
 public:
  std::string archiveClassName() const override { return "DownloadDataModel"; }

  QRV_MODEL_PROPERTY(std::int64_t, uid, Uid)
  QRV_MODEL_PROPERTY(std::int64_t, programId, ProgramId)
  // nullptr when the stored copy could not be read.
  QRV_MODEL_PROPERTY(api::ProgramModelPtr, program, Program)
  QRV_MODEL_PROPERTY(std::int64_t, status, Status)
  QRV_TEXT_PROPERTY(modifyTime, ModifyTime)
  QRV_MODEL_PROPERTY(std::vector<std::string>, sucSongs, SucSongs)
  QRV_MODEL_PROPERTY(std::int32_t, songNum, SongNum)
};

using DownloadDataModelPtr = std::shared_ptr<DownloadDataModel>;

}  // namespace playback
