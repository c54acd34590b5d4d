#include "IconQueue.h"

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

}  // namespace qv
