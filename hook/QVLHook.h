// QVLHOOK.DLL: the system-wide mouse hook that tells the launcher when the
// pointer touches the top edge in the right half of a monitor's work area
// (show request) and when it leaves that half again (hide request).
#pragma once

#include <windows.h>

#ifdef QVLHOOK_BUILDING
#define QVLHOOK_API extern "C"
#else
#define QVLHOOK_API extern "C" __declspec(dllimport)
#endif

// Posted to the registered window, wParam and lParam 0.
constexpr UINT kShowRequest = WM_USER + 1;
constexpr UINT kHideRequest = WM_USER + 2;

// Recomputes the zones, then sets the window that receives the requests;
// nullptr switches the requests off.
QVLHOOK_API void QVLRegisterWindow(HWND hWnd);
// 1 when this call installed the hook; 0 when a live one is already
// recorded (one per desktop, whichever process asks) or the system refused.
// A record left by a launcher that ended without its teardown is replaced.
QVLHOOK_API int QVLInstallHook(void);
// 1 when a recorded hook was removed; 0 when none was recorded.
QVLHOOK_API int QVLUninstallHook(void);
// Recomputes every monitor's stay zone and trigger strip from the current
// monitors and work areas.
QVLHOOK_API void QVLCalcArea(void);

// The library's shared state, one copy per desktop. Written only by the
// library's own code; exported for inspection.
QVLHOOK_API HHOOK m_hHook;
QVLHOOK_API HWND m_hWnd;
QVLHOOK_API HINSTANCE m_hModule;
// The primary monitor's zones; the other monitors' are the library's own.
QVLHOOK_API RECT m_rect1;  // stay zone
QVLHOOK_API RECT m_rect2;  // trigger strip (its widest stretch with no monitor above)
