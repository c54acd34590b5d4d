// Clock, percentiles and message waits shared by the timed scenarios.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

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

}  // namespace bench
