#include "src/api/requests/PlayRequests.h"

#include "src/api/cache/ListenHistory.h"

namespace api {

// A history that cannot be written stays as it was: it is only a cache.
std::vector<ProgramModelPtr> ListenHistoryRequest::ListListenHistoryProgram() { return ListenHistory::load(); }

void ListenHistoryRequest::addListenProgram(const ProgramModelPtr& programme) { (void)ListenHistory::add(programme); }

void ListenHistoryRequest::saveLocal(const std::vector<ProgramModelPtr>& programmes) {
  (void)ListenHistory::save(programmes);
}

}  // namespace api
