#include "PathText.h"

namespace qv {

CodePage CodePage::Utf8() {
  CodePage code;
  code.utf8_ = true;
  return code;
}

std::size_t CodePage::CharacterSize(std::string_view text, std::size_t at) const {
  const auto first = static_cast<unsigned char>(text[at]);
  if (!utf8_) return lead_[first] && at + 1 < text.size() ? 2 : 1;
  // The lead byte tells the length; the shortest and surrogate forms and
  // anything beyond U+10FFFF are no characters, as MultiByteToWideChar holds.
  std::size_t size = 1;
  unsigned char low = 0x80, high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    size = 2;
  } else if (first >= 0xE0 && first <= 0xEF) {
    size = 3;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    size = 4;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  }
  if (size == 1 || at + size > text.size()) return 1;
  for (std::size_t i = 1; i < size; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 1;
  }
  return size;
}

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Position of the last `wanted` byte that begins a character.
std::size_t FindLast(std::string_view text, char wanted, const CodePage& code) {
  std::size_t found = kNone;
  for (std::size_t i = 0; i < text.size(); i += code.CharacterSize(text, i))
    if (text[i] == wanted) found = i;
  return found;
}

}  // namespace

std::string GetExtension(std::string_view path, const CodePage& code) {
  const std::size_t dot = FindLast(path, '.', code);
  return dot == kNone ? std::string() : std::string(path.substr(dot + 1));
}

std::string GetFileNameOnly(std::string_view path, const CodePage& code) {
  const std::size_t slash = FindLast(path, '\\', code);
  return slash == kNone ? std::string() : std::string(path.substr(slash + 1));
}

std::string GetBaseTitle(std::string_view path, const CodePage& code) {
  const std::size_t slash = FindLast(path, '\\', code);
  if (slash == kNone) return std::string();
  const std::string_view name = path.substr(slash + 1);
  return std::string(name.substr(0, FindLast(name, '.', code)));
}

std::string ProgramFolderOf(std::string_view modulePath, const CodePage& code) {
  std::string path(modulePath);
  // Calls `each` with the position of every character's first byte; a byte
  // inside a character is neither a letter, a backslash nor a word's start.
  const auto forEachCharacter = [&](auto each) {
    for (std::size_t i = 0; i < path.size(); i += code.CharacterSize(path, i)) each(i);
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

bool IsSingleFolderName(std::string_view name, const CodePage& code) {
  // A trail byte may look like a backslash.
  for (std::size_t i = 0; i < name.size(); i += code.CharacterSize(name, i))
    if (name[i] == '\\' || name[i] == '/') return false;
  return true;
}

std::size_t FittingLength(std::string_view text, std::size_t maxBytes, const CodePage& code) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t length = 0;
  while (length < maxBytes) {
    const std::size_t step = code.CharacterSize(text, length);
    if (length + step > maxBytes) break;
    length += step;
  }
  return length;
}

std::size_t Utf16Length(std::string_view text, const CodePage& code) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size(); i += code.CharacterSize(text, i))
    units += code.CharacterSize(text, i) == 4 ? 2 : 1;
  return units;
}

}  // namespace qv
