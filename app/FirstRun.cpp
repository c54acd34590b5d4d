#include "FirstRun.h"

#include <shlobj.h>

#include "Handles.h"
#include "Messages.h"
#include "ShellHelpers.h"

namespace qv {

namespace {

constexpr char kDocumentationFolder[] = "Quorvel! Documentation";
constexpr char kManual[] = "MANUAL.TXT";
constexpr char kManualShortcut[] = "Quorvel! Manual.LNK";
constexpr char kLauncher[] = "QUORVEL.EXE";
constexpr char kLauncherShortcut[] = "Quorvel!.LNK";

// Takes the marker away so that the installation is never run twice. Only a
// file is a marker: a folder of that name is somebody's group. A marker that
// stays (read-only, or a folder that cannot be written) would repeat the
// installation at every start, recreating a Startup shortcut the user may
// have removed on purpose, so it counts as no marker at all.
bool TakeMarker(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (DeleteFileA(path.c_str())) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (DeleteFileA(path.c_str())) return true;
  }
  return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// The launcher's shortcut in a shell folder; a folder that cannot be found
// only loses its shortcut.
void PutLauncherShortcut(HWND owner, int folder, const std::string& launcher) {
  std::string path;
  if (!GetSpecialFolderPath(owner, folder, path)) return;
  if (path.empty() || path.back() != '\\') path += '\\';
  ShellLinkSpec link;
  link.target = launcher;
  link.description = "Quorvel!";
  link.iconFile = launcher;
  CreateShellLink(path + kLauncherShortcut, link);
}

}  // namespace

bool GetSpecialFolderPath(HWND owner, int folder, std::string& path) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, folder, &items))) return false;
  // Wide: a narrow answer holds MAX_PATH bytes, which a user's folder with
  // a long name in UTF-8 outgrows.
  wchar_t buffer[MAX_PATH] = {};
  const bool found = SHGetPathFromIDListW(items, buffer) != FALSE;
  ComPtr<IMalloc> shellMemory;
  if (SUCCEEDED(SHGetMalloc(shellMemory.put()))) {
    shellMemory->Free(items);
  } else {
    CoTaskMemFree(items);  // the same allocator, reached without the shell
  }
  if (!found) return false;
  // A name the code page cannot hold names no folder here.
  return NarrowPath(buffer, path);
}

void RunFirstTimeSetup(HWND owner, const std::string& programFolder) {
  if (!TakeMarker(programFolder + kInstallMarker)) return;

  // The documentation group is one of the groups, loaded right after this.
  const std::string documentation = programFolder + kDocumentationFolder;
  if (!FolderExists(documentation) && !CreateDirectoryA(documentation.c_str(), nullptr)) return;

  // Failures below are not reported: the launcher runs without the
  // shortcuts, and the user can make them by hand.
  const std::string manual = programFolder + kManual;
  ShellLinkSpec manualLink;
  manualLink.target = manual;
  manualLink.description = "Quorvel! Manual";
  manualLink.iconFile = manual;
  CreateShellLink(documentation + "\\" + kManualShortcut, manualLink);

  const std::string launcher = programFolder + kLauncher;
  PutLauncherShortcut(owner, CSIDL_STARTUP, launcher);
  PutLauncherShortcut(owner, CSIDL_DESKTOP, launcher);

  ShowInfoMessage(owner, "Setup Complete!",
                  {"Thank you for trying Quorvel!", "", "Quorvel! has added itself to your Windows",
                   "Startup folder so that it will run automatically", "whenever Windows starts.", "",
                   "Also, a shortcut to Quorvel! has been placed", "on your desktop.", "",
                   "To access Quorvel!, move the mouse pointer", "to the very top/middle of your screen.", "",
                   "Now you're ready to Quorvel!"});
}

}  // namespace qv
