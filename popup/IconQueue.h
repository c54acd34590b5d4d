// Which shortcut's icon is fetched next, and which icons are already in the
// image list. Shortcuts wait in lines, one per group, taken in the order the
// groups were asked for; the group the user looks at goes to the front.
// Shortcuts whose icons come from the same place share one image, and each
// image remembers where it came from, to be fetched again at another size.
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// Where an image of the list came from: the shortcut whose icon made it,
// and the place the shell takes that icon from, where it said.
struct IconSource {
  std::string path;
  bool located = false;
  IconLocation location;
};

// The source of each image, so that a list made again at another size can
// have its images fetched again at that size; until then they are the old
// ones drawn larger or smaller. An image without a source (the default
// icon, which is loaded at the size at once) is never fetched again.
class IconSources {
 public:
  void Set(int image, IconSource source);
  // The list has a new size: every image with a source is stale, in image
  // order, whatever was still stale for an earlier size among them.
  void Resized();
  // The next stale image, or none.
  std::optional<int> NextStale();
  // The source of an image; null for one without.
  const IconSource* Find(int image) const;
  void Clear();
  std::size_t stale() const { return stale_.size(); }

 private:
  std::vector<std::optional<IconSource>> sources_;  // by image
  std::deque<int> stale_;
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
