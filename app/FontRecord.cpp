#include "FontRecord.h"

#include <cstdint>
#include <limits>

namespace qv {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool FontRecord::operator==(const FontRecord& o) const {
  return height == o.height && width == o.width && escapement == o.escapement && orientation == o.orientation &&
         weight == o.weight && italic == o.italic && underline == o.underline && strikeOut == o.strikeOut &&
         charSet == o.charSet && outPrecision == o.outPrecision && clipPrecision == o.clipPrecision &&
         quality == o.quality && pitchAndFamily == o.pitchAndFamily && faceName == o.faceName;
}

bool ExtractToken(std::size_t& cursor, std::string_view delimiters, std::string_view openQuotes,
                  std::string_view closeQuotes, std::string_view text, std::string& token) {
  token.clear();
  std::size_t i = cursor < text.size() ? cursor : text.size();
  bool inQuotes = false;
  char awaited = 0;
  bool stoppedAtDelimiter = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (inQuotes) {
      token += c;
      if (c == awaited) inQuotes = false;
      continue;
    }
    const std::size_t quote = openQuotes.find(c);
    if (quote != std::string_view::npos) {
      token += c;
      inQuotes = true;
      // An opening quote without its partner is closed by nothing.
      awaited = quote < closeQuotes.size() ? closeQuotes[quote] : '\0';
      continue;
    }
    if (delimiters.find(c) != std::string_view::npos) {
      // Every character taken lands in the token, so an empty token means
      // none was taken: a final delimiter then yields one empty token.
      if (token.empty() && i + 1 == text.size()) {
        cursor = i + 1;
        return true;
      }
      stoppedAtDelimiter = true;
      break;
    }
    token += c;
  }
  if (stoppedAtDelimiter && i + 1 < text.size()) ++i;
  cursor = i;
  return i < text.size() || !token.empty();
}

int32_t ParseRecordNumber(std::string_view token) {
  std::size_t i = 0;
  while (i < token.size() && IsSpace(token[i])) ++i;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  // Accumulated as a magnitude and held at the limit, like strtol on a
  // 32-bit long.
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  const int64_t limit = negative ? kMax + 1 : kMax;
  int64_t magnitude = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (token[i] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

FontRecord ParseFontRecord(std::string_view record) {
  FontRecord font;
  std::size_t cursor = 0;
  std::string token;
  auto next = [&] {
    ExtractToken(cursor, "|", "", "", record, token);
    return ParseRecordNumber(token);
  };
  auto nextByte = [&] { return static_cast<uint8_t>(static_cast<uint32_t>(next()) & 0xFF); };
  font.height = next();
  font.width = next();
  font.escapement = next();
  font.orientation = next();
  font.weight = next();
  font.italic = nextByte();
  font.underline = nextByte();
  font.strikeOut = nextByte();
  font.charSet = nextByte();
  font.outPrecision = nextByte();
  font.clipPrecision = nextByte();
  font.quality = nextByte();
  font.pitchAndFamily = nextByte();
  ExtractToken(cursor, "|", "", "", record, token);
  // A face name stops at an embedded terminator, as it would in LOGFONT.
  font.faceName = token.substr(0, token.find('\0'));
  return font;
}

std::string FormatFontRecord(const FontRecord& font) {
  std::string record;
  for (const int32_t member : {font.height, font.width, font.escapement, font.orientation, font.weight}) {
    record += std::to_string(member);
    record += '|';
  }
  for (const uint8_t member : {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
                               font.clipPrecision, font.quality, font.pitchAndFamily}) {
    record += std::to_string(static_cast<unsigned>(member));
    record += '|';
  }
  const std::string_view face(font.faceName);
  record += face.substr(0, face.find('\0'));
  return record;
}

int32_t PointFontHeight(int logPixelsY, int tenthsOfPoint) {
  return static_cast<int32_t>(-(static_cast<int64_t>(logPixelsY) * tenthsOfPoint / 720));
}

int32_t DefaultFontHeight(int logPixelsY) { return PointFontHeight(logPixelsY, 110); }

int32_t ScaleFontHeight(int32_t height, int fromDpi, int toDpi) {
  if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return height;
  const int64_t scaled = static_cast<int64_t>(height) * toDpi;
  const int64_t half = fromDpi / 2;
  const int64_t rounded = (scaled >= 0 ? scaled + half : scaled - half) / fromDpi;
  if (rounded > INT32_MAX) return INT32_MAX;
  if (rounded < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(rounded);
}

}  // namespace qv
