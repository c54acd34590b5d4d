#include "IconQueue.h"

#include <utility>

namespace qv {

void IconQueue::Push(Group group, Ticket ticket) {
  auto found = byGroup_.find(group);
  if (found == byGroup_.end()) {
    lines_.push_back(Line{group, {}});
    found = byGroup_.emplace(group, std::prev(lines_.end())).first;
  }
  found->second->tickets.push_back(ticket);
}

void IconQueue::Prefer(Group group) {
  const auto found = byGroup_.find(group);
  if (found != byGroup_.end()) lines_.splice(lines_.begin(), lines_, found->second);
}

std::optional<IconQueue::Ticket> IconQueue::Pop() {
  if (lines_.empty()) return std::nullopt;
  Line& first = lines_.front();
  const Ticket ticket = first.tickets.front();
  first.tickets.pop_front();
  if (first.tickets.empty()) {
    byGroup_.erase(first.group);
    lines_.pop_front();
  }
  return ticket;
}

void IconQueue::Clear() {
  lines_.clear();
  byGroup_.clear();
}

int IconCache::Find(const IconLocation& location) const {
  const auto found = images_.find(location);
  return found != images_.end() ? found->second : -1;
}

void IconSources::Set(int image, IconSource source) {
  if (image < 0) return;
  const auto at = static_cast<std::size_t>(image);
  if (at >= sources_.size()) sources_.resize(at + 1);
  sources_[at] = std::move(source);
}

void IconSources::Resized() {
  std::deque<int> stale;
  for (std::size_t image = 0; image < sources_.size(); ++image)
    if (sources_[image]) stale.push_back(static_cast<int>(image));
  stale_.swap(stale);
}

std::optional<int> IconSources::NextStale() {
  if (stale_.empty()) return std::nullopt;
  const int image = stale_.front();
  stale_.pop_front();
  return image;
}

const IconSource* IconSources::Find(int image) const {
  if (image < 0 || static_cast<std::size_t>(image) >= sources_.size()) return nullptr;
  const auto& source = sources_[static_cast<std::size_t>(image)];
  return source ? &*source : nullptr;
}

void IconSources::Clear() {
  sources_.clear();
  stale_.clear();
}

}  // namespace qv
