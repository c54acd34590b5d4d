// The hook library is mapped into every process that retrieves mouse
// messages while the hook is installed. It is linked without the C runtime:
// nothing here allocates, locks or waits, and a fault here would take other
// people's programs down with it.
#define QVLHOOK_BUILDING
#include "QVLHook.h"

#include "HotZone.h"

static_assert(sizeof(RECT) == sizeof(qv::ZoneRect), "RECT and ZoneRect must match");

// One copy of these per desktop: the section is marked shared, and the build
// keeps the definitions in this order (-fno-toplevel-reorder).
#define QVL_SHARED __attribute__((section(".QVLHook"), shared))
HHOOK m_hHook QVL_SHARED = nullptr;
HWND m_hWnd QVL_SHARED = nullptr;
HINSTANCE m_hModule QVL_SHARED = nullptr;
RECT m_rect1 QVL_SHARED = {0, 0, 0, 0};
RECT m_rect2 QVL_SHARED = {0, 0, 0, 0};

namespace {

qv::ZoneRect ToZone(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const qv::ZoneRect& z) { return {z.left, z.top, z.right, z.bottom}; }

// Answers the decision's questions with the platform, only when asked.
struct LiveProbe {
  HWND target;
  bool Registered() const { return target != nullptr; }
  bool AnyButtonDown() const {
    return (GetKeyState(VK_LBUTTON) & 0x8000) || (GetKeyState(VK_RBUTTON) & 0x8000) ||
           (GetKeyState(VK_MBUTTON) & 0x8000);
  }
  bool WindowVisible() const { return IsWindowVisible(target) != FALSE; }
};

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && lParam != 0) {
    LiveProbe probe{m_hWnd};
    const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
    const qv::HotZones zones{ToZone(m_rect1), ToZone(m_rect2)};
    switch (qv::DecideHookRequest(probe, qv::ZonePoint{pt.x, pt.y}, zones)) {
      case qv::HookRequest::kShow:
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
  RECT work = {0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const qv::HotZones zones = qv::ComputeHotZones(ToZone(work), GetSystemMetrics(SM_CXSIZE));
  m_rect1 = ToRect(zones.stay);
  m_rect2 = ToRect(zones.trigger);
}

void QVLRegisterWindow(HWND hWnd) {
  QVLCalcArea();
  m_hWnd = hWnd;
}

int QVLInstallHook(void) {
  if (m_hHook != nullptr) return 0;
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
  }
  return TRUE;
}
