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
#include "FontRecord.h"
#include "PopupLayout.h"
#include "resource.h"

using namespace e2e;

namespace {

constexpr UINT kShow = WM_USER + 1;
constexpr UINT kHide = WM_USER + 2;
constexpr WPARAM kHoverTimer = 2;
const POINT kStay{768, 374};      // in the stay zone, popup hidden
const POINT kGroupGap{560, 450};  // stay zone, empty part of the group column
constexpr int kAwayX = 100;       // left half: the hook hides the popup

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Waits for the first message `id` to `window`.
bool WaitFor(UINT id, HWND window, double timeoutMs) {
  const double end = Now() + timeoutMs;
  while (Now() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      const bool hit = msg.message == id && msg.hwnd == window;
      DispatchMessageA(&msg);
      if (hit) return true;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  return false;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[i];
}

// About 0.2 ms: Sleep() cannot wait less than a millisecond, the native call can.
void ShortSleep() {
  using Delay = LONG(NTAPI*)(BOOLEAN, const LARGE_INTEGER*);
  static const auto delay = reinterpret_cast<Delay>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
  LARGE_INTEGER interval;
  interval.QuadPart = -2000;  // relative, in 100 ns
  if (delay != nullptr) delay(FALSE, &interval); else Sleep(0);
}

// Group rows as the launcher lays them out with its default font.
int RowHeight() {
  HDC screen = GetDC(nullptr);
  LOGFONTA wanted{};
  wanted.lfHeight = qv::DefaultFontHeight(GetDeviceCaps(screen, LOGPIXELSY));
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, "Arial", LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&wanted);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE size{};
  GetTextExtentPoint32A(screen, "Group", 5, &size);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return size.cy + qv::popup::kRowSpacing;
}

ProgramFolder FolderWithGroups(int groups) {
  ProgramFolder folder;
  for (int g = 0; g < groups; ++g) {
    char name[32];
    std::snprintf(name, sizeof name, "Group %03d\\", g);
    CreateDirectoryA(folder.File(name).c_str(), nullptr);
    for (const char* file : {"Item.txt", "Tool.txt"}) {
      CloseHandle(CreateFileA(folder.File(std::string(name) + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
      if (g % 2 == 0) break;  // every other group has a single file
    }
  }
  return folder;
}

// A launcher of a program folder of its own, started hidden; ended the way
// a person ends it.
struct Launcher {
  explicit Launcher(int groups) : folder(FolderWithGroups(groups)), process("\"" + folder.Launcher() + "\"") {
    window = WaitForLauncher(process, 20000);
    if (window == nullptr || !process.WaitForIdle(10000) ||
        !PumpUntil(5000, [this] { return !IsWindowVisible(window); }))
      window = nullptr;
  }
  ~Launcher() {
    if (window == nullptr) return;
    MoveMouse(kAwayX, kStay.y);
    Pump(100);
    ClickButton(window, IDCANCEL);
    const MessageBoxView box = WaitForMessageBox(process.id(), "Exit Quorvel!");
    if (box.window != nullptr) ClickButton(box.window, IDYES);
    if (box.window == nullptr || !process.WaitForExit(10000)) std::printf("launcher did not exit as asked\n");
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
};

// Show latency of one launcher: pointer into the strip until the popup is
// visible and a banner pixel has its shown colour. Empty when it cannot run.
ShowTimes ShowLatency(const Launcher& launcher, int trials) {
  const HWND window = launcher.window;
  const HookLibrary hook(launcher.folder.File("QVLHOOK.DLL"));
  const RECT strip = hook.loaded() ? hook.triggerStrip() : RECT{};
  const int stripX = (strip.left + strip.right) / 2;
  ShowTimes times;
  MoveMouse(kStay.x, kStay.y);
  Pump(100);
  MoveMouse(stripX, strip.top);
  if (strip.right <= strip.left || !PumpUntil(2000, [window] { return IsWindowVisible(window) != FALSE; })) {
    std::printf("  the popup did not show\n");
    return times;
  }

  // The probe: a banner point whose shown colour differs from the hidden one
  // and from the strip's black, which is there before the banner is drawn.
  Pump(500);
  HDC screen = GetDC(nullptr);
  RECT client{};
  GetClientRect(window, &client);
  POINT spots[] = {{2, client.bottom - 3}, {10, client.bottom - 3}, {19, client.bottom - 30}, {2, client.bottom - 60}};
  COLORREF shownColours[4];
  for (int i = 0; i < 4; ++i) {
    ClientToScreen(window, &spots[i]);
    shownColours[i] = GetPixel(screen, spots[i].x, spots[i].y);
  }
  HideByPointer(window);
  Pump(500);
  int chosen = -1;
  for (int i = 0; i < 4 && chosen < 0; ++i) {
    const COLORREF hidden = GetPixel(screen, spots[i].x, spots[i].y);
    if (shownColours[i] != hidden && shownColours[i] != CLR_INVALID && shownColours[i] != RGB(0, 0, 0)) chosen = i;
    if (chosen < 0)
      std::printf("  (%ld, %ld): 0x%06lx shown, 0x%06lx hidden\n", spots[i].x, spots[i].y, shownColours[i], hidden);
  }
  if (chosen < 0) {
    std::printf("  no banner point changes colour when the popup shows\n");
    ReleaseDC(nullptr, screen);
    return times;
  }
  const POINT probe = spots[chosen];
  const COLORREF shown = shownColours[chosen];
  auto painted = [&] { return IsWindowVisible(window) && GetPixel(screen, probe.x, probe.y) == shown; };

  for (int i = 0; i < trials; ++i) {
    if (!HideByPointer(window)) continue;
    MoveMouse(kStay.x, kStay.y);
    // The desktop must have repainted the probe, or the clock would stop at once.
    if (!PumpUntil(500, [&] { return !painted(); })) continue;
    Pump(20);
    const double start = Now();
    MoveMouse(stripX + (i % 2), strip.top);
    double visible = 0;
    while (Now() - start < 1000) {
      if (visible == 0 && IsWindowVisible(window)) visible = Now() - start;
      if (visible > 0 && GetPixel(screen, probe.x, probe.y) == shown) {
        times.visible.push_back(visible);
        times.painted.push_back(Now() - start);
        break;
      }
      ShortSleep();
    }
  }
  HideByPointer(window);
  ReleaseDC(nullptr, screen);
  std::printf("  probe at (%ld, %ld), 0x%06lx when shown\n", probe.x, probe.y, static_cast<unsigned long>(shown));
  return times;
}

struct Memory {
  SIZE_T privateBytes = 0, pagefile = 0, workingSet = 0;
};

Memory ReadMemory(DWORD processId) {
  Memory m;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (process != nullptr &&
      GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    m = Memory{counters.PrivateUsage, counters.PagefileUsage, counters.WorkingSetSize};
  if (process != nullptr) CloseHandle(process);
  return m;
}

void PrintMemory(const char* when, const Memory& m) {
  std::printf("  %s: private %zu KB, pagefile %zu KB, working set %zu KB\n", when, m.privateBytes / 1024,
              m.pagefile / 1024, m.workingSet / 1024);
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, result ? result : &ignored);
}

void PrintLatency(int groups, const ShowTimes& t, int trials, double b50, double b99) {
  if (t.painted.empty()) {
    std::printf("  %d groups: no samples\n", groups);
    return;
  }
  const double p50 = Percentile(t.painted, 0.50), p99 = Percentile(t.painted, 0.99);
  std::printf("  %d groups: %zu of %d trials, p50 %.3f ms (%.2f x baseline), p99 %.3f ms (%.2f x baseline)\n", groups,
              t.painted.size(), trials, p50, p50 / b50, p99, p99 / b99);
  std::printf("  %d groups, visible but not yet painted: p50 %.3f ms, p99 %.3f ms\n", groups,
              Percentile(t.visible, 0.50), Percentile(t.visible, 0.99));
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = std::max(argc > 1 ? std::atoi(argv[1]) : 100, 1);
  const double begin = Now();
  const RECT work = WorkArea();

  std::printf("== baseline: bare hook, SendInput move into the strip until WM_USER+1 arrives\n");
  std::vector<double> baseline;
  {
    ProgramFolder folder;
    HookLibrary hook(folder.File("QVLHOOK.DLL"));
    if (!hook.loaded() || hook.Install() != 1) {
      std::fprintf(stderr, "cannot install the hook\n");
      return 1;
    }
    OwnWindow target("latency target", RECT{100, 100, 400, 400});
    hook.Register(target.hwnd());
    const RECT strip = hook.triggerStrip();
    const int stripX = (strip.left + strip.right) / 2;
    for (int i = 0; i < trials; ++i) {
      MoveMouse(stripX, (work.top + work.bottom) / 2);
      Pump(20);
      const double start = Now();
      MoveMouse(stripX + (i % 2), strip.top);
      if (WaitFor(kShow, target.hwnd(), 1000)) baseline.push_back(Now() - start);
    }
    hook.Register(nullptr);
    hook.Uninstall();
  }
  if (baseline.empty()) {
    std::fprintf(stderr, "no samples\n");
    return 1;
  }
  const double b50 = Percentile(baseline, 0.50), b99 = Percentile(baseline, 0.99);
  std::printf("  hook show request: %zu of %d trials, p50 %.3f ms, p99 %.3f ms\n", baseline.size(), trials, b50, b99);

  std::printf("== show latency: move into the strip until the popup is visible and painted (goal p99 < 16 ms)\n");
  Memory early, late;
  int opened = 0;
  const int cycles = 1000;
  double cycleMs = 0;
  for (const int groups : {10, 100}) {
    Launcher launcher(groups);
    if (launcher.window == nullptr) {
      std::fprintf(stderr, "the launcher with %d groups did not start\n", groups);
      return 1;
    }
    const ShowTimes shows = ShowLatency(launcher, trials);
    PrintLatency(groups, shows, trials, b50, b99);
    if (shows.painted.empty()) return 1;
    if (groups != 10) continue;

    // Memory over cycles driven by messages, pointer resting where it changes nothing.
    MoveMouse(kGroupGap.x, kGroupGap.y);
    Pump(100);
    const int rowHeight = RowHeight();
    const HWND list = GetDlgItem(launcher.window, IDC_SHORTCUT_LIST);
    const double start = Now();
    for (int i = 0; i < cycles; ++i) {
      Send(launcher.window, kShow, 0, 0);
      const int y = (i % 10) * rowHeight + rowHeight / 2;
      Send(launcher.window, WM_MOUSEMOVE, 0, MAKELPARAM(qv::popup::kColumnLeft + 5, y));
      Send(launcher.window, WM_TIMER, kHoverTimer, 0);
      DWORD_PTR items = 0;
      if (Send(list, LVM_GETITEMCOUNT, 0, 0, &items) && items > 0) ++opened;
      RedrawWindow(launcher.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // paint as shown
      Send(launcher.window, kHide, 0, 0);
      if (i == 9) early = ReadMemory(launcher.process.id());
    }
    cycleMs = (Now() - start) / cycles;
    Pump(200);
    late = ReadMemory(launcher.process.id());
  }

  std::printf("== memory: show, hover a group, open it, hide, by message; 10 groups (goal growth < 256 KB)\n");
  std::printf("  %d cycles, %.2f ms each; a group's list filled in %d of them%s\n", cycles, cycleMs, opened,
              opened == 0 ? " (groups never opened: the hover messages missed)" : "");
  PrintMemory("after 10 cycles", early);
  PrintMemory("after 1000 cycles", late);
  if (early.privateBytes == 0 || late.privateBytes == 0) std::printf("  the system reports 0 private bytes\n");
  auto growth = [](SIZE_T a, SIZE_T b) { return (static_cast<long long>(b) - static_cast<long long>(a)) / 1024; };
  std::printf("  growth: private %+lld KB, pagefile %+lld KB, working set %+lld KB\n",
              growth(early.privateBytes, late.privateBytes), growth(early.pagefile, late.pagefile),
              growth(early.workingSet, late.workingSet));
  std::printf("total %.1f s\n", (Now() - begin) / 1000);
  return 0;
}
