#include "ShellHelpers.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "Handles.h"
#include "NameOrder.h"

namespace qv {

const CodePage& SystemCodePage() {
  static const CodePage code = [] {
    // The program asks for UTF-8; a Windows before 10 version 1903 keeps the
    // system's own code page.
    if (GetACP() == CP_UTF8) return CodePage::Utf8();
    LeadBytes lead;
    CPINFO info = {};
    if (GetCPInfo(CP_ACP, &info)) {
      // Pairs of inclusive ranges, ended by a zero pair.
      for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1] && b < 256; ++b) lead.set(b);
    }
    return CodePage(lead);
  }();
  return code;
}

std::string GetModulePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    // A full buffer may be a cut path: try again with more room.
    if (length < buffer.size() - 1) return std::string(buffer.data(), length);
    if (buffer.size() >= 32768) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::string GetProgramFolder() { return ProgramFolderOf(GetModulePath(), SystemCodePage()); }

bool NarrowPath(const std::wstring& path, std::string& narrow) {
  narrow.clear();
  if (path.empty() || path.size() > 32767) return false;
  // A UTF-8 code page has every character, and takes neither the flag nor
  // the question.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lost = FALSE;
  BOOL* const lostAnswer = utf8 ? nullptr : &lost;
  const int wideLength = static_cast<int>(path.size());
  const int length = WideCharToMultiByte(CP_ACP, flags, path.data(), wideLength, nullptr, 0, nullptr, lostAnswer);
  if (length <= 0) return false;
  narrow.resize(static_cast<std::size_t>(length));
  if (WideCharToMultiByte(CP_ACP, flags, path.data(), wideLength, narrow.data(), length, nullptr, lostAnswer) !=
      length) {
    narrow.clear();
    return false;
  }
  // '?' and '*' lie below every trail byte: a plain search finds only
  // characters of their own.
  return !lost && narrow.find_first_of("?*") == std::string::npos;
}

std::string GetExtension(const std::string& path) { return GetExtension(path, SystemCodePage()); }
std::string GetFileNameOnly(const std::string& path) { return GetFileNameOnly(path, SystemCodePage()); }
std::string GetBaseTitle(const std::string& path) { return GetBaseTitle(path, SystemCodePage()); }

bool NamesOneEntry(const std::string& name) {
  if (!name.empty() && IsSingleFolderName(name, SystemCodePage())) return true;
  SetLastError(ERROR_INVALID_NAME);
  return false;
}

HRESULT CreateShellLink(const std::string& linkPath, const ShellLinkSpec& contents) {
  ComPtr<IShellLinkA> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
  if (FAILED(result)) return result;
  // A link without its target must not be saved as if it were whole.
  result = link->SetPath(contents.target.c_str());
  if (FAILED(result)) return result;
  link->SetDescription(contents.description.c_str());
  link->SetHotkey(contents.hotKey);
  link->SetIconLocation(contents.iconFile.c_str(), contents.iconIndex);

  ComPtr<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.put_void());
  if (FAILED(result)) return result;

  const std::wstring widePath = WideText(linkPath);
  if (widePath.empty()) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
  return file->Save(widePath.c_str(), TRUE);
}

namespace {

// The name a file or folder has on disk, letter case included.
std::string StoredName(const std::string& path) {
  WIN32_FIND_DATAW found{};
  const std::wstring wide = WideText(path);
  if (wide.empty()) return std::string();
  UniqueFind search(FindFirstFileW(wide.c_str(), &found));
  return search ? CodePageText(found.cFileName) : std::string();
}

}  // namespace

bool RenamePath(const std::string& from, const std::string& to) {
  if (!MoveFileA(from.c_str(), to.c_str())) return false;
  if (from == to || !SameName(from, to)) return true;
  const std::string wanted = GetFileNameOnly(to);
  if (StoredName(to) == wanted) return true;
  // Only the letter case changed, and the file system kept the old one:
  // a detour through a passing name makes the new case stick.
  const std::string passing = to + ".~rename";
  if (!MoveFileA(to.c_str(), passing.c_str())) return false;
  if (MoveFileA(passing.c_str(), to.c_str())) return true;
  const DWORD error = GetLastError();
  MoveFileA(passing.c_str(), from.c_str());
  SetLastError(error);
  return false;
}

bool FolderExists(const std::string& path) {
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && DriveExists(path[0]))
    return true;
  // A pattern would answer for whatever it happens to match first.
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
  WIN32_FIND_DATAA found;
  const UniqueFind search(FindFirstFileA(path.c_str(), &found));
  return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DriveExists(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'C' || letter > 'Z') return false;
  const DWORD drives = GetLogicalDrives();
  return (drives >> (letter - 'A')) & 1;
}

}  // namespace qv
