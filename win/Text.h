// Text between the program's code page, in which it keeps every name, and
// UTF-16, in which the system's wide functions and the controls take it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qv {

// Text of the program's code page in UTF-16, and UTF-16 text in the code
// page; empty when it cannot be converted. On a Windows that keeps a legacy
// code page, a character it lacks becomes '?'.
std::wstring WideText(std::string_view text);
std::string CodePageText(std::wstring_view text);
// UTF-16 text in UTF-8, which keeps every name apart whatever the code page.
std::string Utf8Text(std::wstring_view text);

}  // namespace qv
