// Under Wine (or Windows): how long the real launcher takes from a SendInput
// move into the trigger strip until its popup is on screen and painted, with
// 10 and with 100 groups, against the bare hook's show request measured in
// the same run; then its memory over many show/hide cycles. Prints figures
// and ratios; asserts nothing.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Driver.h"
#include "ExitRecord.h"
#include "Timing.h"
#include "FontRecord.h"
#include "PopupLayout.h"
#include "resource.h"

using namespace e2e;
using bench::Now;
using bench::Percentile;
using bench::WaitFor;

namespace {

constexpr UINT kShow = WM_USER + 1;
constexpr UINT kHide = WM_USER + 2;
constexpr WPARAM kHoverTimer = 2;
const POINT kStay{768, 374};      // stay zone, over the list when shown
const POINT kGroupGap{560, 450};  // stay zone, below the rows of 10 groups
constexpr int kAwayX = 100;       // left half: the hook hides the popup

// About 0.2 ms: Sleep() cannot wait less than a millisecond, the native call can.
void ShortSleep() {
  using Delay = LONG(NTAPI*)(BOOLEAN, const LARGE_INTEGER*);
  static const auto delay = reinterpret_cast<Delay>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
  LARGE_INTEGER interval;
  interval.QuadPart = -2000;  // relative, in 100 ns
  if (delay != nullptr) delay(FALSE, &interval); else Sleep(0);
}

// A group row's height as the launcher lays it out with its default font.
int RowHeight() {
  HDC screen = GetDC(nullptr);
  LOGFONTA wanted{};
  wanted.lfHeight = qv::DefaultFontHeight(GetDeviceCaps(screen, LOGPIXELSY));
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, "Arial", LF_FACESIZE);
  HGDIOBJ old = SelectObject(screen, CreateFontIndirectA(&wanted));
  SIZE size{};
  GetTextExtentPoint32A(screen, "Group", 5, &size);
  DeleteObject(SelectObject(screen, old));
  ReleaseDC(nullptr, screen);
  return size.cy + qv::popup::kRowSpacing;
}

// Groups of one or two empty files each.
ProgramFolder FolderWithGroups(int groups) {
  ProgramFolder folder;
  for (int g = 0; g < groups; ++g) {
    char name[32];
    std::snprintf(name, sizeof name, "Group %03d\\", g);
    CreateDirectoryA(folder.File(name).c_str(), nullptr);
    for (const char* file : {"Item.txt", "Tool.txt"}) {
      if (file[0] == 'T' && g % 2 == 0) break;
      CloseHandle(CreateFileA(folder.File(std::string(name) + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                              nullptr));
    }
  }
  return folder;
}

// A launcher started hidden from a folder of its own; ended the way a person ends it.
struct Launcher {
  explicit Launcher(int groups) : folder(FolderWithGroups(groups)), process("\"" + folder.Launcher() + "\"") {
    window = WaitForLauncher(process, 20000);
    const bool ready = window != nullptr && process.WaitForIdle(10000) &&
                       PumpUntil(5000, [this] { return !IsWindowVisible(window); });
    if (!ready) window = nullptr;
  }
  ~Launcher() {
    if (window == nullptr) return;
    MoveMouse(kAwayX, kStay.y);
    Pump(100);
    ClickButton(window, IDCANCEL);
    const MessageBoxView box = WaitForMessageBox(process.id(), "Exit Quorvel!");
    if (box.window != nullptr) ClickButton(box.window, IDYES);
    if (box.window == nullptr || !process.WaitForExit(10000)) std::printf("  the launcher did not exit as asked\n");
  }
  ProgramFolder folder;
  Process process;
  HWND window = nullptr;
};

bool HideByPointer(HWND window) {
  MoveMouse(kAwayX, kStay.y);
  return PumpUntil(1000, [window] { return !IsWindowVisible(window); });
}

struct ShowTimes {
  std::vector<double> visible, painted;
  RECT placed{};   // the shown popup's window
  POINT probe{};   // the screen point watched
};

// From a SendInput move into the strip until `window` is visible and the
// probe shows the colour it has when shown; the pointer comes from the stay
// zone, and each showing is hidden again by the pointer.
void TimeShowings(HWND window, int stripX, int stripY, POINT probe, COLORREF shown, int trials, ShowTimes& times) {
  HDC screen = GetDC(nullptr);
  auto probeShown = [&] { return GetPixel(screen, probe.x, probe.y) == shown; };
  for (int i = 0; i < trials; ++i) {
    if (!HideByPointer(window)) continue;
    MoveMouse(kStay.x, kStay.y);
    // The desktop must have covered the probe again, or the clock would stop at once.
    if (!PumpUntil(500, [&] { return !probeShown(); })) continue;
    Pump(20);
    const double start = Now();
    SendMove(stripX + (i % 2), stripY);
    for (double visible = 0; Now() - start < 1000; ShortSleep()) {
      if (visible == 0 && IsWindowVisible(window)) visible = Now() - start;
      if (visible > 0 && probeShown()) {
        times.painted.push_back(Now() - start);
        times.visible.push_back(visible);
        break;
      }
    }
  }
  HideByPointer(window);
  ReleaseDC(nullptr, screen);
}

// Pointer into the strip until the popup is visible and a banner pixel has
// its shown colour. No samples when it cannot run.
ShowTimes ShowLatency(const Launcher& launcher, int trials) {
  const HWND window = launcher.window;
  const HookLibrary hook(launcher.folder.File("QVLHOOK.DLL"));
  const RECT strip = hook.loaded() ? hook.triggerStrip() : RECT{};
  const int stripX = (strip.left + strip.right) / 2;
  ShowTimes times;
  MoveMouse(kStay.x, kStay.y);
  Pump(100);
  MoveMouse(stripX, strip.top);
  if (strip.right <= strip.left || !PumpUntil(2000, [window] { return IsWindowVisible(window) != FALSE; }))
    return times;

  // The probe: a banner point whose shown colour differs from the hidden one
  // and from the strip's black, which is there before the banner is drawn.
  Pump(500);
  GetWindowRect(window, &times.placed);
  HDC screen = GetDC(nullptr);
  RECT client{};
  GetClientRect(window, &client);
  POINT spots[] = {{2, client.bottom - 3}, {10, client.bottom - 3}, {19, client.bottom - 30}, {2, client.bottom - 60}};
  COLORREF shown[4];
  for (int i = 0; i < 4; ++i) {
    ClientToScreen(window, &spots[i]);
    shown[i] = GetPixel(screen, spots[i].x, spots[i].y);
  }
  HideByPointer(window);
  Pump(500);
  int chosen = -1;
  for (int i = 0; i < 4 && chosen < 0; ++i) {
    const COLORREF hidden = GetPixel(screen, spots[i].x, spots[i].y);
    if (shown[i] != hidden && shown[i] != CLR_INVALID && shown[i] != RGB(0, 0, 0)) chosen = i;
    else std::printf("  (%ld, %ld): 0x%06lx shown, 0x%06lx hidden\n", spots[i].x, spots[i].y, shown[i], hidden);
  }
  if (chosen >= 0) std::printf("  probe (%ld, %ld), 0x%06lx shown\n", spots[chosen].x, spots[chosen].y, shown[chosen]);
  ReleaseDC(nullptr, screen);
  if (chosen < 0) return times;
  times.probe = spots[chosen];
  TimeShowings(window, stripX, strip.top, spots[chosen], shown[chosen], trials, times);
  return times;
}

// The floor: a plain window of the bench's own, on a thread of its own,
// that shows itself topmost on the show request and paints one colour.
constexpr COLORREF kFloorColour = RGB(255, 0, 255);
RECT floorStayZone{};

bool PointerInFloorStayZone() {
  POINT pointer{};
  return GetCursorPos(&pointer) && PtInRect(&floorStayZone, pointer);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // As the launcher does: a request made for a pointer that has left since
    // (a late mouse message of another process) shows nothing, and a look
    // every 200 ms hides the window once the pointer is out.
    case kShow:
      if (!PointerInFloorStayZone()) return 0;
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      SetTimer(window, 1, 200, nullptr);
      return 0;
    case WM_TIMER:
      if (PointerInFloorStayZone()) return 0;
      [[fallthrough]];
    case kHide:
      KillTimer(window, 1);
      ShowWindow(window, SW_HIDE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

class FloorWindow {
 public:
  explicit FloorWindow(RECT where) : where_(where) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &FloorWindow::Main, this, 0, nullptr);
    if (thread_ != nullptr) WaitForSingleObject(ready_, 5000);
  }
  ~FloorWindow() {
    if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (thread_ != nullptr) {
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
    }
    CloseHandle(ready_);
  }
  FloorWindow(const FloorWindow&) = delete;
  FloorWindow& operator=(const FloorWindow&) = delete;
  HWND hwnd() const { return window_; }

 private:
  static DWORD WINAPI Main(void* param) {
    auto* self = static_cast<FloorWindow*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(kFloorColour);
    wc.lpszClassName = "QvFloorWindow";
    RegisterClassA(&wc);
    const RECT& r = self->where_;
    self->window_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "floor", WS_POPUP, r.left, r.top,
                                    r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    SetEvent(self->ready_);
    MSG msg;
    while (self->window_ != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    DeleteObject(wc.hbrBackground);
    return 0;
  }
  RECT where_;
  HANDLE ready_ = nullptr, thread_ = nullptr;
  HWND window_ = nullptr;
};

// The floor's showings, timed as the launcher's are, through a bare hook of
// a program folder of its own; no samples when it cannot run.
ShowTimes FloorLatency(RECT placed, POINT probe, int trials) {
  ShowTimes times;
  ProgramFolder folder;
  HookLibrary hook(folder.File("QVLHOOK.DLL"));
  if (!hook.loaded() || hook.Install() != 1) return times;
  {
    const FloorWindow plain(placed);
    const HWND window = plain.hwnd();
    hook.Register(window);
    floorStayZone = hook.stayZone();
    const RECT strip = hook.triggerStrip();
    const int stripX = (strip.left + strip.right) / 2;
    MoveMouse(kStay.x, kStay.y);
    Pump(100);
    MoveMouse(stripX, strip.top);
    if (window != nullptr && PumpUntil(2000, [window] { return IsWindowVisible(window) != FALSE; })) {
      Pump(500);
      HDC screen = GetDC(nullptr);
      const COLORREF shown = GetPixel(screen, probe.x, probe.y);
      HideByPointer(window);
      Pump(500);
      const COLORREF hidden = GetPixel(screen, probe.x, probe.y);
      ReleaseDC(nullptr, screen);
      if (shown != hidden && shown != CLR_INVALID) TimeShowings(window, stripX, strip.top, probe, shown, trials, times);
      else std::printf("  floor probe: 0x%06lx shown, 0x%06lx hidden\n", shown, hidden);
    }
    hook.Register(nullptr);
  }
  hook.Uninstall();
  return times;
}

// Zeros when the counters cannot be read.
PROCESS_MEMORY_COUNTERS_EX ReadMemory(DWORD processId) {
  PROCESS_MEMORY_COUNTERS_EX c{};
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr) return c;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c)) c = {};
  CloseHandle(process);
  return c;
}

long long Kb(SIZE_T bytes) { return static_cast<long long>(bytes / 1024); }

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, result ? result : &ignored);
}

}  // namespace

static int Run(int argc, char** argv) {
  const int trials = std::max(argc > 1 ? std::atoi(argv[1]) : 100, 1);
  const double begin = Now();

  std::printf("== baseline: bare hook, SendInput move into the strip until WM_USER+1 arrives\n");
  const std::vector<double> baseline = bench::BareHookRequestTimes(trials);
  if (baseline.empty()) {
    std::fprintf(stderr, "no samples\n");
    return 1;
  }
  const double b50 = Percentile(baseline, 0.50), b99 = Percentile(baseline, 0.99);
  std::printf("  hook show request: %zu of %d trials, p50 %.3f ms, p99 %.3f ms\n", baseline.size(), trials, b50, b99);

  std::printf("== show latency: move into the strip until the popup is visible and painted (goal p99 < 16 ms)\n");
  const int cycles = 1000;
  PROCESS_MEMORY_COUNTERS_EX early{}, late{};
  int opened = 0;
  double cycleMs = 0;
  ShowTimes first;  // 10 groups: where the floor goes
  double painted[2][2] = {};  // p50, p99 with 10 and with 100 groups
  for (const int groups : {10, 100}) {
    Launcher launcher(groups);
    if (launcher.window == nullptr) {
      std::fprintf(stderr, "the launcher with %d groups did not start\n", groups);
      return 1;
    }
    const ShowTimes t = ShowLatency(launcher, trials);
    if (t.painted.empty()) {
      std::fprintf(stderr, "no samples with %d groups\n", groups);
      return 1;
    }
    const double p50 = Percentile(t.painted, 0.50), p99 = Percentile(t.painted, 0.99);
    std::printf("  %d groups: %zu of %d trials, p50 %.3f ms (%.2f x baseline), p99 %.3f ms (%.2f x baseline)\n",
                groups, t.painted.size(), trials, p50, p50 / b50, p99, p99 / b99);
    std::printf("  %d groups, until visible only: p50 %.3f ms, p99 %.3f ms\n", groups, Percentile(t.visible, 0.50),
                Percentile(t.visible, 0.99));
    painted[groups == 10 ? 0 : 1][0] = p50;
    painted[groups == 10 ? 0 : 1][1] = p99;
    if (groups != 10) continue;
    first = t;

    // Memory: cycles driven by messages, the pointer resting where it changes nothing.
    MoveMouse(kGroupGap.x, kGroupGap.y);
    Pump(100);
    const int rowHeight = RowHeight();
    const HWND window = launcher.window, list = GetDlgItem(window, IDC_SHORTCUT_LIST);
    const double start = Now();
    for (int i = 0; i < cycles; ++i) {
      Send(window, kShow, 0, 0);
      const int y = (i % 10) * rowHeight + rowHeight / 2;
      Send(window, WM_MOUSEMOVE, 0, MAKELPARAM(qv::popup::kColumnLeft + 5, y));
      Send(window, WM_TIMER, kHoverTimer, 0);
      DWORD_PTR items = 0;
      if (Send(list, LVM_GETITEMCOUNT, 0, 0, &items) && items > 0) ++opened;
      RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // paint what a person would see
      Send(window, kHide, 0, 0);
      if (i == 9) early = ReadMemory(launcher.process.id());
    }
    cycleMs = (Now() - start) / cycles;
    late = ReadMemory(launcher.process.id());
  }

  std::printf("== floor: a plain window of the popup's size and place, shown topmost and painted in one colour on the "
              "same hook request\n");
  const RECT& r = first.placed;
  std::printf("  at (%ld, %ld), %ld x %ld, probe (%ld, %ld)\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
              first.probe.x, first.probe.y);
  const ShowTimes floorTimes = FloorLatency(first.placed, first.probe, trials);
  if (floorTimes.painted.empty()) {
    std::fprintf(stderr, "no samples of the floor\n");
    return 1;
  }
  const double f50 = Percentile(floorTimes.painted, 0.50), f99 = Percentile(floorTimes.painted, 0.99);
  std::printf("  floor: %zu of %d trials, p50 %.3f ms, p99 %.3f ms\n", floorTimes.painted.size(), trials, f50, f99);
  for (int i = 0; i < 2; ++i)
    std::printf("  %d groups / floor: p50 %.2f x, p99 %.2f x (goal at most 1.2 x)\n", i == 0 ? 10 : 100,
                painted[i][0] / f50, painted[i][1] / f99);

  std::printf("== memory: show, hover a group, open it, hide, by message; 10 groups (goal growth < 256 KB)\n");
  std::printf("  %d cycles, %.2f ms each; the group's list filled in %d of them%s\n", cycles, cycleMs, opened,
              opened == 0 ? " (hovering never opened a group)" : "");
  for (const auto& [when, m] : {std::make_pair("after 10 cycles", early), std::make_pair("after 1000 cycles", late)})
    std::printf("  %s: private %lld KB, pagefile %lld KB, working set %lld KB\n", when, Kb(m.PrivateUsage),
                Kb(m.PagefileUsage), Kb(m.WorkingSetSize));
  // Wine answers 0 private bytes; its pagefile figure counts the touched private memory.
  const bool noPrivate = early.PrivateUsage == 0 || late.PrivateUsage == 0;
  if (late.WorkingSetSize == 0) std::printf("  the launcher's memory counters could not be read\n");
  else if (noPrivate) std::printf("  private bytes read as 0 here: pagefile usage stands in for them\n");
  const long long grown = noPrivate ? Kb(late.PagefileUsage) - Kb(early.PagefileUsage)
                                    : Kb(late.PrivateUsage) - Kb(early.PrivateUsage);
  std::printf("  growth: %s %+lld KB (goal < 256 KB), working set %+lld KB\n", noPrivate ? "pagefile" : "private",
              grown, Kb(late.WorkingSetSize) - Kb(early.WorkingSetSize));
  std::printf("total %.1f s\n", (Now() - begin) / 1000);
  return 0;
}

int main(int argc, char** argv) { return e2e::RecordExit(Run(argc, argv)); }
