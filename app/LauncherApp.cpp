#include "LauncherApp.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstring>

#include "LauncherDialog.h"
#include "Messages.h"
#include "ShellHelpers.h"

namespace qv {

namespace {

std::string settingsKeyPath;

BOOL CALLBACK MatchInstanceMarker(HWND window, LPARAM found) {
  char title[sizeof kInstanceMarker + 1] = {};
  // One byte more than the marker, so that a longer title cannot match.
  const int length = GetWindowTextA(window, title, static_cast<int>(sizeof title));
  if (length == static_cast<int>(sizeof kInstanceMarker - 1) && std::strcmp(title, kInstanceMarker) == 0) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool FindRunningInstance() {
  bool found = false;
  EnumWindows(&MatchInstanceMarker, reinterpret_cast<LPARAM>(&found));
  return found;
}

const std::string& SettingsKeyPath() { return settingsKeyPath; }

std::string SettingsKeyPathFor(const std::string& modulePath) {
  // The name without folder and extension, so a renamed copy keeps settings
  // of its own.
  return "Software\\Tessmark\\" + GetBaseTitle(modulePath);
}

int LauncherApp::Run() {
  InitInstance();
  return ExitInstance();
}

bool LauncherApp::InitInstance() {
  // The list control of the popup and the visual style of every control.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  settingsKeyPath = SettingsKeyPathFor(GetModulePath());

  if (FindRunningInstance()) {
    ShowInfoMessage(nullptr, "Quorvel!", {"Quorvel! is already running!"});
    return false;
  }

  if (FAILED(CoInitialize(nullptr))) return false;
  comInitialized = true;

  // The popup's owner, never shown. An owned window gets no task-bar button,
  // also on Wine's task bar, which goes by the owner and ignores the
  // tool-window style. At the bottom: the popup always stays above its
  // owner, and must still be able to leave the topmost band when it hides.
  UniqueWindow owner(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr));
  SetWindowPos(owner.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  LauncherDialog dialog(owner.get());
  dialog.RunModal();
  return false;
}

int LauncherApp::ExitInstance() {
  // Only a successful CoInitialize is paired with CoUninitialize.
  if (comInitialized) CoUninitialize();
  comInitialized = false;
  return 0;
}

}  // namespace qv
