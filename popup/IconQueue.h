// Which shortcut's icon is fetched next, and which icons are already in the
// image list. Shortcuts wait in lines, one per group, taken in the order the
// groups were asked for; the group the user looks at goes to the front.
// Shortcuts whose icons come from the same place share one image.
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <optional>
#include <string>

namespace qv {

class IconQueue {
 public:
  using Ticket = std::uint64_t;
  using Group = const void*;

  // At the end of its group's line; a new group's line goes last.
  void Push(Group group, Ticket ticket);
  // The group's line goes first; a group with nothing waiting changes
  // nothing.
  void Prefer(Group group);
  // The next ticket, or none when nothing waits.
  std::optional<Ticket> Pop();
  void Clear();
  bool empty() const { return lines_.empty(); }

 private:
  struct Line {
    Group group;
    std::deque<Ticket> tickets;
  };
  std::list<Line> lines_;
  std::map<Group, std::list<Line>::iterator> byGroup_;
};

// Where the shell takes an icon from: a file and the icon's index in it,
// for shortcuts of one type (the file's extension). The type is part of it
// because a shell may name one place for files of two types and draw them
// differently (Wine does, for links and text files).
struct IconLocation {
  std::string file;
  int index = 0;
  std::string type;
  // Bytes as they are: folding case could merge two different names in a
  // double-byte code page, and a missed share only costs an image.
  bool operator<(const IconLocation& other) const {
    if (index != other.index) return index < other.index;
    if (file != other.file) return file < other.file;
    return type < other.type;
  }
};

class IconCache {
 public:
  // The image of that location, or -1.
  int Find(const IconLocation& location) const;
  void Add(const IconLocation& location, int image) { images_.emplace(location, image); }
  void Clear() { images_.clear(); }
  std::size_t size() const { return images_.size(); }

 private:
  std::map<IconLocation, int> images_;
};

}  // namespace qv
