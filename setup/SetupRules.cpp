#include "SetupRules.h"

#include <limits>

#include "NameOrder.h"

namespace qv {

namespace {

bool IsNameSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string TrimName(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsNameSpace(text[first])) ++first;
  while (last > first && IsNameSpace(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

NameVerdict CheckName(std::string_view typed, const std::vector<std::string_view>& otherNames,
                      const CodePage& code, std::string& trimmed) {
  trimmed = TrimName(typed);
  // Characters as the name edit counts them, never bytes: a Greek or
  // Japanese name takes two or three bytes a character in UTF-8.
  if (Utf16Length(typed, code) > kMaxNameLength) return NameVerdict::kTooLong;
  if (trimmed.empty()) return NameVerdict::kEmpty;
  for (std::string_view other : otherNames)
    if (SameName(other, trimmed)) return NameVerdict::kDuplicate;
  return NameVerdict::kAccepted;
}

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = static_cast<int64_t>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const uint64_t magnitude = static_cast<uint64_t>(product < 0 ? -product : product);
  const uint64_t divisor = static_cast<uint64_t>(c < 0 ? -static_cast<int64_t>(c) : c);
  const uint64_t rounded = (magnitude + divisor / 2) / divisor;
  if (rounded > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return -1;
  const int64_t value = static_cast<int64_t>(rounded);
  return static_cast<int32_t>(negative ? -value : value);
}

std::string DescribeFont(std::string_view faceName, int32_t height, int32_t weight, bool italic,
                         int pixelsPerInch) {
  const int64_t points = -static_cast<int64_t>(MulDivRounded(height, 72, pixelsPerInch));
  std::string text(faceName);
  text += ", " + std::to_string(points) + "pt";
  if (weight > 400) {
    text += italic ? " (Bold/Italic)" : " (Bold)";
  } else if (italic) {
    text += " (Italic)";
  }
  return text;
}

int SelectionAfterDelete(int deleted, int remaining) {
  int index = deleted;
  if (index >= remaining) --index;
  return index >= 0 ? index : -1;
}

namespace {

// The extension of the file name alone: a dot in a folder's name is none.
std::string FileExtension(std::string_view path, const CodePage& code) {
  return GetExtension(GetFileNameOnly("\\" + std::string(path), code), code);
}

}  // namespace

std::optional<ShortcutProposal> ProposeShortcut(std::string_view source, bool sourceIsFolder, const CodePage& code) {
  if (source.empty()) return std::nullopt;
  const std::string extension = FileExtension(source, code);
  if (!sourceIsFolder) {
    for (std::string_view kind : {std::string_view(".LNK"), std::string_view(".PIF"), std::string_view(".RNK")})
      if (SameName(extension, kind.substr(1))) return ShortcutProposal{kind, true};
  }
  return ShortcutProposal{".LNK", false};
}

std::string NewShortcutPath(std::string_view groupPath, std::string_view name, const ShortcutProposal& proposal) {
  std::string path(groupPath);
  path += '\\';
  path += name;
  path += proposal.extension;
  return path;
}

std::string RenamedShortcutPath(std::string_view groupPath, std::string_view name, std::string_view oldPath,
                                const CodePage& code) {
  std::string path(groupPath);
  path += '\\';
  path += name;
  const std::string extension = FileExtension(oldPath, code);
  if (!extension.empty()) path += "." + extension;
  return path;
}

std::string VolumeRootOf(std::string_view fullPath, const CodePage& code) {
  if (fullPath.size() >= 3 && fullPath[1] == ':' && fullPath[2] == '\\') {
    const char drive = fullPath[0];
    if ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) return std::string(fullPath.substr(0, 3));
    return {};
  }
  if (fullPath.size() < 2 || fullPath[0] != '\\' || fullPath[1] != '\\') return {};
  // "\\server\share\": the end of the second name after the two backslashes.
  int separators = 0;
  std::size_t nameStart = 2;
  for (std::size_t i = 2; i < fullPath.size(); i += code.CharacterSize(fullPath, i)) {
    if (fullPath[i] == '\\') {
      // An empty server or share name; the byte before may be a trail byte.
      if (i == nameStart) return {};
      if (++separators == 2) return std::string(fullPath.substr(0, i + 1));
      nameStart = i + 1;
    }
  }
  if (separators == 1 && fullPath.back() != '\\') return std::string(fullPath) + "\\";
  return {};
}

}  // namespace qv
