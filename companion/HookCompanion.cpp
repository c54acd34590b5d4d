// QVLHOOK32.EXE: the hot-zone hook for 32-bit programs, on behalf of a 64-bit
// launcher. A 32-bit program cannot load the launcher's own hook library, so
// this program installs the 32-bit copy beside it, names the launcher's
// window as the receiver of its requests, and ends with the launcher.
//
//   QVLHOOK32.EXE <launcher window, decimal> <launcher process id>
//
// Exit codes: 0 after the launcher (or its request) ended it, 1 for
// arguments that name no launcher, 2 when the hook could not be installed.
// It shows nothing, ever: nobody but the launcher knows it runs.
#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "Handles.h"
#include "QVLHook.h"

namespace {

constexpr int kEndedExit = 0;
constexpr int kBadArguments = 1;
constexpr int kNotInstalled = 2;
// How often it looks whether the launcher's window is still there, for a
// launcher whose process outlives its window (a stuck teardown).
constexpr UINT kWindowCheckMs = 2000;

// A decimal number of digits only, no sign, no spaces, not 0, at most `max`.
bool ParseNumber(const char* text, uint64_t max, uint64_t& value) {
  value = 0;
  if (text == nullptr || *text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(*text - '0');
    if (value > (max - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return value != 0;
}

bool LauncherWindowAlive(HWND window, DWORD processId) {
  DWORD owner = 0;
  return IsWindow(window) && GetWindowThreadProcessId(window, &owner) != 0 && owner == processId;
}

// Pumps until the launcher's process ends, its window goes or WM_QUIT
// comes. The system calls the hook for the 64-bit programs on this thread
// while it looks at its queue, and their mouse input waits for the answer:
// nothing here may wait for anything but the queue and the launcher.
void Serve(HWND launcher, DWORD launcherId, HANDLE launcherProcess) {
  const UINT syncMessage = RegisterWindowMessageA("QuorvelHookSync");
  const UINT_PTR timer = SetTimer(nullptr, 0, kWindowCheckMs, nullptr);
  for (bool serving = true; serving;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &launcherProcess, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke != WAIT_OBJECT_0 + 1) break;  // the launcher ended, or the wait failed
    MSG msg;
    while (serving && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        serving = false;
      } else if (msg.hwnd == nullptr && msg.message == syncMessage && syncMessage != 0) {
        // The desktop changed: zones again, and the launcher's window as
        // the receiver, should the record have lost it.
        QVLCalcArea();
        if (QVLRegisteredWindow() != launcher) QVLRegisterWindow(launcher);
      } else if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == timer) {
        serving = LauncherWindowAlive(launcher, launcherId);
      } else {
        DispatchMessageA(&msg);
      }
    }
  }
  if (timer != 0) KillTimer(nullptr, timer);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // No box for a failed load or a fault: nobody would know what it is about.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

  // A window handle has 32 significant bits on either width.
  uint64_t windowValue = 0;
  uint64_t processValue = 0;
  if (__argc != 3 || !ParseNumber(__argv[1], UINT32_MAX, windowValue) ||
      !ParseNumber(__argv[2], UINT32_MAX, processValue)) {
    return kBadArguments;
  }
  const HWND launcher = reinterpret_cast<HWND>(static_cast<uintptr_t>(windowValue));
  const DWORD launcherId = static_cast<DWORD>(processValue);
  const qv::UniqueKernelHandle launcherProcess(OpenProcess(SYNCHRONIZE, FALSE, launcherId));
  if (!launcherProcess || !LauncherWindowAlive(launcher, launcherId)) return kBadArguments;

  // The queue exists before the launcher may post to it.
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  if (!QVLInstallHook()) return kNotInstalled;
  QVLRegisterWindow(launcher);
  // The launcher waits for this before it installs its own hook.
  WCHAR name[64];
  wsprintfW(name, L"Local\\Quorvel.CompanionReady.%lu", launcherId);
  if (const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  Serve(launcher, launcherId, launcherProcess.get());
  QVLUninstallHook();
  return kEndedExit;
}
