// How group and shortcut names compare: ASCII letters folded, every other
// byte by its unsigned value. The same rule orders the lists and finds
// duplicate names.
#pragma once

#include <string_view>

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

}  // namespace qv
