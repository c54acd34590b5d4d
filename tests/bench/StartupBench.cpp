// Under Wine (or Windows), from outside the launcher's process: how long the
// real launcher takes from its start until the pointer at the edge can
// reach it, with 0, 2,000 and 10,000 shortcuts, against the empty start
// measured in the same run; and the longest pause of its window's thread
// while it reloads 10,000 shortcuts, against the same window while idle.
// QV_BEFORE_BIN may name another build's folder (QUORVEL.EXE, QVLHOOK.DLL):
// then that build is measured too and the two are compared. Prints figures
// and ratios; asserts nothing timed.
#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "ExitRecord.h"
#include "TempTree.h"
#include "Timing.h"
#include "resource.h"

using namespace e2e;
using bench::Now;
using bench::Percentile;

namespace {

constexpr int kGroups = 20;
constexpr int kSizes[] = {0, 2000, 10000};
constexpr double kLongStartMs = 20000;  // a start this long is the only one of its size
constexpr double kStartTimeoutMs = 300000;
constexpr DWORD kTripTimeoutMs = 5000;
constexpr double kSlowTripMs = 5;

int uncleanExits = 0;

std::string Numbered(const char* prefix, int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s %03d", prefix, n);
  return text;
}

// Shortcuts with a few different icons: most to one program, the rest to
// two others and to one with an icon of its own in a library.
struct Seed {
  const char* name;
  const char* target;
  const char* iconFile;
  int iconIndex;
};
constexpr Seed kSeeds[] = {
    {"notepad.LNK", "C:\\windows\\notepad.exe", nullptr, 0},
    {"regedit.LNK", "C:\\windows\\regedit.exe", nullptr, 0},
    {"winhlp32.LNK", "C:\\windows\\winhlp32.exe", nullptr, 0},
    {"folder.LNK", "C:\\windows\\notepad.exe", "C:\\windows\\system32\\shell32.dll", 3},
};

// One build's program folder with `total` shortcuts in 20 groups, copies
// of the seeds (writing them all through COM would take longer than the
// starts); removed with everything in it when this goes.
struct Tree {
  Tree(const std::string& bin, const std::vector<std::string>& seeds, int total) : folder(FolderOf(bin)) {
    for (int g = 0; g < kGroups && total > 0 && made; ++g) {
      const std::string group = folder.File(Numbered("Group", g)) + "\\";
      made = CreateDirectoryA(group.c_str(), nullptr) != FALSE;
      for (int s = 0; s < total / kGroups && made; ++s) {
        const std::string& seed = seeds[s % 4 == 3 ? 1 + (s / 4) % 3 : 0];
        made = CopyFileA(seed.c_str(), (group + Numbered("Program", s) + ".LNK").c_str(), FALSE) != FALSE;
      }
    }
  }
  ~Tree() {
    testtree::RemoveTree(folder.path().substr(0, folder.path().size() - 1));
    if (GetFileAttributesA(folder.path().c_str()) != INVALID_FILE_ATTRIBUTES)
      std::printf("  left %s\n", folder.path().c_str());
  }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  // The driver's program folders copy the files of QV_BIN_DIR.
  static ProgramFolder FolderOf(const std::string& bin) {
    _putenv(("QV_BIN_DIR=" + bin).c_str());
    return ProgramFolder();
  }
  ProgramFolder folder;
  bool made = true;
};

struct Started {
  std::unique_ptr<Process> process;  // ended by force if still running when this goes
  HWND window = nullptr;
  double readyMs = -1;
};

// From CreateProcess until the hook's registered window is this launcher's
// own: from then on the pointer at the edge reaches it.
Started Start(const ProgramFolder& folder, const HookLibrary& hook) {
  Started s;
  const double start = Now();
  s.process = std::make_unique<Process>("\"" + folder.Launcher() + "\"");
  // The shared variable is read every millisecond; the system is asked
  // about the process only now and then, not to slow the start it times.
  for (int i = 0; s.process->started() && Now() - start < kStartTimeoutMs; ++i) {
    const HWND window = hook.window();
    if (window != nullptr && ProcessOf(window) == s.process->id() && WindowText(window) == "<QUORVEL>") {
      s.readyMs = Now() - start;
      s.window = window;
      break;
    }
    if (i % 100 == 0 && !s.process->Running()) break;
    Sleep(1);
  }
  return s;
}

// Ends the launcher as a person does, once its start-up is over: Exit, then
// Yes in "Exit Quorvel!".
void Exit(Started& s) {
  const bool ready = s.process->WaitForIdle(60000) && PumpUntil(10000, [&] { return !IsWindowVisible(s.window); });
  if (ready) ClickButton(s.window, IDCANCEL);
  const MessageBoxView box = ready ? WaitForMessageBox(s.process->id(), "Exit Quorvel!") : MessageBoxView{};
  if (box.window != nullptr) ClickButton(box.window, IDYES);
  if (box.window == nullptr || !s.process->WaitForExit(60000)) {
    std::printf("  the launcher did not exit as asked\n");
    ++uncleanExits;
  }
}

// The median ready time of up to `most` starts, fewer once `budgetMs` is
// spent or a start took over 20 s; -1 when a start failed. The last
// launcher is left running in `kept` when that is given.
double MedianStart(const ProgramFolder& folder, int most, double budgetMs, int& runs, Started* kept) {
  const HookLibrary hook(folder.File("QVLHOOK.DLL"));
  if (!hook.loaded()) return -1;
  std::vector<double> times;
  for (double spent = 0;;) {
    Started s = Start(folder, hook);
    if (s.readyMs < 0) return -1;
    times.push_back(s.readyMs);
    spent += s.readyMs;
    const bool more = static_cast<int>(times.size()) < most && spent < budgetMs && s.readyMs <= kLongStartMs;
    if (!more && kept != nullptr) {
      *kept = std::move(s);
      break;
    }
    Exit(s);
    if (!more) break;
  }
  runs = static_cast<int>(times.size());
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The CPU time another process's threads use, one thread left out (the
// window's, which the round trips themselves keep busy). Read thread by
// thread: Wine answers GetProcessTimes of another process with zeros.
class CpuWatch {
 public:
  CpuWatch(DWORD processId, DWORD skipThread) : processId_(processId), skipThread_(skipThread) { Used(); }
  // Ms used since the last call; -1 when nothing could be read.
  double Used() {
    double used = -1;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != processId_ || entry.th32ThreadID == skipThread_) continue;
      const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
      FILETIME created, ended, kernel, user;
      if (thread != nullptr && GetThreadTimes(thread, &created, &ended, &kernel, &user)) {
        const double ms = Ms(kernel) + Ms(user);
        double& last = seen_[entry.th32ThreadID];  // 0 for a thread not seen before
        used = std::max(used, 0.0) + ms - last;
        last = ms;
      }
      if (thread != nullptr) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return used;
  }

 private:
  static double Ms(FILETIME t) {
    return static_cast<double>((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e4;
  }
  DWORD processId_, skipThread_;
  std::map<DWORD, double> seen_;
};

constexpr double kCheckMs = 250;
bool Busy(double usedMs, double spanMs) { return usedMs > 0.05 * spanMs; }  // over 5% of a core

// Waits until the launcher has used under 5% of a core for a second (at
// most `timeoutMs`); the wait in ms, or -1 when it never went quiet.
double WaitUntilQuiet(CpuWatch& cpu, double timeoutMs) {
  const double start = Now();
  for (double quietSince = start, checked = start; Now() - start < timeoutMs;) {
    Pump(static_cast<DWORD>(kCheckMs));
    if (Busy(cpu.Used(), Now() - checked)) quietSince = Now();
    checked = Now();
    if (checked - quietSince >= 1000) return quietSince - start;
  }
  return -1;
}

struct Trips {
  std::vector<double> ms;  // an unanswered one counts until the next answer
  int timedOut = 0;
  double spanMs = 0;
  double Longest() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// WM_NULL round trips to `window`, back to back, for at least `minMs`, and
// on (at most `maxMs`) until a second has passed since the last one over
// `slowMs` and since the launcher's other threads last used the CPU (when
// `cpu` is given).
Trips RoundTrips(HWND window, double minMs, double maxMs, double slowMs, CpuWatch* cpu) {
  Trips t;
  const double begin = Now();
  double lastSlow = begin, lastBusy = begin, checked = begin, unanswered = -1;
  for (;;) {
    if (cpu != nullptr && Now() - checked >= kCheckMs) {
      if (Busy(cpu->Used(), Now() - checked)) lastBusy = Now();
      checked = Now();
    }
    const double start = Now();
    const double quiet = std::min(start - lastSlow, cpu != nullptr ? start - lastBusy : 1e9);
    if (start - begin >= maxMs || (start - begin >= minMs && quiet >= 1000)) break;
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kTripTimeoutMs, &result) != 0;
    const double end = Now();
    if (!answered) {
      if (!IsWindow(window)) break;
      ++t.timedOut;
      if (unanswered < 0) unanswered = start;
      lastSlow = end;
      continue;
    }
    t.ms.push_back(end - (unanswered >= 0 ? unanswered : start));
    unanswered = -1;
    if (t.ms.back() > slowMs) lastSlow = end;
  }
  if (unanswered >= 0) t.ms.push_back(Now() - unanswered);
  t.spanMs = Now() - begin;
  return t;
}

struct Pauses {
  double idleLongest = -1, idleP99 = -1, longest = -1, p99 = -1;
  std::string report;  // printed after the start times
};

__attribute__((format(gnu_printf, 2, 3))) void Add(std::string& text, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  text += line;
}

// The 10,000-shortcut launcher, hidden and settled: round trips while it is
// idle, then while it reloads after a click on Refresh.
Pauses RefreshPauses(const char* label, Started& s) {
  Pauses p;
  if (!s.process->WaitForIdle(60000) || !PumpUntil(10000, [&] { return !IsWindowVisible(s.window); })) return p;
  CpuWatch all(s.process->id(), 0);
  const double settled = WaitUntilQuiet(all, 180000);
  const Trips idle = RoundTrips(s.window, 3000, 3000, 0, nullptr);
  if (idle.ms.empty()) return p;
  p.idleLongest = idle.Longest();
  p.idleP99 = Percentile(idle.ms, 0.99);
  char quiet[64] = "its CPU never quiet";
  if (settled >= 0) std::snprintf(quiet, sizeof quiet, "its CPU quiet %.1f s after start-up", settled / 1000);
  Add(p.report, "  %s idle (%s): %zu round trips in %.1f s, longest %.3f ms, p99 %.3f ms\n", label, quiet,
      idle.ms.size(), idle.spanMs / 1000, p.idleLongest, p.idleP99);

  // The click as the dialog receives it; BM_CLICK would also move the focus
  // and the capture of the hidden window.
  CpuWatch others(s.process->id(), GetWindowThreadProcessId(s.window, nullptr));
  PostMessageA(s.window, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(s.window, IDC_REFRESH)));
  // Slow: longer than any while idle, the machine's own hiccups.
  const Trips busy = RoundTrips(s.window, 3000, 240000, std::max(kSlowTripMs, p.idleLongest), &others);
  if (busy.ms.empty()) return p;
  p.longest = busy.Longest();
  p.p99 = Percentile(busy.ms, 0.99);
  Add(p.report,
      "  %s refresh: %zu round trips in %.1f s (%d timed out after %lu ms), longest %.3f ms (%.1f x idle), "
      "p99 %.3f ms (%.1f x idle)\n",
      label, busy.ms.size(), busy.spanMs / 1000, busy.timedOut, kTripTimeoutMs, p.longest, p.longest / p.idleLongest,
      p.p99, p.p99 / p.idleP99);
  return p;
}

struct Figures {
  double startMs[3] = {-1, -1, -1};
  Pauses pauses;
};

int Run() {
  const double begin = Now();
  char temp[MAX_PATH], unique[64];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  std::snprintf(unique, sizeof unique, "qv-startup-bench-%lu\\", GetCurrentProcessId());
  const std::string seedFolder = std::string(temp, length < MAX_PATH ? length : 0) + unique;
  if (length == 0 || length >= MAX_PATH || !CreateDirectoryA(seedFolder.c_str(), nullptr)) {
    std::fprintf(stderr, "cannot create %s in the temp folder\n", unique);
    return 1;
  }
  struct Cleanup {
    std::string path;
    ~Cleanup() {
      testtree::RemoveTree(path.substr(0, path.size() - 1));
      RemoveDirectoryA("C:\\QV");  // the driver's folder of program folders, when nothing else is left in it
    }
  } cleanup{seedFolder};
  std::vector<std::string> seeds;
  for (const Seed& seed : kSeeds) {
    seeds.push_back(seedFolder + seed.name);
    if (!MakeShellLink(seeds.back(), seed.target, seed.iconFile != nullptr ? seed.iconFile : "", seed.iconIndex)) {
      std::fprintf(stderr, "cannot make the shortcut %s\n", seeds.back().c_str());
      return 1;
    }
  }

  struct Build {
    const char* label;
    std::string bin;
    Figures figures;
  };
  std::vector<Build> builds;
  const char* after = std::getenv("QV_BIN_DIR");
  const char* before = std::getenv("QV_BEFORE_BIN");
  if (after == nullptr) {
    std::fprintf(stderr, "QV_BIN_DIR is not set\n");
    return 1;
  }
  if (before != nullptr && *before != '\0') builds.push_back({"before", before, {}});
  builds.push_back({builds.empty() ? "this build" : "after", after, {}});

  const RECT work = WorkArea();
  MoveMouse(100, (work.top + work.bottom) / 2);  // the left half: nothing to show

  std::printf("== ready for the pointer: CreateProcess until the hook's window is the launcher's; %d groups of .LNK "
              "files, the median of a few starts\n",
              kGroups);
  for (int i = 0; i < 3; ++i) {
    const int total = kSizes[i];
    for (Build& build : builds) {
      const double made = Now();
      const Tree tree(build.bin, seeds, total);
      if (!tree.made) {
        std::fprintf(stderr, "cannot write %d shortcuts in %s\n", total, tree.folder.path().c_str());
        return 1;
      }
      const double writtenMs = Now() - made;
      int runs = 0;
      Started kept;
      const bool last = i == 2;
      const double ms = MedianStart(tree.folder, i == 0 ? 7 : 5, i == 0 ? 15000 : 40000, runs, last ? &kept : nullptr);
      Figures& f = build.figures;
      f.startMs[i] = ms;
      if (ms < 0) {
        std::fprintf(stderr, "the %s launcher with %d shortcuts did not get ready\n", build.label, total);
        return 1;
      }
      std::printf("  %s, %5d shortcuts: %9.1f ms (%d start%s; shortcuts written in %.1f s)", build.label, total, ms,
                  runs, runs == 1 ? "" : "s", writtenMs / 1000);
      if (i == 0) std::printf("\n");
      else std::printf(", %.2f x 0 shortcuts (goal within %s x)\n", ms / f.startMs[0], i == 1 ? "1.5" : "2");
      if (!last) continue;
      f.pauses = RefreshPauses(build.label, kept);
      Exit(kept);
      if (f.pauses.longest < 0) {
        std::fprintf(stderr, "%sno round trips with the %s launcher\n", f.pauses.report.c_str(), build.label);
        return 1;
      }
    }
  }
  std::printf("== the window's thread during a Refresh of %d shortcuts: WM_NULL round trips back to back, against "
              "the same while idle (goal longest under 50 ms)\n",
              kSizes[2]);
  for (const Build& build : builds) std::printf("%s", build.figures.pauses.report.c_str());

  if (builds.size() == 2) {
    const Figures &b = builds[0].figures, &a = builds[1].figures;
    std::printf("== after / before\n");
    for (int i = 0; i < 3; ++i)
      std::printf("  ready with %5d shortcuts: %.3f (ratio to 0 shortcuts: %.2f before, %.2f after)\n", kSizes[i],
                  a.startMs[i] / b.startMs[i], b.startMs[i] / b.startMs[0], a.startMs[i] / a.startMs[0]);
    std::printf("  refresh, longest round trip: %.3f; p99: %.3f\n", a.pauses.longest / b.pauses.longest,
                a.pauses.p99 / b.pauses.p99);
  }
  std::printf("total %.1f s\n", (Now() - begin) / 1000);
  return uncleanExits == 0 ? 0 : 1;
}

}  // namespace

int main() { return e2e::RecordExitWithCom(Run); }
