#include "LauncherDialog.h"

#include "Appearance.h"
#include "LauncherApp.h"
#include "Messages.h"
#include "QVLHook.h"
#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

LauncherDialog::LauncherDialog() : DialogT(IDD_POPUP, nullptr) {
  appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
  LoadAppearance();
}

LauncherDialog::~LauncherDialog() = default;

RouteList<LauncherDialog> LauncherDialog::Routes() {
  static const Route<LauncherDialog> routes[] = {
      OnMessage(WM_DESTROY, &LauncherDialog::OnDestroy),
      OnMessage(WM_ENDSESSION, &LauncherDialog::OnEndSession),
      OnMessage(WM_DISPLAYCHANGE, &LauncherDialog::OnDisplayChange),
  };
  return routes;
}

bool LauncherDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
  SetWindowTextA(hwnd(), kInstanceMarker);
  // Without the app-window style the popup never gets a task-bar button.
  const LONG_PTR exStyle = GetWindowLongPtrA(hwnd(), GWL_EXSTYLE);
  SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));

  if (!LoadGroups()) {
    EndModal(IDCANCEL);
    return true;
  }
  popupFont.reset(CreateFontIndirectA(&logFont));
  if (!popupFont) {
    EndModal(IDCANCEL);
    return true;
  }

  if (!QVLInstallHook()) {
    EndModal(IDCANCEL);
    return true;
  }
  ownsHook = true;
  QVLRegisterWindow(hwnd());

  // Created visible, the dialog hides itself once its loop runs.
  PostClick(IDOK);
  return true;
}

void LauncherDialog::OnOK() { HidePopup(); }

void LauncherDialog::OnCancel() {
  allowPopup = false;
  if (AskYesNo(hwnd(), "Exit Quorvel!", {"Are you sure you wish to exit Quorvel!?"})) {
    EndModal(IDCANCEL);  // the popup stays barred until the program has ended
    return;
  }
  allowPopup = true;
}

bool LauncherDialog::OnDestroy(Message&) {
  TearDownLauncher();
  return false;  // default processing follows
}

bool LauncherDialog::OnEndSession(Message& m) {
  // wParam false: the log-off was cancelled and the launcher lives on.
  if (m.wParam) TearDownLauncher();
  return false;
}

bool LauncherDialog::OnDisplayChange(Message&) {
  // Only the zones follow the new screen; a shown popup keeps its place.
  QVLCalcArea();
  return true;
}

void LauncherDialog::LoadAppearance() {
  const std::string key = AppearanceKeyPath();
  backgroundColor = ReadColorValue(key, "BackgroundColor", kDefaultBackground);
  foregroundColor = ReadColorValue(key, "ForegroundColor", kDefaultForeground);
  backgroundBrush.reset(CreateSolidBrush(backgroundColor));
  LoadFontRecord();
}

void LauncherDialog::LoadFontRecord() { logFont = ReadFontRecord(AppearanceKeyPath()); }

void LauncherDialog::SaveFontRecord() { WriteFontRecord(AppearanceKeyPath(), logFont); }

void LauncherDialog::ApplyAppearance() {
  popupFont.reset(CreateFontIndirectA(&logFont));
  backgroundBrush.reset(CreateSolidBrush(backgroundColor));
  allowPopup = true;
  const std::string key = AppearanceKeyPath();
  WriteColorValue(key, "BackgroundColor", backgroundColor);
  WriteColorValue(key, "ForegroundColor", foregroundColor);
  SaveFontRecord();
}

bool LauncherDialog::LoadGroups() { return qv::LoadGroups(groupList, GetProgramFolder(), hwnd()); }

void LauncherDialog::ClearGroups() { qv::ClearGroups(groupList); }

void LauncherDialog::HidePopup() {
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  ShowWindow(hwnd(), SW_HIDE);
}

void LauncherDialog::TearDownLauncher() {
  if (ownsHook) {
    QVLUninstallHook();
    QVLRegisterWindow(nullptr);
    ownsHook = false;
  }
  ClearGroups();
}

}  // namespace qv
