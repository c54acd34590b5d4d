// Start-up, the single instance, the hook's ownership and the way out,
// driven against the real QUORVEL.EXE.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr char kMarker[] = "<QUORVEL>";
constexpr char kSettingsKey[] = "Software\\Tessmark\\QUORVEL";

bool SettingsExist() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class Startup : public ::testing::Test {
 protected:
  std::string Quoted(const std::string& path) const { return "\"" + path + "\""; }
  std::unique_ptr<Process> Start() { return std::make_unique<Process>(Quoted(folder.Launcher())); }

  // A running launcher, its window found and hidden again.
  HWND StartRunning(std::unique_ptr<Process>& launcher) {
    launcher = Start();
    EXPECT_TRUE(launcher->started());
    HWND window = WaitForLauncher(*launcher);
    EXPECT_NE(window, nullptr) << "the launcher's window never appeared";
    // The title is set early in the initialisation; the rest follows.
    EXPECT_TRUE(launcher->WaitForIdle(10000));
    EXPECT_TRUE(PumpUntil(5000, [window] { return !IsWindowVisible(window); }))
        << "the launcher did not hide itself";
    return window;
  }

  // The "already running" box of a launcher that must not start.
  void ExpectRefusedWithBox(Process& second) {
    MessageBoxView box = WaitForMessageBox(second.id(), "Quorvel!");
    ASSERT_NE(box.window, nullptr) << "no \"Quorvel!\" box";
    EXPECT_EQ(box.text, "Quorvel! is already running!");
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(FindTopLevel(second.id(), kMarker), nullptr) << "the refused launcher made its window";
    Snapshot("already-running.png");
    ClickButton(box.window, IDOK);
    EXPECT_TRUE(second.WaitForExit(10000));
  }

  // Exit, as from the popup's Exit button, answered with `button`.
  void AnswerExit(HWND launcherWindow, const Process& launcher, int button) {
    ClickButton(launcherWindow, IDCANCEL);
    MessageBoxView box = WaitForMessageBox(launcher.id(), "Exit Quorvel!");
    ASSERT_NE(box.window, nullptr) << "no exit confirmation";
    EXPECT_EQ(box.text, "Are you sure you wish to exit Quorvel!?");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box.defaultButton, IDNO);
    EXPECT_EQ(box.owner, launcherWindow);
    Snapshot("exit-confirmation.png");
    ClickButton(box.window, button);
    PumpUntil(5000, [&] { return !IsWindow(box.window); });
  }

  // Exit answered Yes: the process ends, and ends well.
  void ExitWithYes(HWND launcherWindow, Process& launcher) {
    AnswerExit(launcherWindow, launcher, IDYES);
    EXPECT_TRUE(launcher.WaitForExit(10000)) << "the launcher kept running after Yes";
    EXPECT_EQ(launcher.ExitCode(), 0u);
  }

  // The next launcher starts as always, takes the hook and ends well.
  void ExpectNextStartRuns() {
    std::unique_ptr<Process> next;
    HWND nextWindow = StartRunning(next);
    ASSERT_NE(nextWindow, nullptr);
    EXPECT_EQ(hook.window(), nextWindow);
    ExitWithYes(nextWindow, *next);
    EXPECT_EQ(hook.hook(), nullptr);
  }

  ProgramFolder folder;
  HookLibrary hook{folder.File("QVLHOOK.DLL")};
};

TEST_F(Startup, RunsHiddenWithItsMarkerAndHoldsTheHook) {
  ASSERT_TRUE(hook.loaded());
  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);

  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW) << "the popup would get a task-bar button";
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);

  EXPECT_NE(hook.hook(), nullptr);
  EXPECT_EQ(hook.window(), window);
  const RECT work = WorkArea();
  EXPECT_EQ(hook.stayZone().left, work.right / 2);
  EXPECT_EQ(hook.triggerStrip().bottom, work.top + 1);

  ExitWithYes(window, *launcher);
  EXPECT_FALSE(SettingsExist()) << "settings are written only when Setup closes";
}

// Values no launcher wrote, of the wrong type or far too long, and a folder
// full of groups: the launcher starts as always and leaves the values be.
TEST_F(Startup, StartsOverGroupsAndOddSettingsWithoutTouchingThem) {
  for (const char* group : {"Games", "Games\\Deeper", ".config", "Tools 2.5"})
    ASSERT_TRUE(CreateDirectoryA(folder.File(group).c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(folder.Launcher().c_str(), folder.File("Games\\Game.exe").c_str(), FALSE));
  const std::string font = "-9|0|0|0|0|0|0|0|0|0|0|0|0|" + std::string(300, 'N') + std::string(100000, '|');
  const BYTE odd[3] = {1, 2, 3};
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Quorvel").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Font", 0, REG_SZ, reinterpret_cast<const BYTE*>(font.c_str()),
                 static_cast<DWORD>(font.size() + 1));
  RegSetValueExA(key, "ForegroundColor", 0, REG_SZ, reinterpret_cast<const BYTE*>("yellow"), 7);
  RegSetValueExA(key, "BackgroundColor", 0, REG_BINARY, odd, sizeof odd);
  RegSetValueExA(key, "QuietOver", 0, REG_BINARY, odd, sizeof odd);
  const DWORD forever = 0xFFFFFFFF;
  RegSetValueExA(key, "EdgeDelay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&forever), sizeof forever);

  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForMessageBox(launcher->id(), "Insufficient Memory", 500).window, nullptr);
  ExitWithYes(window, *launcher);

  char text[16] = {};
  DWORD type = 0, size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "ForegroundColor", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "yellow");
  size = 0;
  RegQueryValueExA(key, "Font", nullptr, &type, nullptr, &size);
  EXPECT_EQ(size, font.size() + 1);
  RegQueryValueExA(key, "QuietOver", nullptr, &type, nullptr, &size);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  DWORD delay = 0;
  size = sizeof delay;
  RegQueryValueExA(key, "EdgeDelay", nullptr, &type, reinterpret_cast<BYTE*>(&delay), &size);
  EXPECT_EQ(delay, forever);
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

TEST_F(Startup, DoesNotStartWithoutItsHookLibrary) {
  ProgramFolder bare;
  ASSERT_TRUE(DeleteFileA(bare.File("QVLHOOK.DLL").c_str()));
  Process launcher(Quoted(bare.Launcher()));
  ASSERT_TRUE(launcher.started());
  EXPECT_TRUE(launcher.WaitForExit(10000));
  EXPECT_NE(launcher.ExitCode(), 0u);
  EXPECT_EQ(FindTopLevel(launcher.id(), kMarker), nullptr);
}

TEST_F(Startup, SecondLauncherShowsItsBoxAndLeavesTheHookAlone) {
  std::unique_ptr<Process> first;
  HWND window = StartRunning(first);
  ASSERT_NE(window, nullptr);
  const HHOOK hookBefore = hook.hook();
  const RECT zoneBefore = hook.stayZone();
  // Spoil a copy of the zones: a second launcher that touched the library
  // would recompute them.
  hook.stayZone() = RECT{1, 2, 3, 4};

  Process second(Quoted(folder.Launcher()));
  ExpectRefusedWithBox(second);

  EXPECT_EQ(hook.hook(), hookBefore);
  EXPECT_EQ(hook.window(), window);
  EXPECT_EQ(hook.stayZone().right, 3) << "the second launcher touched the hook library";
  hook.stayZone() = zoneBefore;
  EXPECT_TRUE(first->Running());
  EXPECT_EQ(FindTopLevel(first->id(), kMarker), window);

  ExitWithYes(window, *first);
}

TEST_F(Startup, ForeignWindowWithTheExactMarkerBlocksTheStart) {
  OwnWindow foreign(kMarker);  // hidden, as the launcher's own window is
  auto launcher = Start();
  ExpectRefusedWithBox(*launcher);
  EXPECT_EQ(hook.hook(), nullptr);
}

TEST_F(Startup, TitlesThatOnlyResembleTheMarkerDoNotBlock) {
  OwnWindow lower("<quorvel>");
  OwnWindow longer("<QUORVEL> ");
  OwnWindow shorter("<QUORVEL");
  OwnWindow prefixed("x<QUORVEL>");
  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(hook.window(), window);
  ExitWithYes(window, *launcher);
}

TEST_F(Startup, RefusedHookEndsTheLauncherAtOnceAndSilently) {
  // The driver holds this folder's hook, as another launcher would.
  ASSERT_EQ(hook.Install(), 1);
  const HHOOK held = hook.hook();

  auto launcher = Start();
  EXPECT_TRUE(launcher->WaitForExit(10000)) << "the launcher kept running without its hook";
  EXPECT_EQ(launcher->ExitCode(), 0u);
  EXPECT_EQ(FindTopLevel(launcher->id(), "Quorvel!"), nullptr);

  // A launcher that never got the hook must not remove the one it found.
  EXPECT_EQ(hook.hook(), held);
  EXPECT_EQ(hook.window(), nullptr);
  EXPECT_EQ(hook.Uninstall(), 1);
}

TEST_F(Startup, ExitAnsweredYesEndsAndReleasesTheHook) {
  // Even in the middle of fetching a large collection's icons.
  for (const char* group : {"One", "Two", "Three"}) ASSERT_TRUE(MakeLinkGroup(folder.File(group), 400, 4));
  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);

  ExitWithYes(window, *launcher);
  ASSERT_FALSE(launcher->Running());
  EXPECT_EQ(hook.hook(), nullptr);
  EXPECT_EQ(hook.window(), nullptr);

  ExpectNextStartRuns();
}

TEST_F(Startup, ExitAnsweredNoOrEnterKeepsItRunning) {
  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);

  AnswerExit(window, *launcher, IDNO);
  Pump(200);
  EXPECT_TRUE(launcher->Running());
  EXPECT_EQ(hook.window(), window);

  // Escape asks too; Enter takes the default answer, No.
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
  MessageBoxView box = WaitForMessageBox(launcher->id(), "Exit Quorvel!");
  ASSERT_NE(box.window, nullptr) << "Escape did not ask";
  PostMessageA(box.window, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(PumpUntil(5000, [&] { return !IsWindow(box.window); }));
  Pump(200);
  EXPECT_TRUE(launcher->Running());
  EXPECT_NE(hook.hook(), nullptr);

  ExitWithYes(window, *launcher);
}

TEST_F(Startup, EndOfSessionReleasesTheHookOnlyWhenItReallyEnds) {
  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);

  // A cancelled log-off changes nothing.
  SendMessageA(window, WM_ENDSESSION, FALSE, 0);
  EXPECT_NE(hook.hook(), nullptr);
  EXPECT_EQ(hook.window(), window);

  SendMessageA(window, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(hook.hook(), nullptr);
  EXPECT_EQ(hook.window(), nullptr);
  EXPECT_TRUE(launcher->WaitForExit(10000)) << "the launcher outlived the end of the session";
  EXPECT_EQ(launcher->ExitCode(), 0u);

  // The system's close request for an update, with Setup open on the
  // groups: every dialog closes and the launcher ends by itself, so the
  // next one starts.
  ASSERT_TRUE(CreateDirectoryA(folder.File("Games").c_str(), nullptr));
  window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);
  ClickButton(window, 1001);
  ASSERT_NE(WaitForDialog(launcher->id(), "Quorvel! Setup"), nullptr);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_TRUE(launcher->WaitForExit(10000)) << "the close request left the launcher running";
  EXPECT_EQ(launcher->ExitCode(), 0u);
  ExpectNextStartRuns();
}

// A launcher ended from outside leaves its hook recorded for as long as
// some program holds the library, as the driver does here.
TEST_F(Startup, ALauncherEndedFromOutsideDoesNotBlockTheNextStart) {
  std::unique_ptr<Process> launcher;
  HWND window = StartRunning(launcher);
  ASSERT_NE(window, nullptr);
  launcher->Kill();
  ASSERT_NE(hook.hook(), nullptr);
  EXPECT_EQ(hook.window(), window);
  ExpectNextStartRuns();
}

}  // namespace
}  // namespace e2e
