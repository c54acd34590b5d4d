#include "PathText.h"

namespace qv {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Position of the last `wanted` byte that is not the trail byte of a
// double-byte character.
std::size_t FindLast(std::string_view text, char wanted, const LeadBytes& lead) {
  std::size_t found = kNone;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (lead[byte] && i + 1 < text.size()) {
      ++i;  // skip the trail byte
      continue;
    }
    if (text[i] == wanted) found = i;
  }
  return found;
}

}  // namespace

std::string GetExtension(std::string_view path, const LeadBytes& lead) {
  const std::size_t dot = FindLast(path, '.', lead);
  return dot == kNone ? std::string() : std::string(path.substr(dot + 1));
}

std::string GetFileNameOnly(std::string_view path, const LeadBytes& lead) {
  const std::size_t slash = FindLast(path, '\\', lead);
  return slash == kNone ? std::string() : std::string(path.substr(slash + 1));
}

std::string GetBaseTitle(std::string_view path, const LeadBytes& lead) {
  const std::size_t slash = FindLast(path, '\\', lead);
  if (slash == kNone) return std::string();
  const std::string_view name = path.substr(slash + 1);
  return std::string(name.substr(0, FindLast(name, '.', lead)));
}

std::string ProgramFolderOf(std::string_view modulePath, const LeadBytes& lead) {
  std::string path(modulePath);
  // Calls `each` with the position of every character's first byte; a trail
  // byte is neither a letter, a backslash nor the start of a word.
  const auto forEachCharacter = [&](auto each) {
    for (std::size_t i = 0; i < path.size(); ++i) {
      each(i);
      if (lead[static_cast<unsigned char>(path[i])] && i + 1 < path.size()) ++i;
    }
  };
  forEachCharacter([&](std::size_t i) {
    if (path[i] >= 'a' && path[i] <= 'z') path[i] = static_cast<char>(path[i] - 'a' + 'A');
  });
  std::size_t slash = kNone;
  std::size_t parent = kNone;
  bool buildOutput = false;
  forEachCharacter([&](std::size_t i) {
    if (path[i] == '\\') {
      parent = slash;
      slash = i;
    }
    if (path.compare(i, 5, "DEBUG") == 0 || path.compare(i, 7, "RELEASE") == 0) buildOutput = true;
  });
  if (slash == kNone) return std::string();
  std::size_t keep = slash + 1;
  // An executable straight in a root has no parent to go to; it keeps its
  // own folder rather than losing the drive.
  if (buildOutput && parent != kNone) keep = parent + 1;
  path.resize(keep);
  return path;
}

}  // namespace qv

namespace qv {

bool IsSingleFolderName(std::string_view name, const LeadBytes& lead) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (lead[c]) {
      ++i;  // the trail byte may look like a backslash
    } else if (c == '\\' || c == '/') {
      return false;
    }
  }
  return true;
}

std::size_t FittingLength(std::string_view text, std::size_t maxBytes, const LeadBytes& lead) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t length = 0;
  while (length < maxBytes) {
    const std::size_t step = lead[static_cast<unsigned char>(text[length])] ? 2 : 1;
    if (length + step > maxBytes) break;
    length += step;
  }
  return length;
}

}  // namespace qv
