// Walks a running launcher through one look at the desktop for the run
// command on a machine without a display: waits for the launcher, touches
// the top edge once, saves a screenshot, and exits the launcher the way a
// person would (Exit, then Yes).
//   qv_pilot.exe SCREENSHOT.png
#include <cstdio>

#include "Driver.h"

using namespace e2e;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qv_pilot SCREENSHOT.png\n");
    return 2;
  }
  HWND launcher = WaitForTopLevel(0, "<QUORVEL>", 30000);
  if (launcher == nullptr) {
    std::fprintf(stderr, "Quorvel did not start\n");
    return 1;
  }
  PumpUntil(5000, [launcher] { return !IsWindowVisible(launcher); });

  const RECT work = WorkArea();
  MoveMouse((work.left + work.right) * 3 / 4, work.top + 200);
  Pump(200);
  MoveMouse((work.left + work.right) * 3 / 4, work.top);
  Pump(1000);
  const bool saved = SaveScreenshot(argv[1]);
  if (saved) std::printf("Screenshot: %s\n", argv[1]);

  const DWORD process = ProcessOf(launcher);
  MoveMouse(work.left + 100, work.top + 200);  // away, so nothing is on show
  Pump(300);
  ClickButton(launcher, IDCANCEL);
  MessageBoxView box = WaitForMessageBox(process, "Exit Quorvel!");
  if (box.window == nullptr) {
    std::fprintf(stderr, "no exit confirmation\n");
    return 1;
  }
  ClickButton(box.window, IDYES);
  if (!PumpUntil(10000, [launcher] { return !IsWindow(launcher); })) {
    std::fprintf(stderr, "Quorvel did not exit\n");
    return 1;
  }
  std::printf("Quorvel exited.\n");
  return saved ? 0 : 1;
}
