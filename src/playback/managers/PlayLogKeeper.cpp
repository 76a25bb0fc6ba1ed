#include "src/playback/managers/PlayLogKeeper.h"

#include <algorithm>
#include <cstdio>

#include "src/playback/managers/PlayLogFolder.h"

namespace playback {

std::mutex PlayLogKeeper::mutex_;
foundation::NoDestructor<std::map<std::uint64_t, PlayLogKeeper::Kept>> PlayLogKeeper::kept_;
std::uint64_t PlayLogKeeper::lastNumber_ = 0;
bool PlayLogKeeper::reported_ = false;

PlayLogKeeper::Ticket PlayLogKeeper::keep(const foundation::Dictionary& record, bool sending) {
  storeKept();
  if (std::optional<std::string> name = PlayLogFolder::store(record, sending)) return {std::move(name), 0};
  std::lock_guard lock(mutex_);
  kept_->emplace(++lastNumber_, Kept{record, sending});
  reportRefusal();
  return {std::nullopt, lastNumber_};
}

void PlayLogKeeper::settle(const Ticket& ticket, bool accepted) {
  if (ticket.file) {
    if (accepted)
      PlayLogFolder::removeHeld(*ticket.file);
    else
      PlayLogFolder::release(*ticket.file);
    return;
  }
  std::lock_guard lock(mutex_);
  auto found = kept_->find(ticket.memory);
  if (found == kept_->end()) return;
  if (accepted)
    kept_->erase(found);
  else
    found->second.sending = false;
}

void PlayLogKeeper::storeKept(bool alsoSending) {
  std::lock_guard lock(mutex_);
  for (auto entry = kept_->begin(); entry != kept_->end();) {
    if ((alsoSending || !entry->second.sending) && PlayLogFolder::store(entry->second.record)) {
      entry = kept_->erase(entry);
    } else {
      if (alsoSending) entry->second.sending = false;
      ++entry;
    }
  }
}

std::size_t PlayLogKeeper::keptInMemory() {
  std::lock_guard lock(mutex_);
  return kept_->size();
}

std::size_t PlayLogKeeper::waitingInMemory() {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(kept_->begin(), kept_->end(), [](const auto& entry) { return !entry.second.sending; }));
}

void PlayLogKeeper::reportRefusal() {
  if (reported_) return;
  reported_ = true;
  std::fprintf(stderr,
               "Play records cannot be stored in %s: they are kept in memory and stored as soon as the folder "
               "takes them.\n",
               PlayLogFolder::path().c_str());
}

void PlayLogKeeper::resetForTesting() {
  std::lock_guard lock(mutex_);
  kept_->clear();
  reported_ = false;
}

}  // namespace playback
