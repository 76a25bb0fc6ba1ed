#include "src/api/cache/ListenHistory.h"

#include <algorithm>

#include "platform/foundation/KeyedArchive.h"
#include "src/api/cache/RequestCacheFolder.h"

namespace api {

std::vector<ProgramModelPtr> ListenHistory::load() {
  std::vector<ProgramModelPtr> programmes;
  foundation::Result<foundation::Bytes> bytes = RequestCacheFolder::readData(kFileName);
  if (!bytes.ok()) return programmes;
  foundation::Result<foundation::Value> archived = foundation::KeyedArchive::unarchiveObject(bytes.value());
  if (!archived.ok() || !archived.value().isArray()) return programmes;
  for (const foundation::Value& element : *archived.value().getArray())
    if (auto programme = element.objectAs<ProgramModel>()) programmes.push_back(std::move(programme));
  return programmes;
}

foundation::Status ListenHistory::save(const std::vector<ProgramModelPtr>& programmes) {
  foundation::Array list;
  list.reserve(programmes.size());
  for (const ProgramModelPtr& programme : programmes)
    if (programme) list.emplace_back(programme);
  foundation::Result<foundation::Bytes> archive = foundation::KeyedArchive::archivedData(list);
  if (!archive.ok()) return archive.error();
  return RequestCacheFolder::writeData(kFileName, archive.value());
}

foundation::Status ListenHistory::add(const ProgramModelPtr& programme) {
  if (!programme) return foundation::Status::success();
  std::vector<ProgramModelPtr> history = load();
  // A programme without an id is nobody's earlier entry.
  const auto& id = programme->programId();
  auto same = std::find_if(history.begin(), history.end(),
                           [&](const ProgramModelPtr& entry) { return id && entry->programId() == id; });
  if (same != history.end()) history.erase(same);
  history.insert(history.begin(), programme);
  if (history.size() > kMaxPrograms) history.resize(kMaxPrograms);
  return save(history);
}

}  // namespace api
