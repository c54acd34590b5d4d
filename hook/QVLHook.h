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
// While the launcher waits out its delay at the edge: the pointer has left
// the strip, or a button went down.
constexpr UINT kCancelRequest = WM_USER + 9;

// Recomputes the zones, then sets the window that receives the requests;
// nullptr switches the requests off.
QVLHOOK_API void QVLRegisterWindow(HWND hWnd);
// The window the session's record of this library names now; nullptr when
// none, or when there is no record.
QVLHOOK_API HWND QVLRegisteredWindow(void);
// 1 when this call installed the hook; 0 when a live one is already
// recorded (one per session and program folder, whichever process asks),
// when the session's record was made by another user or at a lower
// integrity level than this process's, or when the system refused. A
// record left by a launcher that ended without its teardown is replaced.
QVLHOOK_API int QVLInstallHook(void);
// 1 when a recorded hook was removed; 0 when none was recorded or this
// process may not write the record.
QVLHOOK_API int QVLUninstallHook(void);
// Recomputes every monitor's stay zone and trigger strip from the current
// monitors and work areas.
QVLHOOK_API void QVLCalcArea(void);

// The requests, the owner and the zones that the hook goes by are in a
// record of the session that only the installing launcher's user, at its
// integrity level, can write; the calls above write it where the system
// lets the calling process, and these in any case. These are one copy per
// machine, which any process that maps the library may write: an account of
// what was written last, exported for inspection, never read by the hook.
QVLHOOK_API HHOOK m_hHook;
QVLHOOK_API HWND m_hWnd;
QVLHOOK_API HINSTANCE m_hModule;
// The primary monitor's zones; the other monitors' are the library's own.
QVLHOOK_API RECT m_rect1;  // stay zone
QVLHOOK_API RECT m_rect2;  // trigger strip (its widest stretch with no monitor above)
