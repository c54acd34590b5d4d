#include "Appearance.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "Handles.h"
#include "LauncherApp.h"
#include "ShellHelpers.h"

namespace qv {

namespace {

UniqueRegKey OpenForReading(const std::string& keyPath) {
  HKEY key = nullptr;
  if (keyPath.empty() || RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return UniqueRegKey();
  return UniqueRegKey(key);
}

UniqueRegKey OpenForWriting(const std::string& keyPath) {
  HKEY key = nullptr;
  if (keyPath.empty() || RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return UniqueRegKey();
  return UniqueRegKey(key);
}

}  // namespace

std::string AppearanceKeyPath() {
  const std::string& settings = SettingsKeyPath();
  return settings.empty() ? std::string() : settings + "\\Quorvel";
}

DWORD ReadDwordValue(const std::string& keyPath, const char* name, DWORD fallback) {
  const UniqueRegKey key = OpenForReading(keyPath);
  if (!key) return fallback;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return fallback;
  return value;
}

std::string ReadTextValue(const std::string& keyPath, const char* name) {
  const UniqueRegKey key = OpenForReading(keyPath);
  if (!key) return std::string();
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return std::string();
  // The size asked for first may be the stored UTF-16 size, short of the
  // same text in UTF-8, and the value may grow meanwhile: more room until
  // it fits.
  // Nothing kept here comes near the limit; a value that does is no setting.
  constexpr std::size_t kMostRoom = std::size_t{16} << 20;
  std::size_t room = static_cast<std::size_t>(size) + 1;
  for (int attempt = 0; attempt < 8 && room <= kMostRoom; ++attempt) {
    std::vector<char> buffer(room, '\0');
    DWORD read = static_cast<DWORD>(room - 1);
    const LONG status =
        RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read);
    if (status == ERROR_MORE_DATA) {
      room = std::max<std::size_t>(room * 2, static_cast<std::size_t>(read) + 1);
      continue;
    }
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::string();
    // The stored bytes need not end in a terminator; the extra byte is one.
    return std::string(buffer.data(), strnlen(buffer.data(), read < room ? read : room - 1));
  }
  return std::string();
}

LOGFONTW DefaultPopupFont() {
  LOGFONTW wanted = {};
  wanted.lfHeight = DefaultFontHeight(ScreenDpi());
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, L"Arial", LF_FACESIZE);
  // The description the system keeps for that font, if it makes one.
  const UniqueFont font(CreateFontIndirectW(&wanted));
  LOGFONTW made = {};
  if (font && GetObjectW(font.get(), sizeof made, &made) == sizeof made) return made;
  return wanted;
}

LOGFONTW ReadFontRecord(const std::string& keyPath) {
  const std::string record = ReadTextValue(keyPath, "Font");
  if (record.empty()) return DefaultPopupFont();
  LOGFONTW font = ToLogFont(ParseFontRecord(record));
  // Records written before the resolution was kept are taken as meant for
  // this screen, as they always were.
  const DWORD stored = ReadDwordValue(keyPath, "FontDpi", 0);
  if (stored >= 24 && stored <= 2400) font.lfHeight = ScaleFontHeight(font.lfHeight, static_cast<int>(stored), ScreenDpi());
  return font;
}

bool WriteFontRecord(const std::string& keyPath, const LOGFONTW& font) {
  const UniqueRegKey key = OpenForWriting(keyPath);
  const std::string record = FormatFontRecord(ToFontRecord(font));
  const DWORD dpi = static_cast<DWORD>(ScreenDpi());
  return key &&
         RegSetValueExA(key.get(), "Font", 0, REG_SZ, reinterpret_cast<const BYTE*>(record.c_str()),
                        static_cast<DWORD>(record.size() + 1)) == ERROR_SUCCESS &&
         RegSetValueExA(key.get(), "FontDpi", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
             ERROR_SUCCESS;
}

bool WriteDwordValue(const std::string& keyPath, const char* name, DWORD value) {
  const UniqueRegKey key = OpenForWriting(keyPath);
  return key && RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof value) == ERROR_SUCCESS;
}

LOGFONTW ToLogFont(const FontRecord& r) {
  LOGFONTW font = {};
  font.lfHeight = r.height;
  font.lfWidth = r.width;
  font.lfEscapement = r.escapement;
  font.lfOrientation = r.orientation;
  font.lfWeight = r.weight;
  font.lfItalic = r.italic;
  font.lfUnderline = r.underline;
  font.lfStrikeOut = r.strikeOut;
  font.lfCharSet = r.charSet;
  font.lfOutPrecision = r.outPrecision;
  font.lfClipPrecision = r.clipPrecision;
  font.lfQuality = r.quality;
  font.lfPitchAndFamily = r.pitchAndFamily;
  const std::wstring face = WideText(r.faceName);
  std::size_t length = face.size() < kMaxFaceName ? face.size() : kMaxFaceName;
  // Half a surrogate pair names no character.
  if (length > 0 && length < face.size() && IS_HIGH_SURROGATE(face[length - 1])) --length;
  std::copy_n(face.data(), length, font.lfFaceName);
  return font;
}

FontRecord ToFontRecord(const LOGFONTW& font) {
  FontRecord r;
  r.height = font.lfHeight;
  r.width = font.lfWidth;
  r.escapement = font.lfEscapement;
  r.orientation = font.lfOrientation;
  r.weight = font.lfWeight;
  r.italic = font.lfItalic;
  r.underline = font.lfUnderline;
  r.strikeOut = font.lfStrikeOut;
  r.charSet = font.lfCharSet;
  r.outPrecision = font.lfOutPrecision;
  r.clipPrecision = font.lfClipPrecision;
  r.quality = font.lfQuality;
  r.pitchAndFamily = font.lfPitchAndFamily;
  // A face name without its terminator is read no further than LOGFONT goes.
  r.faceName = CodePageText(std::wstring_view(font.lfFaceName, wcsnlen(font.lfFaceName, kMaxFaceName)));
  return r;
}

}  // namespace qv
