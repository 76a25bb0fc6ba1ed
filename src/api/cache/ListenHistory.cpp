#include "src/api/cache/ListenHistory.h"

#include <algorithm>

#include "platform/foundation/KeyedArchive.h"
#include "src/api/cache/RequestCacheFolder.h"

namespace api {
namespace {

std::vector<ProgramModelPtr> decoded(const foundation::Bytes& bytes) {
  std::vector<ProgramModelPtr> programmes;
  foundation::Result<foundation::Value> archived = foundation::KeyedArchive::unarchiveObject(bytes);
  if (!archived.ok() || !archived.value().isArray()) return programmes;
  for (const foundation::Value& element : *archived.value().getArray())
    if (auto programme = element.objectAs<ProgramModel>()) programmes.push_back(std::move(programme));
  return programmes;
}

foundation::Result<foundation::Bytes> encoded(const std::vector<ProgramModelPtr>& programmes) {
  foundation::Array list;
  list.reserve(programmes.size());
  for (const ProgramModelPtr& programme : programmes)
    if (programme) list.emplace_back(programme);
  return foundation::KeyedArchive::archivedData(list);
}

}  // namespace

std::vector<ProgramModelPtr> ListenHistory::load() {
  foundation::Result<foundation::Bytes> bytes = RequestCacheFolder::readData(kFileName);
  return bytes.ok() ? decoded(bytes.value()) : std::vector<ProgramModelPtr>();
}

foundation::Status ListenHistory::save(const std::vector<ProgramModelPtr>& programmes) {
  foundation::Result<foundation::Bytes> archive = encoded(programmes);
  if (!archive.ok()) return archive.error();
  return RequestCacheFolder::writeData(kFileName, archive.value());
}

foundation::Status ListenHistory::add(const ProgramModelPtr& programme) {
  if (!programme) return foundation::Status::success();
  const foundation::Result<foundation::Bytes> stored = RequestCacheFolder::readData(kFileName);
  std::vector<ProgramModelPtr> history = stored.ok() ? decoded(stored.value()) : std::vector<ProgramModelPtr>();
  // A programme without an id is nobody's earlier entry.
  const auto& id = programme->programId();
  auto same = std::find_if(history.begin(), history.end(),
                           [&](const ProgramModelPtr& entry) { return id && entry->programId() == id; });
  if (same != history.end()) history.erase(same);
  history.insert(history.begin(), programme);
  if (history.size() > kMaxPrograms) history.resize(kMaxPrograms);
  foundation::Result<foundation::Bytes> archive = encoded(history);
  if (!archive.ok()) return archive.error();
  // The programme already first, played again as it was, leaves the file alone rather than
  // rewriting and flushing it on the main loop at every start.
  if (stored.ok() && stored.value() == archive.value()) return foundation::Status::success();
  return RequestCacheFolder::writeData(kFileName, archive.value());
}

}  // namespace api
