// Names and typed queries made comparable for finding: case, accents,
// widths and kana folded by the system's own tables, once per name when the
// groups are read and once per keystroke for the query.
#pragma once

#include <string>

#include "Finder.h"

namespace qv {

// The key of a name kept in the program's code page, and of one in UTF-16.
SearchKey SearchKeyOf(const std::string& name);
SearchKey SearchKeyOf(const std::wstring& wide);
// A run of text folded as names are: lower case, no accents, one width,
// katakana for hiragana, "ss" for the sharp s.
std::u32string FoldForSearch(const std::u32string& text);
// UTF-16 as typed or shown, as code points and back; an unpaired surrogate
// becomes U+FFFD.
std::u32string CodePoints(const std::wstring& text);
std::wstring Utf16(const std::u32string& text);

}  // namespace qv
