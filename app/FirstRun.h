// The first start after an installation: the launcher finishes installing
// itself, once, when the installer has left its marker in the program folder.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

// The marker's name in the program folder; the launcher only ever deletes it.
constexpr char kInstallMarker[] = "QUORVEL.DAT";

// The file-system path of a shell folder (CSIDL_STARTUP, CSIDL_DESKTOP...);
// false when the folder has none.
bool GetSpecialFolderPath(HWND owner, int folder, std::string& path);

// With the marker present: deletes it, makes the documentation group with
// the manual's shortcut, puts the launcher's shortcut into the Startup folder
// and onto the desktop, and tells the user how to call the launcher. Without
// it, does nothing. `programFolder` ends in a backslash.
void RunFirstTimeSetup(HWND owner, const std::string& programFolder);

}  // namespace qv
