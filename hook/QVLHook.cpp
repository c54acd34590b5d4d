// The hook library is mapped into every process that retrieves mouse
// messages while the hook is installed. It is linked without the C runtime:
// nothing here allocates, locks or waits, and a fault here would take other
// people's programs down with it.
#define QVLHOOK_BUILDING
#include "QVLHook.h"

#include "HotZone.h"
#include "LiveZones.h"

static_assert(sizeof(RECT) == sizeof(qv::ZoneRect), "RECT and ZoneRect must match");

// One copy of these per desktop: the section is marked shared, and the build
// keeps the definitions in this order (-fno-toplevel-reorder).
#define QVL_SHARED __attribute__((section(".QVLHook"), shared))
HHOOK m_hHook QVL_SHARED = nullptr;
HWND m_hWnd QVL_SHARED = nullptr;
HINSTANCE m_hModule QVL_SHARED = nullptr;
RECT m_rect1 QVL_SHARED = {0, 0, 0, 0};
RECT m_rect2 QVL_SHARED = {0, 0, 0, 0};
// The process that installed the recorded hook: a start after a crash tells
// a dead launcher's record from a live one by it, and the hook lets that
// process take the foreground when it asks for the popup.
static LONG m_dwOwner QVL_SHARED = 0;
// The owner's thread that installed the hook. For programs of the other
// width the system runs the hook there, on behalf of the thread that has
// the input.
static DWORD m_dwOwnerThread QVL_SHARED = 0;
// Set by a button pressed, held or released in the strip; cleared once the
// pointer is outside it. Written only when it changes.
static LONG m_stripQuiet QVL_SHARED = 0;
// The scale of every monitor when the zones were made; 0 where they differ
// or one is not known.
static LONG m_desktopDpi QVL_SHARED = 0;
// Every monitor's strip where it is a real edge, the primary's among them,
// with the stay zones. Rewritten only by QVLCalcArea; the count is cleared
// first and set last, so a hook that reads in between finds fewer pieces,
// never a half-written one of them counted.
static qv::DesktopZones m_zones QVL_SHARED = {};
// One more than the piece whose edge called the popup last, 0 for none (the
// section starts zeroed); the popup hides once the pointer leaves that
// piece's stay zone.
static LONG m_shownPiece QVL_SHARED = 0;

// Per process: the system's DPI calls, where it has them (Windows 10 1607
// and later; the cursor's physical position from Vista on).
using ThreadContextFn = HANDLE(WINAPI*)();
using AwarenessFn = int(WINAPI*)(HANDLE);
using ContextDpiFn = UINT(WINAPI*)(HANDLE);
using CursorFn = BOOL(WINAPI*)(POINT*);
static ThreadContextFn threadDpiContext = nullptr;
static AwarenessFn awarenessOf = nullptr;
static ContextDpiFn dpiOf = nullptr;
static CursorFn physicalCursorPos = nullptr;

namespace {

RECT ToRect(const qv::ZoneRect& z) { return {z.left, z.top, z.right, z.bottom}; }

// Answers the decision's questions with the platform, only when asked.
struct LiveProbe {
  HWND target;
  POINT messagePoint;
  bool Registered() const { return target != nullptr; }
  // The buttons as the thread with the message sees them. On the owner's
  // thread, which gets no input of its own, only the buttons as the user
  // holds them say anything about a drag. (Asked elsewhere, Wine's answer
  // would first handle the thread's pending display events, in the middle
  // of its mouse message.)
  bool AnyButtonDown() const {
    SHORT (WINAPI *state)(int) = GetCurrentThreadId() == m_dwOwnerThread ? GetAsyncKeyState : GetKeyState;
    return (state(VK_LBUTTON) & 0x8000) || (state(VK_RBUTTON) & 0x8000) || (state(VK_MBUTTON) & 0x8000);
  }
  // The zones are physical pixels. The message's point is taken as it is
  // where the thread sees physical points (most programs of today, the
  // task bar, the launcher's own threads); elsewhere the system may have
  // scaled it, and the cursor's physical position stands in for it.
  qv::ZonePoint Point() const {
    int awareness = -1;
    UINT dpi = 0;
    if (threadDpiContext != nullptr && awarenessOf != nullptr) {
      const HANDLE context = threadDpiContext();
      awareness = awarenessOf(context);
      if (dpiOf != nullptr) dpi = dpiOf(context);
      else if (awareness == 0) dpi = 96;  // what an unaware thread sees, by definition
    }
    POINT pt = messagePoint;
    if (!qv::MessagePointIsPhysical(awareness, dpi, static_cast<uint32_t>(m_desktopDpi)) && physicalCursorPos) {
      POINT physical{};
      if (physicalCursorPos(&physical)) pt = physical;
    }
    return qv::ZonePoint{pt.x, pt.y};
  }
  bool WindowVisible() const { return IsWindowVisible(target) != FALSE; }
};

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && lParam != 0) {
    LiveProbe probe{m_hWnd, reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt};
    const bool quietBefore = m_stripQuiet != 0;
    bool quiet = quietBefore;
    const int32_t shownBefore = m_shownPiece - 1;
    int32_t shown = shownBefore;
    const qv::HookRequest request =
        qv::DecideHookRequest(probe, m_zones, shown, qv::IsButtonMessage(static_cast<uint32_t>(wParam)), quiet);
    if (quiet != quietBefore) m_stripQuiet = quiet ? 1 : 0;
    if (shown != shownBefore) m_shownPiece = shown + 1;
    switch (request) {
      case qv::HookRequest::kShow:
        // This process has the user's input, so it may hand the foreground
        // on: the popup then takes the keyboard as a menu does.
        AllowSetForegroundWindow(static_cast<DWORD>(m_dwOwner));
        PostMessageA(probe.target, kShowRequest, 0, 0);
        break;
      case qv::HookRequest::kHide:
        PostMessageA(probe.target, kHideRequest, 0, 0);
        break;
      case qv::HookRequest::kNone:
        break;
    }
  }
  return CallNextHookEx(m_hHook, code, wParam, lParam);
}

}  // namespace

void QVLCalcArea(void) {
  qv::LiveDesktop desktop;
  if (!qv::ReadLiveDesktop(desktop) || desktop.primary < 0) {
    const UINT dpi = qv::PrimaryMonitorDpi();
    desktop.monitor[0] = qv::PrimaryAreaFromSettings(dpi);
    desktop.count = 1;
    desktop.primary = 0;
    desktop.commonDpi = dpi;
  }
  qv::DesktopZones zones;
  qv::ComputeDesktopZones(desktop.monitor, desktop.count, zones);

  // The primary's stay zone, and the widest stretch of its strip (an empty
  // one at the strip's start when a monitor above covers all of it).
  const qv::HotZones primary = qv::ComputeMonitorHotZones(desktop.monitor[desktop.primary]);
  qv::ZoneRect strip{primary.trigger.left, primary.trigger.top, primary.trigger.left, primary.trigger.bottom};
  for (int32_t i = 0; i < zones.count; ++i) {
    const qv::ZoneRect& piece = zones.piece[i].zones.trigger;
    if (zones.piece[i].monitor == desktop.primary && piece.right - piece.left > strip.right - strip.left) strip = piece;
  }
  m_rect1 = ToRect(primary.stay);
  m_rect2 = ToRect(strip);
  m_desktopDpi = static_cast<LONG>(desktop.commonDpi);

  InterlockedExchange(reinterpret_cast<volatile LONG*>(&m_zones.count), 0);
  for (int32_t i = 0; i < zones.count; ++i) m_zones.piece[i] = zones.piece[i];
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&m_zones.count), zones.count);
  // The popup's own piece may be another one now; until the next show the
  // hook lets it stay over any stay zone and the launcher checks its own.
  m_shownPiece = 0;
}

void QVLRegisterWindow(HWND hWnd) {
  QVLCalcArea();
  m_hWnd = hWnd;
}

namespace {

constexpr char kLauncherTitle[] = "<QUORVEL>";

bool IsLauncherWindow(HWND window) {
  if (window == nullptr || !IsWindow(window)) return false;
  // The stored title: no message goes to a process that may hang.
  WCHAR title[sizeof kLauncherTitle + 1] = {};
  const int length = InternalGetWindowText(window, title, static_cast<int>(sizeof title / sizeof title[0]));
  if (length != static_cast<int>(sizeof kLauncherTitle - 1)) return false;
  for (int i = 0; i < length; ++i)
    if (title[i] != static_cast<WCHAR>(kLauncherTitle[i])) return false;
  return true;
}

bool ProcessRuns(DWORD id) {
  if (id == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

// A launcher that died without its teardown leaves its hook recorded for as
// long as any process holds the library. The record counts as live while
// it is this process's own, while its window is a launcher's, or while its
// launcher is between installing and registering its window.
bool RecordLive(DWORD owner) {
  if (owner == GetCurrentProcessId()) return true;
  const HWND window = m_hWnd;
  if (window != nullptr) return IsLauncherWindow(window);
  return ProcessRuns(owner);
}

}  // namespace

int QVLInstallHook(void) {
  const LONG owner = m_dwOwner;
  if (m_hHook != nullptr && RecordLive(static_cast<DWORD>(owner))) return 0;
  // Of two launchers that start together, or that both find a dead record,
  // only the one that claims the record installs.
  const LONG self = static_cast<LONG>(GetCurrentProcessId());
  if (InterlockedCompareExchange(&m_dwOwner, self, owner) != owner) return 0;
  m_hWnd = nullptr;
  m_dwOwnerThread = GetCurrentThreadId();
  m_hHook = SetWindowsHookExA(WH_MOUSE, MouseProc, m_hModule, 0);
  return m_hHook != nullptr ? 1 : 0;
}

int QVLUninstallHook(void) {
  if (m_hHook == nullptr) return 0;
  UnhookWindowsHookEx(m_hHook);
  m_hHook = nullptr;
  return 1;
}

// The entry point itself, under the name the linker looks for, since no C
// runtime start-up code is linked in.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    m_hModule = instance;
    // Thread notifications would only cost every hooked process time.
    DisableThreadLibraryCalls(instance);
    // user32 is loaded in every process that runs the hook; nothing is
    // loaded here.
    if (const HMODULE user32 = GetModuleHandleA("user32.dll")) {
      threadDpiContext = reinterpret_cast<ThreadContextFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
      awarenessOf = reinterpret_cast<AwarenessFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
      dpiOf = reinterpret_cast<ContextDpiFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiFromDpiAwarenessContext")));
      physicalCursorPos = reinterpret_cast<CursorFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetPhysicalCursorPos")));
    }
  }
  return TRUE;
}
