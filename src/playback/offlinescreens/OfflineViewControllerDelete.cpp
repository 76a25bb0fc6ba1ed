// The offline table's delete handler: the programme leaves the user's offline list on the
// server first, then here with its files.
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "src/api/requests/UserRequests.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offlinescreens/OfflineViewController.h"

namespace playback {

void OfflineViewController::commitEditingStyle(ui::TableView&, const ui::IndexPath& indexPath) {
  const int entry = indexPath.row - 1;
  if (indexPath.section != 0 || entry < 0 || entry >= static_cast<int>(sourceArray_.size())) return;
  const DownloadDataModelPtr& row = sourceArray_[entry];
  const std::int64_t programId = row->programId();
  const std::string programIdText =
      row->program() ? row->program()->programId().value_or(std::to_string(programId)) : std::to_string(programId);
  std::weak_ptr<ViewController> weak = weak_from_this();
  api::AddCollectionRequst::requestWithParameters(
      {{"program_id", programIdText}, {"sync", "0"}},
      {.onRequestFinished =
           [weak, programId](framework::QRVBaseDataRequest&) {
             // Removed even when the screen has gone meanwhile: the user asked for it.
             DownloadManager::sharedManager().cancelDownloadByProgramId(programId);
             if (auto self = std::static_pointer_cast<OfflineViewController>(weak.lock())) self->requestData();
           },
       .onRequestFailed =
           [](framework::QRVBaseDataRequest&, const foundation::ErrorPtr&) {
             if (ui::Window* window = ui::Application::shared().keyWindow())
               framework::toast::showErrorToastForTitle(*window, kRemoveFailedToast);
           }},
      view());
}

}  // namespace playback
