// How the launcher's messages are put together, apart from showing them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// A message is a list of short lines; an empty line sets off a paragraph.
using MessageLines = std::vector<std::string>;

// The lines joined by single line feeds, nothing after the last one.
std::string JoinLines(const MessageLines& lines);

// "Error <code>: <system text>", the system's text taken as it stands.
std::string FormatErrorText(unsigned long code, std::string_view systemText);

}  // namespace qv
