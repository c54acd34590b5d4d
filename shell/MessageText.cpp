#include "MessageText.h"

namespace qv {

std::string JoinLines(const MessageLines& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

std::string FormatErrorText(unsigned long code, std::string_view systemText) {
  std::string text = "Error ";
  text += std::to_string(code);
  text += ": ";
  text += systemText;
  return text;
}

}  // namespace qv
