#include "Fold.h"

#include <windows.h>

#include <vector>

#include "Text.h"

namespace qv {

namespace {

bool IsAscii(const std::u32string& text) {
  for (char32_t c : text)
    if (c >= 0x80) return false;
  return true;
}

// NormalizeString tells only an estimate of the room it needs.
std::wstring Normalized(NORM_FORM form, const std::wstring& text) {
  if (text.empty() || text.size() > 0x3FFFFFFF) return text;
  int room = NormalizeString(form, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  for (int tries = 0; room > 0 && tries < 4; ++tries) {
    std::wstring out(static_cast<std::size_t>(room), L'\0');
    const int length = NormalizeString(form, text.c_str(), static_cast<int>(text.size()), out.data(), room);
    if (length > 0) {
      out.resize(static_cast<std::size_t>(length));
      return out;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    room = -length > room ? -length : room * 2;
  }
  return text;  // text the system will not normalise is compared as it is
}

std::wstring Mapped(DWORD flags, const std::wstring& text) {
  if (text.empty() || text.size() > 0x3FFFFFFF) return text;
  const int size = static_cast<int>(text.size());
  const int room = LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.c_str(), size, nullptr, 0, nullptr, nullptr, 0);
  if (room <= 0) return text;
  std::wstring out(static_cast<std::size_t>(room), L'\0');
  const int length =
      LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.c_str(), size, out.data(), room, nullptr, nullptr, 0);
  if (length <= 0) return text;
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// The accents of Latin, Greek and Cyrillic letters; not the voicing marks
// of kana, which make another sound.
bool IsAccent(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
         (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

char32_t AsciiLower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + 0x20 : c; }

}  // namespace

std::u32string CodePoints(const std::wstring& text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = static_cast<char16_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const char32_t low = static_cast<char16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.push_back(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    out.push_back(c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
  }
  return out;
}

std::wstring Utf16(const std::u32string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c));
    }
  }
  return out;
}

std::u32string FoldForSearch(const std::u32string& text) {
  // Most names are plain ASCII: nothing but the case to fold.
  if (IsAscii(text)) {
    std::u32string out(text);
    for (char32_t& c : out) c = AsciiLower(c);
    return out;
  }
  // Compatibility forms apart (full-width letters, half-width kana,
  // ligatures), accents dropped, then put together again, so that a kana
  // and its voicing mark are one character as typed.
  std::u32string apart = CodePoints(Normalized(NormalizationKD, Utf16(text)));
  std::u32string kept;
  kept.reserve(apart.size());
  for (char32_t c : apart)
    if (!IsAccent(c)) kept.push_back(c);
  std::wstring wide = Normalized(NormalizationC, Utf16(kept));
  wide = Mapped(LCMAP_LOWERCASE, wide);
  wide = Mapped(LCMAP_KATAKANA, wide);
  std::u32string out;
  out.reserve(wide.size());
  for (char32_t c : CodePoints(wide)) {
    if (c == 0x00DF || c == 0x1E9E) {
      out += U"ss";
    } else if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E) {
      out.push_back(c + 0x60);  // a hiragana the system left as it was
    } else {
      out.push_back(c);
    }
  }
  return out;
}

SearchKey SearchKeyOf(const std::string& name) { return SearchKeyOf(WideText(name)); }

SearchKey SearchKeyOf(const std::wstring& wide) {
  const std::u32string points = CodePoints(wide);
  std::vector<CharKind> kinds(points.size(), CharKind::kOther);
  if (!IsAscii(points)) {
    std::vector<WORD> type1(wide.size());
    std::vector<WORD> type3(wide.size());
    const int size = static_cast<int>(wide.size());
    if (!GetStringTypeW(CT_CTYPE1, wide.c_str(), size, type1.data()) ||
        !GetStringTypeW(CT_CTYPE3, wide.c_str(), size, type3.data())) {
      type1.assign(wide.size(), 0);
      type3.assign(wide.size(), 0);
    }
    for (std::size_t unit = 0, point = 0; unit < wide.size() && point < points.size(); ++point) {
      const WORD t1 = type1[unit];
      if (t1 & (C1_SPACE | C1_PUNCT))
        kinds[point] = CharKind::kSeparator;
      else if (type3[unit] & C3_NONSPACING)
        kinds[point] = CharKind::kMark;
      else if (t1 & C1_UPPER)
        kinds[point] = CharKind::kUpper;
      else if (t1 & C1_LOWER)
        kinds[point] = CharKind::kLower;
      unit += points[point] >= 0x10000 ? 2 : 1;
    }
  } else {
    for (std::size_t i = 0; i < points.size(); ++i) {
      const char32_t c = points[i];
      if (c >= U'A' && c <= U'Z')
        kinds[i] = CharKind::kUpper;
      else if (c >= U'a' && c <= U'z')
        kinds[i] = CharKind::kLower;
      else if (!(c >= U'0' && c <= U'9'))
        kinds[i] = CharKind::kSeparator;
    }
  }
  return MakeSearchKey(
      points, kinds, [](const std::u32string& run, void*) { return FoldForSearch(run); }, nullptr);
}

}  // namespace qv
