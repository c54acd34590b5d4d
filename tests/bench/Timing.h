// Clock, percentiles, message waits and the bare hook's latency, shared by
// the timed scenarios.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Driver.h"

namespace bench {

// Milliseconds from the performance counter.
inline double Now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Waits for the first message `id` to `window` (any window when null),
// dispatching everything on the way.
inline bool WaitFor(UINT id, HWND window, double timeoutMs) {
  const double end = Now() + timeoutMs;
  while (Now() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      const bool hit = msg.message == id && (window == nullptr || msg.hwnd == window);
      DispatchMessageA(&msg);
      if (hit) return true;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  return false;
}

inline double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

// From a SendInput move into the trigger strip until the show request
// reaches a hidden window of our own, through a hook of a program folder of
// its own; no samples when the hook cannot be installed.
inline std::vector<double> BareHookRequestTimes(int trials) {
  std::vector<double> times;
  e2e::ProgramFolder folder;
  e2e::HookLibrary hook(folder.File("QVLHOOK.DLL"));
  if (!hook.loaded() || hook.Install() != 1) return times;
  e2e::OwnWindow target("latency target", RECT{100, 100, 400, 400});
  hook.Register(target.hwnd());
  const RECT work = e2e::WorkArea();
  const RECT strip = hook.triggerStrip();
  const int stripX = (strip.left + strip.right) / 2;
  for (int i = 0; i < trials; ++i) {
    e2e::MoveMouse(stripX, (work.top + work.bottom) / 2);
    e2e::Pump(20);  // drops what is still queued
    const double start = Now();
    e2e::SendMove(stripX + (i % 2), strip.top);
    if (WaitFor(WM_USER + 1, target.hwnd(), 1000)) times.push_back(Now() - start);
  }
  hook.Register(nullptr);
  hook.Uninstall();
  return times;
}

}  // namespace bench
