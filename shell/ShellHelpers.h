// Where the program keeps its data, names taken from paths in the system's
// code page, shell links, and folder and drive checks.
#pragma once

#include <windows.h>

#include <string>

#include "PathText.h"
#include "Text.h"

namespace qv {

// What a written shell link holds; nothing else is set in it.
struct ShellLinkSpec {
  std::string target;
  std::string description;
  WORD hotKey = 0;  // virtual key in the low byte, modifiers in the high one
  std::string iconFile;
  WORD iconIndex = 0;
};

// The ANSI code page of this program, read once.
const CodePage& SystemCodePage();

// The running executable's full path, however long it is.
std::string GetModulePath();
// The root of the groups: the executable's folder, or its parent for a build
// output; its single-byte letters in upper case, ending in a backslash.
std::string GetProgramFolder();

// `path` in the ANSI code page, written to `narrow`; false when no narrow
// path names it: a character the code page lacks (the narrow API puts a '?'
// or a look-alike in its place) or a wild card, which no real name holds.
// `narrow` gets the narrow form either way, for a message.
bool NarrowPath(const std::wstring& path, std::string& narrow);

std::string GetExtension(const std::string& path);
std::string GetFileNameOnly(const std::string& path);
std::string GetBaseTitle(const std::string& path);

// Writes the link to `linkPath` (extension included), replacing a file of
// that name. COM must be initialised on the calling thread.
HRESULT CreateShellLink(const std::string& linkPath, const ShellLinkSpec& contents);

// Moves a file or folder to a new name, as MoveFileA does, and makes a change
// of letter case alone stick where the file system would keep the old case.
// False with the system's error set.
bool RenamePath(const std::string& from, const std::string& to);

// Runs a file operation again for a moment while another reader has the
// file open: the shell reading a shortcut for its icon, a virus scanner.
// Other failures return at once; the system's error is kept.
template <class Operation>
bool RetriedWhileInUse(Operation operation) {
  constexpr int kTries = 20;
  constexpr DWORD kPauseMs = 25;
  for (int tries = 1;; ++tries) {
    if (operation()) return true;
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || tries == kTries) {
      SetLastError(error);
      return false;
    }
    Sleep(kPauseMs);
  }
}

// True when `name` can name one file or folder directly in its parent
// folder. A name with a path separator would land elsewhere and an empty one
// names nothing: false then, with the system's error for a bad name set.
bool NamesOneEntry(const std::string& name);

// True when `path` names an existing folder; a drive root written as "C:\"
// is answered from the drive list alone.
bool FolderExists(const std::string& path);
// True when drive C to Z is present; A and B never count.
bool DriveExists(char letter);

}  // namespace qv
