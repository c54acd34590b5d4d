// The popup's look as kept in the registry: text colour, background colour
// and font, under HKEY_CURRENT_USER\<settings key>\Quorvel.
#pragma once

#include <windows.h>

#include <string>

#include "Dpi.h"
#include "FontRecord.h"

namespace qv {

constexpr COLORREF kDefaultForeground = 0x0000FFFF;  // yellow
constexpr COLORREF kDefaultBackground = 0x00000000;  // black

// Below HKEY_CURRENT_USER; empty before start-up has set the settings key.
std::string AppearanceKeyPath();

// The DWORD value `name`, or `fallback` when it is missing, of another type
// or of another size.
DWORD ReadDwordValue(const std::string& keyPath, const char* name, DWORD fallback);
// The string value `name` up to its first terminator; empty when missing or
// of another type.
std::string ReadTextValue(const std::string& keyPath, const char* name);

// The stored popup font; Arial 11 point for this screen when none is stored.
// Its height is for the screen's resolution now: a record kept at another
// one ("FontDpi") is scaled to it, so the font keeps its size in points.
// The face name is kept in UTF-16: a LOGFONTA holds 31 bytes, fewer than the
// 31 characters of a face name in UTF-8.
LOGFONTW ReadFontRecord(const std::string& keyPath);
// Writes the record and the resolution its height is meant for.
bool WriteFontRecord(const std::string& keyPath, const LOGFONTW& font);
bool WriteDwordValue(const std::string& keyPath, const char* name, DWORD value);

// Arial 11 point for the screen's vertical resolution, as the system makes it.
LOGFONTW DefaultPopupFont();

// The record's face name, in the program's code page, is cut to the
// kMaxFaceName characters a LOGFONT holds, never inside a character.
LOGFONTW ToLogFont(const FontRecord& record);
FontRecord ToFontRecord(const LOGFONTW& font);

}  // namespace qv
