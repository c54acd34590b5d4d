#include "LauncherDialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include "AboutDialog.h"
#include "Appearance.h"
#include "Dpi.h"
#include "FirstRun.h"
#include "HotZone.h"
#include "LauncherApp.h"
#include "LiveZones.h"
#include "Messages.h"
#include "QVLHook.h"
#include "SetupDialog.h"
#include "QuietWindows.h"
#include "ShellHelpers.h"
#include "TrayIcon.h"
#include "resource.h"

namespace qv {

namespace {

constexpr UINT kShowRequest = WM_USER + 1;
constexpr UINT kHideRequest = WM_USER + 2;
constexpr UINT kTrayCallback = WM_USER + 3;
constexpr UINT kIconsArrived = WM_USER + 4;
constexpr UINT kGroupsRead = WM_USER + 5;
constexpr UINT kStartIcons = WM_USER + 6;
constexpr UINT kWatchChanged = WM_USER + 7;
constexpr UINT kCompanionEnded = WM_USER + 8;
constexpr UINT_PTR kEdgeTimerId = 6;
constexpr int kHotKeyId = 1;
constexpr UINT kEdgeCheckMs = 5000;
constexpr UINT_PTR kIconTimerId = 5;
constexpr UINT kTrayIconId = 101;
constexpr COLORREF kListBackground = RGB(255, 255, 255);
constexpr UINT_PTR kTrayTimerId = 3;
constexpr UINT kTrayRetryMs = 2000;
// A slow shell at log-on gets a minute; a shell started later announces
// itself.
constexpr int kTrayTries = 30;
constexpr UINT_PTR kPauseTimerId = 7;
constexpr UINT_PTR kDelayTimerId = 8;

// The system clock as one number, for the pause: it goes on during sleep.
std::uint64_t ClockNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Sent by the uninstaller (and an installer that replaces the program): the
// launcher ends at once, without the exit question.
UINT QuitRequest() {
  static const UINT message = RegisterWindowMessageA("QuorvelQuit");
  return message;
}

// Broadcast by the shell when it starts again: every notification-area icon
// is gone by then.
UINT TaskbarCreated() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// The shell's own windows cover the screen too: the desktop, and on newer
// systems the window behind its icons that takes the foreground when the
// desktop is clicked.
bool IsDesktopWindow(HWND window) {
  if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  return lstrcmpA(name, "Progman") == 0 || lstrcmpA(name, "WorkerW") == 0;
}

// A window whose client area covers the whole of a monitor (`screen`): a
// game, a video or a slide show. The client area is compared, not the
// window: a maximised window keeps its caption on the screen even where the
// task bar hides itself. A maximised window is never one, whatever its
// frame: browsers, terminals and office programs draw their own title bar
// in a client area that, with no task bar on that monitor, covers it all.
bool CoversMonitor(HWND window, const RECT& screen) {
  if (window == nullptr || !IsWindowVisible(window) || IsIconic(window) || IsZoomed(window) ||
      IsDesktopWindow(window)) {
    return false;
  }
  RECT client{};
  if (!GetClientRect(window, &client)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client.left <= screen.left && client.top <= screen.top && client.right >= screen.right &&
         client.bottom >= screen.bottom;
}

// The popup would land on a full-screen program: the one in front, or the
// one under the pointer at the edge of `monitor`. A film on another monitor
// leaves this monitor's edge alone.
bool FullScreenProgramOn(HMONITOR monitor, POINT pointer) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return false;
  const HWND front = GetForegroundWindow();
  const HWND under = WindowFromPoint(pointer);
  if (CoversMonitor(front, info.rcMonitor) ||
      (under != nullptr && CoversMonitor(GetAncestor(under, GA_ROOT), info.rcMonitor))) {
    return true;
  }
  // Programs that tell the shell themselves, about the monitor in front; a
  // presentation silences every monitor.
  QUERY_USER_NOTIFICATION_STATE state{};
  if (FAILED(SHQueryUserNotificationState(&state))) return false;
  if (state == QUNS_PRESENTATION_MODE) return true;
  return (state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN) && front != nullptr &&
         MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST) == monitor;
}

}  // namespace

LauncherDialog::LauncherDialog(HWND owner) : DialogT(IDD_POPUP, owner) {
  appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
  LoadAppearance();
  icons.OnImagesChanged([this](HIMAGELIST images) { ShowImages(images); });
}

LauncherDialog::~LauncherDialog() = default;

RouteList<LauncherDialog> LauncherDialog::Routes() {
  static const Route<LauncherDialog> routes[] = {
      OnMessage(kShowRequest, &LauncherDialog::OnShowRequest),
      OnMessage(kHideRequest, &LauncherDialog::OnHideRequest),
      OnMessage(kCancelRequest, &LauncherDialog::OnCancelRequest),
      OnMessage(kTrayCallback, &LauncherDialog::OnTrayNotify),
      OnMessage(kIconsArrived, &LauncherDialog::OnIconsArrived),
      OnMessage(kGroupsRead, &LauncherDialog::OnGroupsRead),
      OnMessage(kStartIcons, &LauncherDialog::OnStartIcons),
      OnMessage(WM_MOUSEMOVE, &LauncherDialog::OnMouseMove),
      OnMessage(WM_LBUTTONUP, &LauncherDialog::OnLeftButtonUp),
      OnMessage(WM_CAPTURECHANGED, &LauncherDialog::OnCaptureChanged),
      OnMessage(WM_CANCELMODE, &LauncherDialog::OnCancelMode),
      OnMessage(WM_TIMER, &LauncherDialog::OnTimer),
      OnMessage(WM_ERASEBKGND, &LauncherDialog::OnEraseBackground),
      OnMessage(WM_PAINT, &LauncherDialog::OnPaint),
      OnMessage(WM_QUERYDRAGICON, &LauncherDialog::OnQueryDragIcon),
      OnMessage(WM_DESTROY, &LauncherDialog::OnDestroy),
      OnMessage(WM_ENDSESSION, &LauncherDialog::OnEndSession),
      OnMessage(WM_DISPLAYCHANGE, &LauncherDialog::OnDisplayChange),
      OnMessage(WM_SETTINGCHANGE, &LauncherDialog::OnSettingChange),
      OnMessage(kDpiChangedMessage, &LauncherDialog::OnDpiChanged),
      OnMessage(WM_WTSSESSION_CHANGE, &LauncherDialog::OnSessionChange),
      OnMessage(WM_POWERBROADCAST, &LauncherDialog::OnPowerBroadcast),
      OnMessage(kWatchChanged, &LauncherDialog::OnWatchChanged),
      OnMessage(kCompanionEnded, &LauncherDialog::OnCompanionEnded),
      OnMessage(WM_HOTKEY, &LauncherDialog::OnHotKey),
      OnMessage(WM_ACTIVATE, &LauncherDialog::OnActivate),
      OnCommand(IDM_TRAY_SETUP, &LauncherDialog::OnTraySetup),
      OnCommand(IDM_TRAY_EXIT, &LauncherDialog::OnTrayExit),
      OnCommand(IDM_TRAY_PAUSE_HOUR, &LauncherDialog::OnTrayPauseHour),
      OnCommand(IDM_TRAY_PAUSE, &LauncherDialog::OnTrayPause),
      OnCommand(IDM_TRAY_RESUME, &LauncherDialog::OnTrayResume),
      OnCommand(IDC_SETUP, &LauncherDialog::OnSetup),
      OnCommand(IDC_ABOUT, &LauncherDialog::OnAbout),
      OnCommand(IDC_REFRESH, &LauncherDialog::OnRefresh),
      OnNotify(IDC_SHORTCUT_LIST, NM_CLICK, &LauncherDialog::OnListClick),
      OnNotify(IDC_RESULT_LIST, LVN_GETDISPINFOW, &LauncherDialog::OnResultsDispInfo),
      OnNotify(IDC_RESULT_LIST, LVN_GETINFOTIPW, &LauncherDialog::OnResultsInfoTip),
  };
  return routes;
}

bool LauncherDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
  SetWindowTextA(hwnd(), kInstanceMarker);
  // The popup lays itself out at its monitor's scale, also where no dialog
  // manager rescales anything; the one of Windows 10 would put the template's
  // sizes back on a change of scale.
  KeepDialogLayout(hwnd());
  dialogFont = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
  createdDpi = WindowDpi(hwnd());
  RECT ok{};
  GetClientRect(Item(IDOK), &ok);
  createdUnit = SIZE{ok.right, ok.bottom};
  popupDpi = createdDpi;
  buttonUnit = createdUnit;
  // Without the app-window style the popup never gets a task-bar button.
  const LONG_PTR exStyle = GetWindowLongPtrA(hwnd(), GWL_EXSTYLE);
  SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  // The key works as soon as the loop runs, before thousands of shortcuts
  // are read.
  hotKey.Set(hwnd(), kHotKeyId, hotKeySetting);
  // Before the groups are read, so that the documentation group it may make
  // is offered from the first start on.
  RunFirstTimeSetup(hwnd(), GetProgramFolder());

  // Any of these failing ends the launcher before it holds the hook.
  if (!LoadGroups()) {
    EndModal(IDCANCEL);
    return true;
  }
  if (!MakePopupFont(ScreenDpi())) {
    EndModal(IDCANCEL);
    return true;
  }
  sideBanner.reset(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER)));
  if (!sideBanner || !shortcutList.Attach(Item(IDC_SHORTCUT_LIST), this)) {
    EndModal(IDCANCEL);
    return true;
  }
  SendMessageA(shortcutList.hwnd(), LVM_SETBKCOLOR, 0, kListBackground);
  // Without its list, typing finds nothing; the popup works as ever.
  if (find.Create(hwnd(), IDC_RESULT_LIST, &groupList, this))
    SendMessageW(find.hwnd(), LVM_SETBKCOLOR, 0, kListBackground);

  // The companion's hook first: the hook installed last is called first,
  // and where a program cannot load a hook's library, Wine goes no further
  // along the chain (Windows calls that hook out of context and goes on).
  // So the programs of the launcher's width always run its own hook.
  companion.Start(hwnd(), kCompanionEnded);
  if (!hookThread.Start()) {
    EndModal(IDCANCEL);
    return true;
  }
  QVLRegisterWindow(hwnd());
  // Sandboxed programs run the hook too; their requests must get through.
  ChangeWindowMessageFilterEx(hwnd(), kShowRequest, MSGFLT_ALLOW, nullptr);
  ChangeWindowMessageFilterEx(hwnd(), kHideRequest, MSGFLT_ALLOW, nullptr);
  ChangeWindowMessageFilterEx(hwnd(), kCancelRequest, MSGFLT_ALLOW, nullptr);
  // Where the hook never runs, the launcher reads the pointer itself: the
  // hook libraries of both widths beside the program mean that it does.
  {
    WCHAR library[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(GetModuleHandleW(L"QVLHOOK.DLL"), library, MAX_PATH);
    std::vector<std::wstring> libraries;
    if (length > 0 && length < MAX_PATH) {
      libraries.emplace_back(library, length);
      const std::wstring& own = libraries.front();
      libraries.push_back(own.substr(0, own.find_last_of(L'\\') + 1) + L"QVLHOOK32.DLL");
    }
    // No wait is on: a word left by a launcher before is cleared.
    waitFlags.SetLibraries(libraries);
    waitFlags.Set(false);
    watcher.Start(hwnd(), kShowRequest, kHideRequest, kCancelRequest, kWatchChanged, std::move(libraries));
  }
  watcher.SetCompanion(companion.processId());
  WTSRegisterSessionNotification(hwnd(), NOTIFY_FOR_THIS_SESSION);

  // Created visible, the dialog hides itself once its loop runs; the icons
  // follow after that, so that neither the hook nor the start-up that
  // others wait for (WaitForInputIdle) waits for the workers.
  PostClick(IDOK);
  PostMessageA(hwnd(), kStartIcons, 0, 0);
  AddIcon();
  return true;
}

void LauncherDialog::AddIcon() {
  trayTip = TrayTip();
  if (AddTrayIcon(hwnd(), kTrayIconId, appIcon, kTrayCallback, trayTip.c_str())) {
    KillTimer(hwnd(), kTrayTimerId);
    return;
  }
  if (trayTries++ < kTrayTries) SetTimer(hwnd(), kTrayTimerId, kTrayRetryMs, nullptr);
  else KillTimer(hwnd(), kTrayTimerId);
}

LauncherDialog::ModalScope::ModalScope(LauncherDialog& dialog) : dialog_(dialog), allowed_(dialog.allowPopup) {
  dialog_.allowPopup = false;
  dialog_.modalOpen = true;
}

LauncherDialog::ModalScope::~ModalScope() {
  dialog_.modalOpen = false;
  dialog_.allowPopup = allowed_ && !dialog_.leaving;
  dialog_.ApplyReadGroups();
}

void LauncherDialog::OnCancel() {
  if (!CanOpenModal()) return;
  ModalScope modal(*this);
  if (AskYesNo(hwnd(), "Exit Quorvel!", {"Are you sure you wish to exit Quorvel!?"})) {
    leaving = true;  // the popup stays barred until the program has ended
    EndModal(IDCANCEL);
  }
}

void LauncherDialog::Leave() {
  leaving = true;
  allowPopup = false;
  if (IsWindowVisible(hwnd())) HidePopup();
  // Every loop of the launcher, a dialog's, a box's or the shell's, ends on
  // the quit message and passes it on to the one below.
  if (modalOpen) PostQuitMessage(0);
  EndModal(IDCANCEL);
}

// The hook posts its requests from other processes; the window's state may
// have changed since, so each is checked afresh and stale ones do nothing.
// A pointer that left while the show request was on its way met a hidden
// popup, so the hook asked for nothing more: without a look at the pointer
// after showing, the popup would stay up until the mouse moved again. Over a
// full-screen program the edge of its monitor stays quiet; the hook asks
// again at the next move, so the popup comes once that program has gone.
bool LauncherDialog::OnShowRequest(Message& m) {
  // One reading of the pointer decides the monitor and every check on it.
  POINT at{};
  // Shown without the keyboard: a later request may come from the program
  // that had the input, which has let the launcher take the foreground.
  if (popupShown && IsWindowVisible(hwnd()) && GetForegroundWindow() != hwnd()) SetForegroundWindow(hwnd());
  // After a start from the popup, the pointer left resting at the edge
  // does not call it back over the program just started; a move does.
  if (quietSince && GetCursorPos(&at) && at.x == quietPoint.x && at.y == quietPoint.y) {
    m.result = 0;
    return true;
  }
  quietSince = false;
  HMONITOR monitor = nullptr;
  if (EdgeMayShow(at, monitor, false)) {
    switch (delay.Touch()) {
      case DelayStep::kShowNow:
        ShowAtEdge(monitor);
        break;
      case DelayStep::kStartWait:
        StartEdgeWait();
        break;
      default:
        break;  // a move along the strip: the wait goes on
    }
  }
  m.result = 0;
  return true;
}

bool LauncherDialog::EdgeMayShow(POINT& at, HMONITOR& monitor, bool inStrip) {
  if (IsWindowVisible(hwnd()) || !allowPopup || pause.Update(ClockNow()) || !GetCursorPos(&at)) return false;
  monitor = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
  MonitorArea area{};
  if (!ReadMonitorArea(monitor, area)) return false;
  const HotZones zones = ComputeMonitorHotZones(area);
  return Contains(inStrip ? zones.trigger : zones.stay, {at.x, at.y}) && !PointerOverCaptionButtons(at, area) &&
         !FullScreenProgramOn(monitor, at) && !QuietWindowOn(quietList, monitor, at);
}

void LauncherDialog::ShowAtEdge(HMONITOR monitor) {
  ShowPopup(monitor);
  if (!PointerInStayZone()) HidePopup();
}

void LauncherDialog::StartEdgeWait() {
  // A timer for the end of the wait; meanwhile nothing reads the pointer.
  SetTimer(hwnd(), kDelayTimerId, delay.length(), nullptr);
  waitFlags.Set(true);
  watcher.SetWaiting(true);
}

void LauncherDialog::EndEdgeWait() {
  KillTimer(hwnd(), kDelayTimerId);
  waitFlags.Set(false);
  watcher.SetWaiting(false);
}

bool LauncherDialog::OnCancelRequest(Message& m) {
  // Also with no wait on: the words are cleared, so that no hook asks again.
  delay.Cancel();
  EndEdgeWait();
  m.result = 0;
  return true;
}

void LauncherDialog::OnEdgeWaitOver() {
  const DelayStep step = delay.Elapsed();
  EndEdgeWait();
  // The pointer still rests in the strip: nothing has ended the wait.
  POINT at{};
  HMONITOR monitor = nullptr;
  if (step == DelayStep::kShowNow && EdgeMayShow(at, monitor, true)) ShowAtEdge(monitor);
}

bool LauncherDialog::OnHideRequest(Message& m) {
  // The pointer's place now decides: the request may come from a move
  // message that arrived after a later one.
  if (IsWindowVisible(hwnd()) && !keyOpened && !PointerInStayZone()) HidePopup();
  m.result = 0;
  return true;
}

bool LauncherDialog::OnHotKey(Message& m) {
  m.result = 0;
  if (static_cast<int>(m.wParam) != kHotKeyId) return true;
  if (popupShown && IsWindowVisible(hwnd())) {
    HidePopup();
    return true;
  }
  if (!allowPopup || modalOpen || leaving) return true;
  if (delay.Cancel() == DelayStep::kEndWait) EndEdgeWait();
  // Where the user works, which need not be where the pointer rests; the
  // key gives the launcher the right to take the foreground.
  const HWND front = GetForegroundWindow();
  POINT at{};
  const HMONITOR monitor = front != nullptr ? MonitorFromWindow(front, MONITOR_DEFAULTTOPRIMARY)
                           : GetCursorPos(&at)  ? MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY)
                                                : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  ShowPopup(monitor);
  keyOpened = true;
  return true;
}

bool LauncherDialog::OnActivate(Message& m) {
  if (LOWORD(m.wParam) == WA_INACTIVE && popupShown && keyOpened) HidePopup();
  return false;
}

bool LauncherDialog::OnTrayNotify(Message& m) {
  switch (static_cast<UINT>(m.lParam)) {
    case WM_RBUTTONUP:
      if (IsWindowVisible(hwnd()) || !allowPopup) {
        MessageBeep(0xFFFFFFFF);
      } else {
        ShowTrayMenu();
      }
      break;
    case WM_LBUTTONUP:
      if (!IsWindowVisible(hwnd()) && allowPopup) PostClick(IDC_SETUP);
      break;
    default:
      break;
  }
  m.result = 0;
  return true;
}

void LauncherDialog::ShowTrayMenu() {
  HMENU popup = nullptr;
  UniqueMenu menu = LoadTrayMenu(GetModuleHandleA(nullptr), popup, pause.Update(ClockNow()));
  if (!menu) return;
  POINT at{};
  GetCursorPos(&at);
  // Without the foreground the menu would not close when clicked away.
  SetForegroundWindow(hwnd());
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  SetForegroundWindow(hwnd());
}

// The menu's commands are clicks on the popup's own buttons, so each
// operation has one handler.
void LauncherDialog::OnTraySetup() { PostClick(IDC_SETUP); }

void LauncherDialog::OnTrayExit() { PostClick(IDCANCEL); }

void LauncherDialog::OnTrayPauseHour() {
  pause.For(ClockNow(), kClockHour);
  UpdatePause();
}

void LauncherDialog::OnTrayPause() {
  pause.UntilResumed();
  UpdatePause();
}

void LauncherDialog::OnTrayResume() {
  pause.Resume();
  UpdatePause();
}

void LauncherDialog::UpdatePause() {
  const std::uint64_t now = ClockNow();
  pause.Update(now);
  const std::uint64_t wait = pause.MillisecondsToNextMinute(now);
  if (wait == 0 || SetTimer(hwnd(), kPauseTimerId, static_cast<UINT>(wait), nullptr) == 0)
    KillTimer(hwnd(), kPauseTimerId);
  ShowEdgeStatus();
}

void LauncherDialog::OnSetup() {
  // A second click queued before the first one opened Setup.
  if (!CanOpenModal()) return;
  ModalScope modal(*this);
  // Setup hides a shown popup by disabling it; hidden first, the popup's
  // list also lets go of the shortcuts that Setup may delete, and so does
  // the index of what typing finds.
  if (IsWindowVisible(hwnd())) HidePopup();
  find.Forget();
  // A Refresh under way may have read the folder before Setup changes it:
  // it is read again afterwards.
  if (loader.busy() || readPending) {
    loader.Abandon();
    readPending = false;
    qv::ClearGroups(readGroups);
    refreshAfterSetup = true;
  }
  {
    SetupDialog setup(hwnd());
    openSetup = &setup;
    setup.Run(groupList, icons, backgroundColor, foregroundColor, logFont, hotKeySetting,
              hotKey.state() == GlobalHotKey::State::kTaken, quietList, edgeDelay);
    openSetup = nullptr;
  }
  ApplyAppearance();
  if (refreshAfterSetup && !leaving) {
    refreshAfterSetup = false;
    StartRefresh();
  }
}

void LauncherDialog::OnAbout() {
  if (!CanOpenModal()) return;
  ModalScope modal(*this);
  AboutDialog about(hwnd());
  about.RunModal();
}

// The numbers of registered messages are only known at run time, so they
// are looked at before the route table.
bool LauncherDialog::Dispatch(Message& m) {
  if (m.id >= 0xC000 && m.id == QuitRequest()) {
    Leave();
  } else if (m.id >= 0xC000 && m.id == TaskbarCreated()) {
    trayTries = 0;
    Rearm();
    AddIcon();
  } else if (m.id == WM_TIMER && m.wParam == kTrayTimerId) {
    AddIcon();
  } else if (m.id == WM_TIMER && m.wParam == kIconTimerId) {
    OnIconsArrived(m);
  } else if (m.id == WM_TIMER && m.wParam == kEdgeTimerId) {
    CheckEdge();
  } else if (m.id == WM_TIMER && m.wParam == kPauseTimerId) {
    UpdatePause();
  } else if (m.id == WM_TIMER && m.wParam == kDelayTimerId) {
    OnEdgeWaitOver();
  } else {
    return DialogT::Dispatch(m);
  }
  m.result = 0;
  return true;
}

bool LauncherDialog::OnDestroy(Message&) {
  TearDownLauncher();
  return false;  // default processing follows
}

bool LauncherDialog::OnEndSession(Message& m) {
  // wParam false: the log-off was cancelled and the launcher lives on.
  // Otherwise the process may be ended as soon as this returns, and a close
  // request of the system's (an update that replaces the program) waits for
  // it to end by itself.
  if (m.wParam) {
    Leave();
    TearDownLauncher();
  }
  return false;
}

bool LauncherDialog::OnDisplayChange(Message&) {
  // Only the zones follow the new screen; a shown popup keeps its place.
  Rearm();
  return true;
}

bool LauncherDialog::OnSettingChange(Message& m) {
  // A task bar moved, grew or hides itself on any monitor: a new work area,
  // no new mode.
  if (m.wParam == SPI_SETWORKAREA) Rearm();
  return false;
}

bool LauncherDialog::OnDpiChanged(Message& m) {
  Rearm();
  // Shown, the popup follows its monitor's new scale at once, in the place
  // its work area gives (not in the rectangle proposed: the popup hangs from
  // the edge). Hidden, or on its way to another monitor, it is laid out when
  // it shows.
  if (popupShown && IsWindowVisible(hwnd())) {
    LayOutPopup(DpiOfChange(m.wParam));
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  m.result = 0;
  return true;
}

bool LauncherDialog::OnSessionChange(Message& m) {
  if (m.wParam == WTS_SESSION_UNLOCK) Rearm();
  return false;
}

bool LauncherDialog::OnPowerBroadcast(Message& m) {
  if (m.wParam == PBT_APMRESUMEAUTOMATIC || m.wParam == PBT_APMRESUMESUSPEND) {
    Rearm();
    UpdatePause();  // it may have ended while the computer slept
  }
  return false;
}

void LauncherDialog::Rearm() {
  if (!hookThread.running()) return;
  QVLCalcArea();
  if (QVLRegisteredWindow() != hwnd()) QVLRegisterWindow(hwnd());
  companion.Sync();
  watcher.Rearm();
  ShowEdgeStatus();
}

void LauncherDialog::CheckEdge() {
  if (!hookThread.running() || leaving) return;
  if (!startupOver) return;
  // The program that held the key may have let go of it.
  if (hotKey.state() == GlobalHotKey::State::kTaken) hotKey.Retry();
  // A thread that has not answered within the last check is replaced; the
  // new one's hook names no window until it is registered.
  hookAnswering = hookThread.StillAnswering();
  if (!hookAnswering) {
    ShowEdgeStatus();
    if (!hookThread.Replace()) return;
    QVLRegisterWindow(hwnd());
    hookAnswering = true;
  }
  if (QVLRegisteredWindow() != hwnd()) QVLRegisterWindow(hwnd());
  ShowEdgeStatus();
}

std::string LauncherDialog::TrayTip() const {
  const std::string paused = PauseTip(pause, ClockNow());
  if (!paused.empty()) return paused;
  const EdgeStatus edge = CurrentEdge();
  // A dead edge first: it is the bigger loss.
  if (hotKey.state() != GlobalHotKey::State::kTaken || !edge.hookInstalled) return EdgeTip(edge);
  return "Quorvel! - " + HotKeyName(hotKey.key()) + " is used by another program";
}

EdgeStatus LauncherDialog::CurrentEdge() const {
  EdgeStatus status;
  status.hookInstalled = hookThread.running();
  status.hookAnswering = hookAnswering;
  status.watching = watcher.watching();
  status.companionNeeded = companion.state() != HookCompanion::State::kNotNeeded;
  status.companionRunning = companion.state() == HookCompanion::State::kRunning;
  return status;
}

void LauncherDialog::ShowEdgeStatus() {
  const std::string tip = TrayTip();
  if (tip == trayTip) return;
  if (SetTrayTip(hwnd(), kTrayIconId, tip.c_str())) trayTip = tip;
}

bool LauncherDialog::OnCompanionEnded(Message& m) {
  if (!leaving) companion.OnEnded();
  // Started again, its hook is in front now: the launcher's own goes in
  // front of it again.
  if (!leaving && companion.state() == HookCompanion::State::kRunning && hookThread.running()) {
    hookThread.Stop();
    if (hookThread.Start()) {
      if (startupOver) hookThread.Answer();
      QVLRegisterWindow(hwnd());
    }
  }
  watcher.SetCompanion(companion.processId());
  ShowEdgeStatus();
  m.result = 0;
  return true;
}

bool LauncherDialog::OnWatchChanged(Message& m) {
  ShowEdgeStatus();
  m.result = 0;
  return true;
}

void LauncherDialog::LoadAppearance() {
  const std::string key = AppearanceKeyPath();
  backgroundColor = ReadDwordValue(key, "BackgroundColor", kDefaultBackground);
  foregroundColor = ReadDwordValue(key, "ForegroundColor", kDefaultForeground);
  backgroundBrush.reset(CreateSolidBrush(backgroundColor));
  LoadFontRecord();
  // A value that is no usable combination leaves the default in force and
  // is kept as it is, until Setup writes one.
  HotKey read{};
  if (ReadHotKeyValue(ReadDwordValue(key, "HotKey", 0xFFFFFFFF), read)) hotKeySetting = read;
  // Likewise the edge's: the defaults stand for what cannot be used.
  ReadQuietList(key, "QuietOver", quietList);
  std::uint32_t ms = 0;
  if (ReadDelayValue(ReadDwordValue(key, "EdgeDelay", 0), ms)) edgeDelay = ms;
  delay.SetLength(edgeDelay);
}

void LauncherDialog::LoadFontRecord() { logFont = ReadFontRecord(AppearanceKeyPath()); }

void LauncherDialog::SaveFontRecord() { WriteFontRecord(AppearanceKeyPath(), logFont); }

bool LauncherDialog::MakePopupFont(int dpi) {
  // logFont is measured at the screen's resolution, as the font dialog
  // measures it; the popup's monitor may have another scale by now.
  LOGFONTW scaled = logFont;
  scaled.lfHeight = ScaleFontHeight(logFont.lfHeight, ScreenDpi(), dpi);
  popupFont.reset(CreateFontIndirectW(&scaled));
  popupFontDpi = dpi;
  return static_cast<bool>(popupFont);
}

void LauncherDialog::ApplyAppearance() {
  // The key first: once anything is stored, the key stored works.
  if (hotKeySetting != hotKey.key() || hotKey.state() == GlobalHotKey::State::kTaken)
    hotKey.Set(hwnd(), kHotKeyId, hotKeySetting);
  MakePopupFont(popupFontDpi > 0 ? popupFontDpi : ScreenDpi());
  backgroundBrush.reset(CreateSolidBrush(backgroundColor));
  const std::string key = AppearanceKeyPath();
  WriteDwordValue(key, "HotKey", HotKeyValue(hotKeySetting));
  WriteQuietList(key, "QuietOver", quietList);
  WriteDwordValue(key, "EdgeDelay", edgeDelay);
  delay.SetLength(edgeDelay);
  EndEdgeWait();
  WriteDwordValue(key, "BackgroundColor", backgroundColor);
  WriteDwordValue(key, "ForegroundColor", foregroundColor);
  SaveFontRecord();
  ShowEdgeStatus();
}

bool LauncherDialog::LoadGroups() { return qv::LoadGroups(groupList, GetProgramFolder(), hwnd()); }

void LauncherDialog::ClearGroups() {
  // Nothing may point into the records once they are gone: the list's items
  // and the hover state name them.
  shortcutList.Clear();
  hover.Reset();
  if (find.active()) EndFind();
  find.Forget();
  qv::ClearGroups(groupList);
}

void LauncherDialog::RequestIcons() {
  // The views are given the new list before the old one goes.
  icons.Reset();
  for (const auto& group : groupList) icons.RequestGroup(*group);
}

void LauncherDialog::ShowImages(HIMAGELIST images) {
  shortcutList.SetImageList(images);
  InvalidateRect(shortcutList.hwnd(), nullptr, TRUE);
  find.SetImageList(images);
  InvalidateRect(find.hwnd(), nullptr, TRUE);
  if (openSetup != nullptr) openSetup->ShowImages(images);
}

bool LauncherDialog::OnStartIcons(Message& m) {
  // The start-up is over: the window has shown and hidden itself.
  hookThread.Answer();
  startupOver = true;
  SetTimer(hwnd(), kEdgeTimerId, kEdgeCheckMs, nullptr);
  if (!leaving) {
    icons.Start(hwnd(), kIconsArrived, kIconTimerId);
    RequestIcons();
  }
  m.result = 0;
  return true;
}

bool LauncherDialog::OnIconsArrived(Message& m) {
  const ProgramGroup* shown = popupShown ? GroupAt(hover.displayed()) : nullptr;
  icons.Collect([this, shown](const ProgramGroup& group, const ShortcutItem& item) {
    if (&group == shown) shortcutList.UpdateIcon(item);
    if (openSetup != nullptr) openSetup->ShowIcon(group, item);
  });
  // The results ask for their icons as they paint.
  if (popupShown && find.active()) InvalidateRect(find.hwnd(), nullptr, FALSE);
  m.result = 0;
  return true;
}

void LauncherDialog::StartRefresh() {
  readPending = false;
  qv::ClearGroups(readGroups);
  if (loader.Start(GetProgramFolder(), hwnd(), kGroupsRead)) return;
  // No thread: read here, as before.
  ClearGroups();
  LoadGroups();  // a memory failure has been reported; what loaded stays
  RequestIcons();
}

bool LauncherDialog::OnGroupsRead(Message& m) {
  m.result = 0;
  if (!loader.Take(readGroups, readFailedFolder)) return true;  // an abandoned read
  readPending = true;
  ApplyReadGroups();
  return true;
}

void LauncherDialog::ApplyReadGroups() {
  // An open dialog or box points into the groups: they change once it has
  // closed.
  if (!readPending || leaving || modalOpen) return;
  readPending = false;
  const bool shown = popupShown;
  ClearGroups();
  groupList = std::move(readGroups);
  readGroups.clear();
  RequestIcons();
  if (shown) {
    // Shown again since the Refresh: laid out afresh where it is, with the
    // row under the resting pointer framed as if it had just come there.
    ShowPopup(popupMonitor);
    InvalidateRect(hwnd(), nullptr, TRUE);
    POINT at{};
    if (GetCursorPos(&at) && ScreenToClient(hwnd(), &at)) PointerOver(at);
  }
  if (!readFailedFolder.empty()) {
    ModalScope modal(*this);
    ReportLoadFailure(hwnd(), readFailedFolder);
  }
}

void LauncherDialog::TearDownLauncher() {
  KillTimer(hwnd(), kTrayTimerId);
  KillTimer(hwnd(), kEdgeTimerId);
  KillTimer(hwnd(), kPauseTimerId);
  EndEdgeWait();
  RemoveTrayIcon(hwnd(), kTrayIconId);
  WTSUnRegisterSessionNotification(hwnd());
  // The launcher's own eye first: it posts to this window.
  watcher.Stop();
  companion.Stop();
  // The hook goes first, so that other programs can let go of its library
  // while the workers end.
  if (hookThread.running()) {
    hookThread.Stop();
    QVLRegisterWindow(nullptr);
  }
  // Nothing read or fetched from now on is wanted.
  loader.Stop();
  icons.Stop();
  readPending = false;
  qv::ClearGroups(readGroups);
  SetHoverTimer(false);
  // An open dialog still shows the groups; they go once it has closed.
  if (!modalOpen) ClearGroups();
}

}  // namespace qv
