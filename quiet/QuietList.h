// The programs and windows over which the edge stays quiet: remote desktops
// and virtual machines, whose pointer belongs to another computer, games
// that full-screen detection misses, programs with tabs at the top edge.
// An entry that ends in ".exe" names a program by its file name; any other
// names a window class. Free of any platform header: the caller brings the
// comparison, which is the system's case-insensitive one in the launcher.
//
// Kept in the registry as a list of strings (REG_MULTI_SZ). What is read
// there is checked here: a value this cannot use leaves the defaults in
// force.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qv {

using QuietList = std::vector<std::wstring>;

// More would be no list a person keeps; longer no name of a program or class
// (a file name and a class name have at most 255 and 256 characters).
constexpr std::size_t kMostQuietEntries = 256;
constexpr std::size_t kLongestQuietEntry = 256;

// Until the user changes it: the usual remote-desktop and virtual-machine
// clients.
inline QuietList DefaultQuietList() {
  return {L"mstsc.exe",  L"msrdc.exe",   L"TscShellContainerClass", L"vmconnect.exe", L"VirtualBoxVM.exe",
          L"vmware.exe", L"vmplayer.exe"};
}

inline bool EndsWithExe(const std::wstring& name) {
  if (name.size() < 5) return false;
  static const wchar_t kExe[] = L".exe";
  for (std::size_t i = 0; i < 4; ++i) {
    wchar_t c = name[name.size() - 4 + i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != kExe[i]) return false;
  }
  return true;
}

// An entry as typed: spaces around it go; empty, overlong, or holding a
// control character or a path's separator, it is no name.
inline bool CleanQuietEntry(std::wstring& entry) {
  const std::size_t first = entry.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return false;
  entry = entry.substr(first, entry.find_last_not_of(L" \t") - first + 1);
  if (entry.size() > kLongestQuietEntry) return false;
  for (wchar_t c : entry)
    if (c < L' ' || c == 0x7F || c == L'\\' || c == L'/') return false;
  return true;
}

// Adds an entry unless it is no name or already there; true when added.
template <class Equal>
bool AddQuietEntry(QuietList& list, std::wstring entry, Equal equal) {
  if (!CleanQuietEntry(entry) || list.size() >= kMostQuietEntries) return false;
  for (const std::wstring& held : list)
    if (equal(held, entry)) return false;
  list.push_back(std::move(entry));
  return true;
}

// The stored strings, each ended by a terminator and the list by one more;
// `units` may stop short of the last terminators, as the registry allows.
// False when the value is no usable list (too long, or a name in it that
// is none): the caller keeps the defaults and leaves the value alone.
template <class Equal>
bool ParseQuietList(const wchar_t* data, std::size_t units, QuietList& out, Equal equal) {
  out.clear();
  std::size_t at = 0;
  while (at < units && data[at] != L'\0') {
    std::size_t end = at;
    while (end < units && data[end] != L'\0') ++end;
    std::wstring entry(data + at, end - at);
    if (!CleanQuietEntry(entry) || out.size() >= kMostQuietEntries) {
      out.clear();
      return false;
    }
    AddQuietEntry(out, std::move(entry), equal);  // a repeated name counts once
    at = end + 1;
  }
  return true;
}

// As stored: every entry ended by a terminator, then one more.
inline std::wstring QuietListValue(const QuietList& list) {
  std::wstring value;
  for (const std::wstring& entry : list) {
    value += entry;
    value += L'\0';
  }
  value += L'\0';
  return value;
}

// The edge stays quiet over a window of program `program` (its file name)
// or of class `windowClass`.
template <class Equal>
bool QuietOver(const QuietList& list, const std::wstring& program, const std::wstring& windowClass, Equal equal) {
  for (const std::wstring& entry : list) {
    const std::wstring& name = EndsWithExe(entry) ? program : windowClass;
    if (!name.empty() && equal(entry, name)) return true;
  }
  return false;
}

}  // namespace qv
