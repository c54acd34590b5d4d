// Under Wine: what the launcher's own eye on the pointer costs. While the
// pointer moves over an ordinary window (the hook sees it there), the
// launcher's threads should wake no more often than those of a launcher
// built without that eye. While a window that keeps the hook out is in
// front, the eye watches: the time from the touch of the edge until the
// popup shows, against the hook's path in the same run, and the launcher's
// CPU time per second. Prints figures and ratios; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <map>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "ExitRecord.h"
#include "Timing.h"

using namespace e2e;
using bench::Now;

namespace {

// The text of a file of the Unix side (Wine maps / to Z:).
std::string ReadUnixFile(const std::string& path) {
  HANDLE file = CreateFileA(("Z:" + path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// The Unix process that runs QUORVEL.EXE: only one launcher runs at a time.
std::string LauncherUnixProcess() {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
  if (find == INVALID_HANDLE_VALUE) return "";
  std::string pid;
  do {
    const std::string name = found.cFileName;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (ReadUnixFile("/proc/" + name + "/comm") == "QUORVEL.EXE\n") pid = name;
  } while (pid.empty() && FindNextFileA(find, &found));
  FindClose(find);
  return pid;
}

// Per thread of that process, so far: every time it went to sleep and woke
// again (`wakeUps`), or the nanoseconds it ran.
using PerThread = std::map<std::string, long long>;
PerThread ThreadCounts(const std::string& pid, bool wakeUps) {
  PerThread counts;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(("Z:\\proc\\" + pid + "\\task\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return counts;
  do {
    const std::string tid = found.cFileName;
    if (tid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string task = "/proc/" + pid + "/task/" + tid;
    if (wakeUps) {
      const std::string status = ReadUnixFile(task + "/status");
      const std::size_t at = status.find("voluntary_ctxt_switches:");
      if (at != std::string::npos) counts[tid] = std::atoll(status.c_str() + at + 24);
    } else {
      counts[tid] = std::atoll(ReadUnixFile(task + "/schedstat").c_str());
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return counts;
}

// What the threads that lived throughout added.
long long Added(const PerThread& before, const PerThread& after) {
  long long total = 0;
  for (const auto& [tid, count] : after) {
    const auto was = before.find(tid);
    if (was != before.end()) total += count - was->second;
  }
  return total;
}

// A launcher (`exe`, or the one of the build) with one group, and a
// program's window under the edge, in front.
struct Desk {
  ProgramFolder folder;
  std::unique_ptr<Process> launcher;
  std::unique_ptr<Process> program;
  HWND window = nullptr;

  bool Start(const std::string& exe, const char* programName) {
    if (!exe.empty() && !CopyFileA(exe.c_str(), folder.Launcher().c_str(), FALSE)) return false;
    CreateDirectoryA(folder.File("Tools").c_str(), nullptr);
    launcher = std::make_unique<Process>("\"" + folder.Launcher() + "\"");
    window = WaitForLauncher(*launcher);
    if (window == nullptr || !launcher->WaitForIdle(10000)) return false;
    const std::string mark = FolderFromEnvironment("QV_BIN_DIR") + "qv_mark.exe";
    if (!CopyFileA(mark.c_str(), folder.File(programName).c_str(), FALSE)) return false;
    program = std::make_unique<Process>("\"" + folder.File(programName) + "\" /window 0 0 1024 700");
    if (WaitForTopLevel(program->id(), "mark window", 10000) == nullptr) return false;
    ClickAt(100, 300);
    Pump(1000);  // the launcher has looked at the window in front
    return true;
  }
  ~Desk() {
    if (program) program->Kill();
    if (launcher) launcher->Kill();
  }
};

// The pointer along a circle in the left half for `seconds`, a move every
// 10 ms; returns the launcher's wake-ups per second meanwhile.
double WakeUpsWhileMoving(double seconds) {
  const std::string pid = LauncherUnixProcess();
  if (pid.empty()) return -1;
  const PerThread before = ThreadCounts(pid, true);
  const double start = Now();
  for (int i = 0; Now() - start < seconds * 1000; ++i) {
    SendMove(200 + (i % 40) * 5, 300 + ((i / 40) % 2) * 20);
    Pump(10);
  }
  return static_cast<double>(Added(before, ThreadCounts(pid, true))) / ((Now() - start) / 1000);
}

// Touches of the edge until the popup shows; the median in ms.
double TouchToShow(const Desk& desk, int touches) {
  std::vector<double> times;
  for (int i = 0; i < touches; ++i) {
    MoveMouse(100, 300);
    Pump(300);
    const double start = Now();
    SendMove(700 + i, 0);
    if (!PumpUntil(3000, [&] { return IsWindowVisible(desk.window) != FALSE; })) continue;
    times.push_back(Now() - start);
  }
  MoveMouse(100, 300);
  if (times.empty()) return -1;
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The launcher's CPU time in ms per second while the pointer rests in the
// left half (the scheduler's own count: the system's process times come in
// steps of 15 ms here).
double CpuPerSecondAtRest(double seconds) {
  MoveMouse(300, 400);
  Pump(300);
  const std::string pid = LauncherUnixProcess();
  const PerThread before = ThreadCounts(pid, false);
  const double start = Now();
  Pump(static_cast<DWORD>(seconds * 1000));
  return static_cast<double>(Added(before, ThreadCounts(pid, false))) / 1e6 / ((Now() - start) / 1000);
}

int Run() {
  if (!UnderWine()) {
    std::printf("edge watch: wake-ups are read from Wine's /proc; not measured here\n");
    return 0;
  }
  // A program that keeps the hook library out, as the scenarios make one.
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\NoHook.exe\\DllOverrides", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 1;
  RegSetValueExA(key, "qvlhook", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);
  const std::string bin = FolderFromEnvironment("QV_BIN_DIR");
  constexpr double kSeconds = 4;

  double withEye = 0, withoutEye = 0;
  {
    Desk desk;
    if (!desk.Start("", "Plain.exe")) return 1;
    withEye = WakeUpsWhileMoving(kSeconds);
  }
  {
    Desk desk;
    if (!desk.Start(bin + "qv_launcher_nowatch.exe", "Plain.exe")) return 1;
    withoutEye = WakeUpsWhileMoving(kSeconds);
  }
  std::printf("edge watch: launcher wake-ups/s while the pointer moves over an ordinary window: "
              "%.1f built with its own eye, %.1f without (ratio %.2f; Wine tells of no new window in front, "
              "so the launcher asks twice a second there)\n",
              withEye, withoutEye, withoutEye > 0 ? withEye / withoutEye : 0.0);

  double hookShow = 0, hookCpu = 0, eyeShow = 0, eyeCpu = 0;
  {
    Desk desk;
    if (!desk.Start("", "Plain.exe")) return 1;
    hookShow = TouchToShow(desk, 15);
    hookCpu = CpuPerSecondAtRest(kSeconds);
  }
  {
    Desk desk;
    if (!desk.Start("", "NoHook.exe")) return 1;
    eyeShow = TouchToShow(desk, 15);
    eyeCpu = CpuPerSecondAtRest(kSeconds);
  }
  std::printf("edge watch: touch to popup, median of 15: %.1f ms watched by the launcher, %.1f ms by the hook "
              "(ratio %.2f)\n",
              eyeShow, hookShow, hookShow > 0 ? eyeShow / hookShow : 0.0);
  std::printf("edge watch: launcher CPU time per second, pointer at rest: %.2f ms while watching, %.2f ms over an "
              "ordinary window (difference %.2f ms)\n",
              eyeCpu, hookCpu, eyeCpu - hookCpu);
  return 0;
}

}  // namespace

int main() { return RecordExit(Run()); }
