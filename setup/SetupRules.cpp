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

NameVerdict CheckName(std::string_view typed, const std::vector<std::string_view>& otherNames,
                      std::string& trimmed) {
  trimmed = TrimName(typed);
  if (typed.size() > kMaxNameLength) return NameVerdict::kTooLong;
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

}  // namespace qv
