// Walks a freshly installed launcher through its first start for the run
// command on a machine without a display: starts it, answers "Setup
// Complete!", touches the top edge, rests on the first group (the
// documentation) until its shortcuts show, saves a screenshot, and exits
// the launcher the way a person would (Exit, then Yes).
//   qv_pilot.exe QUORVEL.EXE SCREENSHOT.png
#include <cstdio>

#include "Driver.h"
#include "PopupLayout.h"
#include "resource.h"

using namespace e2e;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qv_pilot QUORVEL.EXE SCREENSHOT.png\n");
    return 2;
  }
  Process launcher("\"" + std::string(argv[1]) + "\"");
  MessageBoxView done = WaitForMessageBox(launcher.id(), "Setup Complete!", 30000);
  if (done.window == nullptr) {
    std::fprintf(stderr, "Quorvel did not say \"Setup Complete!\"\n");
    return 1;
  }
  std::printf("Quorvel says: %s\n", done.text.substr(0, done.text.find('\n')).c_str());
  Dismiss(done.window, IDOK);
  HWND window = WaitForLauncher(launcher, 30000);
  if (window == nullptr || !PumpUntil(10000, [window] { return !IsWindowVisible(window); })) {
    std::fprintf(stderr, "Quorvel did not start\n");
    return 1;
  }

  const RECT work = WorkArea();
  MoveMouse((work.left + work.right) * 3 / 4, work.top + 200);
  MoveMouse((work.left + work.right) * 3 / 4, work.top);
  if (!PumpUntil(5000, [window] { return IsWindowVisible(window) != FALSE; })) {
    std::fprintf(stderr, "the popup did not come\n");
    return 1;
  }
  POINT row{qv::popup::kColumnLeft + 5, 8};
  ClientToScreen(window, &row);
  MoveMouse(row.x, row.y);
  const HWND list = GetDlgItem(window, IDC_SHORTCUT_LIST);
  const bool opened = PumpUntil(5000, [list] { return !ListTexts(list).empty(); });
  Pump(500);  // the icons paint after the names
  const bool saved = SaveScreenshot(argv[2]);
  if (saved) std::printf("Screenshot: %s\n", argv[2]);
  if (!opened) std::fprintf(stderr, "the first group showed no shortcuts\n");

  MoveMouse(work.left + 100, work.top + 200);  // away, so nothing is on show
  ClickButton(window, IDCANCEL);
  MessageBoxView box = WaitForMessageBox(launcher.id(), "Exit Quorvel!");
  if (box.window == nullptr) {
    std::fprintf(stderr, "no exit confirmation\n");
    return 1;
  }
  ClickButton(box.window, IDYES);
  if (!launcher.WaitForExit(10000)) {
    std::fprintf(stderr, "Quorvel did not exit\n");
    return 1;
  }
  std::printf("Quorvel exited.\n");
  return saved && opened ? 0 : 1;
}
