// How group and shortcut names compare: ASCII letters folded, every other
// byte by its unsigned value. The same rule orders the lists and finds
// duplicate names.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace qv {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareNames(std::string_view a, std::string_view b);

inline bool SameName(std::string_view a, std::string_view b) { return CompareNames(a, b) == 0; }

struct NameOrder {
  bool operator()(std::string_view a, std::string_view b) const { return CompareNames(a, b) < 0; }
};

// Where a new entry called `name` goes: before the first entry, walking from
// the head, whose name sorts strictly after it; so after its equals. The
// walk does not assume the list is sorted (a renamed group stays put).
template <class Iterator, class NameOf>
Iterator NameInsertionPoint(Iterator first, Iterator last, std::string_view name, NameOf nameOf) {
  for (; first != last; ++first)
    if (CompareNames(nameOf(*first), name) > 0) break;
  return first;
}

// Moves a renamed record to its place by its new name: out of the list, then
// in before the first record whose name sorts strictly after it.
template <class T>
void MoveToNameOrder(std::vector<std::unique_ptr<T>>& list, const T* record) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->get() != record) continue;
    std::unique_ptr<T> held = std::move(*it);
    list.erase(it);
    const auto place = NameInsertionPoint(list.begin(), list.end(), held->name,
                                          [](const std::unique_ptr<T>& other) -> std::string_view { return other->name; });
    list.insert(place, std::move(held));
    return;
  }
}

}  // namespace qv
