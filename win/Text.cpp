#include "Text.h"

namespace qv {

std::wstring WideText(std::string_view text) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length) != length) return std::wstring();
  return wide;
}

namespace {

std::string Narrowed(std::wstring_view text, UINT codePage) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), length, nullptr, nullptr) != length)
    return std::string();
  return narrow;
}

}  // namespace

std::string CodePageText(std::wstring_view text) { return Narrowed(text, CP_ACP); }
std::string Utf8Text(std::wstring_view text) { return Narrowed(text, CP_UTF8); }

}  // namespace qv
