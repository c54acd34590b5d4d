// The popup over programs that the launcher's own hook does not reach: a
// program of the other width, whose hook the companion installs, and a
// program that keeps the hook library out, over which the launcher watches
// the pointer itself. And the edge armed again after what may undo it, with
// the notification icon's tip saying how it stands.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "LauncherTest.h"

namespace e2e {
namespace {

constexpr UINT kShowRequest = WM_USER + 1;

bool RunsUnderWow64(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  BOOL wow64 = FALSE;
  if (process != nullptr) {
    IsWow64Process(process, &wow64);
    CloseHandle(process);
  }
  return wow64 != FALSE;
}

bool WindowsIs64Bit() { return sizeof(void*) == 8 || RunsUnderWow64(GetCurrentProcessId()); }

// A module of that name among the process's modules, of either width.
bool HoldsModule(DWORD processId, const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  bool found = false;
  for (BOOL more = Module32First(snapshot, &module); more && !found; more = Module32Next(snapshot, &module))
    found = lstrcmpiA(module.szModule, name) == 0;
  CloseHandle(snapshot);
  return found;
}

// The one process of that file name that runs now; 0 for none.
DWORD ProcessNamed(const char* exe) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 process{};
  process.dwSize = sizeof process;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process))
    if (lstrcmpiA(process.szExeFile, exe) == 0) found = process.th32ProcessID;
  CloseHandle(snapshot);
  return found;
}

class OtherWidth : public LauncherTest {
 protected:
  // A program whose windows cover the left half and the top edge, short of
  // the task bar, as `exe` in the program folder.
  void StartProgram(const std::string& bin, const std::string& exe) {
    ASSERT_TRUE(CopyFileA((bin + "qv_mark.exe").c_str(), folder.File(exe).c_str(), FALSE));
    other = std::make_unique<Process>("\"" + folder.File(exe) + "\" /window 0 0 1024 700");
    otherWindow = WaitForTopLevel(other->id(), "mark window", 10000);
    ASSERT_NE(otherWindow, nullptr);
    ASSERT_TRUE(other->WaitForIdle(10000));
    // In front, as the program the user works in.
    ClickAt(100, 300);
    ASSERT_TRUE(PumpUntil(3000, [this] { return GetForegroundWindow() == otherWindow; }));
  }
  void TearDown() override {
    if (other) other->Kill();
    LauncherTest::TearDown();
  }

  std::unique_ptr<Process> other;
  HWND otherWindow = nullptr;
};

TEST_F(OtherWidth, ThePopupComesOverItWithTheKeyboard) {
  if (!WindowsIs64Bit()) GTEST_SKIP() << "a 32-bit Windows runs no programs of the other width";
  ASSERT_TRUE(CopyFileA((FolderFromEnvironment("QV_BIN_DIR") + "qv_mark.exe").c_str(),
                        folder.File("Target.exe").c_str(), FALSE));
  Group("Tools", {});
  ASSERT_TRUE(MakeShellLink(folder.File("Tools\\Target.lnk"), folder.File("Target.exe")));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(StartProgram(FolderFromEnvironment("QV_OTHER_BIN_DIR"), "Other.exe"));
  ASSERT_NE(RunsUnderWow64(other->id()), RunsUnderWow64(GetCurrentProcessId())) << "not of the other width";
  const qv::PopupLayout layout = Expected({"Tools"});

  // The companion's hook where the system goes on along the hook chain to
  // it (Windows), the launcher's own eye elsewhere (Wine).
  ASSERT_TRUE(Show()) << DescribeDesktop();
  ASSERT_TRUE(PumpUntil(3000, [this] { return GetForegroundWindow() == window; })) << "no keyboard";
  PressKey(VK_DOWN);
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 0); }));
  PressKey(VK_RIGHT);
  ASSERT_TRUE(PumpUntil(3000, [&] { return SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 0; }));
  PressKey(VK_RETURN);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_TRUE(PumpUntil(10000, [&] { return ReadTextFile(folder.File("Target.log")).find("Target.exe") !=
                                              std::string::npos; }))
      << "Enter did not start the shortcut";

  // Held buttons: a drag begun in that program neither shows nor hides it.
  ClickAt(100, 300);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  MoveMouse((strip.left + strip.right) / 2, strip.top);
  Pump(500);
  EXPECT_FALSE(Visible()) << "a drag to the top edge showed the popup";
  MoveMouse((strip.left + strip.right) / 2, 300);
  SendMessageA(window, kShowRequest, 0, 0);
  ASSERT_TRUE(Visible());
  MoveMouse(100, 300);
  Pump(500);
  EXPECT_TRUE(Visible()) << "a drag out of the right half hid the popup";
  MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(HiddenAfterMoveTo(101, 300));

  // The companion ended from outside is started again, once; without it
  // the launcher goes on.
  const DWORD companion = ProcessNamed("QVLHOOK32.EXE");
  ASSERT_NE(companion, 0u);
  for (int round = 0; round < 2; ++round) {
    const DWORD running = ProcessNamed("QVLHOOK32.EXE");
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, running);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    if (round == 0) {
      EXPECT_TRUE(PumpUntil(5000, [&] { const DWORD now = ProcessNamed("QVLHOOK32.EXE");
                                        return now != 0 && now != running; }));
    }
  }
  Pump(1000);
  EXPECT_EQ(ProcessNamed("QVLHOOK32.EXE"), 0u) << "started again more than once";
  EXPECT_TRUE(Show()) << "the launcher stopped with its companion";
  EXPECT_TRUE(HiddenAfterMoveTo(100, 300));
}

TEST_F(OtherWidth, WhereTheHookIsKeptOutTheLauncherWatchesThePointer) {
  // Wine's own setting for one program, as a program that loads no hook.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\NoHook.exe\\DllOverrides", 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "qvlhook", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);
  Group("Tools", {"t.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(StartProgram(FolderFromEnvironment("QV_BIN_DIR"), "NoHook.exe"));
  const std::string watching = "Quorvel! - ready (watching the pointer over this window)";
  EXPECT_TRUE(PumpUntil(3000, [&] { return TrayTip() == watching; })) << TrayTip();

  ASSERT_TRUE(Show()) << DescribeDesktop();
  EXPECT_FALSE(HoldsModule(other->id(), "QVLHOOK.DLL")) << "the program loaded the hook after all";
  EXPECT_TRUE(HiddenAfterMoveTo(100, 300));
}

TEST_F(OtherWidth, TheEdgeIsArmedAgainWhereItWasUndone) {
  Group("Tools", {"t.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_EQ(hook.Registered(), window);
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  // A record that names no window any more, each time mended by another
  // event: the shell started again, a new display mode, and otherwise the
  // launcher's own look every few seconds.
  const struct {
    const char* what;
    UINT message;
  } events[] = {{"shell restart", taskbarCreated}, {"display change", WM_DISPLAYCHANGE}, {"no event", 0}};
  for (const auto& event : events) {
    SCOPED_TRACE(event.what);
    hook.Register(nullptr);
    ASSERT_EQ(hook.Registered(), nullptr);
    if (event.message != 0) SendMessageA(window, event.message, 0, 0);
    EXPECT_TRUE(PumpUntil(event.message != 0 ? 1000 : 7000, [this] { return hook.Registered() == window; }));
    EXPECT_TRUE(Show());
    EXPECT_TRUE(HiddenAfterMoveTo(100, 300));
  }
  EXPECT_EQ(TrayTip().rfind("Quorvel! - ready", 0), 0u) << TrayTip();
}

}  // namespace
}  // namespace e2e
