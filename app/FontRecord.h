// The popup font as stored in the registry: the fourteen members of a
// LOGFONT joined by "|", and the tokenizer that splits such text. Free of
// the platform; the Win32 side copies between FontRecord and LOGFONTW.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// A LOGFONT holds a face name of at most this many UTF-16 characters (32
// with the terminator); the record keeps the name in the code page, where
// one character may take several bytes.
constexpr std::size_t kMaxFaceName = 31;

// The members of LOGFONT in their declared order.
struct FontRecord {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName;  // in the program's code page, without terminator

  bool operator==(const FontRecord& other) const;
};

// Takes the next token of `text` from `cursor` on and advances `cursor`.
// Delimiters split tokens unless they stand inside quotes; the quotes stay in
// the token, and openQuotes[i] is closed by closeQuotes[i]. Adjacent
// delimiters give an empty token between them, a final delimiter one last
// empty token. False, with an empty token, once the text is used up.
bool ExtractToken(std::size_t& cursor, std::string_view delimiters, std::string_view openQuotes,
                  std::string_view closeQuotes, std::string_view text, std::string& token);

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits give 0, and values beyond 32 bits stop at the
// nearest limit.
int32_t ParseRecordNumber(std::string_view token);

// Never fails: what cannot be read becomes 0, a missing face name empty, a
// face name ends at an embedded terminator, and anything after the
// fourteenth field is ignored. A face name is cut to what a LOGFONT holds
// only where it becomes one, in characters: bytes alone cannot tell where
// a character of UTF-8 ends.
FontRecord ParseFontRecord(std::string_view record);
// "%ld|%ld|%ld|%ld|%ld|%d|%d|%d|%d|%d|%d|%d|%d|%s", byte members unsigned.
std::string FormatFontRecord(const FontRecord& font);

// lfHeight of a font of `tenthsOfPoint` tenths of a point on a screen of
// `logPixelsY` pixels per logical inch, truncated toward zero.
int32_t PointFontHeight(int logPixelsY, int tenthsOfPoint);

// lfHeight of the 11-point default font for a screen of `logPixelsY` pixels
// per logical inch, truncated toward zero: 96 gives -14.
int32_t DefaultFontHeight(int logPixelsY);

// lfHeight of the same font at another scale, rounded to the nearest pixel;
// unchanged when either resolution is unknown (0 or less).
int32_t ScaleFontHeight(int32_t height, int fromDpi, int toDpi);

}  // namespace qv
