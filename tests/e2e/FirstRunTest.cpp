// The first start after an installation, driven against the real
// QUORVEL.EXE: the installer's marker, the documentation group and the three
// shortcuts it leads to, the message that says how to call the launcher, and
// every later start that must do nothing of it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "LauncherTest.h"

namespace e2e {
namespace {

constexpr char kDocumentation[] = "Quorvel! Documentation";
constexpr char kManualLink[] = "Quorvel! Documentation\\Quorvel! Manual.LNK";

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class FirstRun : public LauncherTest {
 protected:
  void SetUp() override {
    startupLink = ShellFolder(CSIDL_STARTUP) + "Quorvel!.LNK";
    desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "Quorvel!.LNK";
    ASSERT_NE(startupLink, "Quorvel!.LNK");
    ASSERT_NE(desktopLink, "Quorvel!.LNK");
  }
  // The shell folders are the session's, shared by every scenario.
  void TearDown() override {
    LauncherTest::TearDown();
    DeleteFileA(startupLink.c_str());
    DeleteFileA(desktopLink.c_str());
  }

  // Starts the launcher with the marker in place and answers its message;
  // the launcher then goes on to hide as on any start.
  void StartFirstTime() {
    launcher = std::make_unique<Process>("\"" + folder.Launcher() + "\"");
    ASSERT_TRUE(launcher->started());
    MessageBoxView box = WaitForMessageBox(launcher->id(), "Setup Complete!");
    ASSERT_NE(box.window, nullptr) << "no \"Setup Complete!\" message";
    EXPECT_EQ(box.text,
              "Thank you for trying Quorvel!\n\nQuorvel! has added itself to your Windows\n"
              "Startup folder so that it will run automatically\nwhenever Windows starts.\n\n"
              "Also, a shortcut to Quorvel! has been placed\non your desktop.\n\n"
              "To access Quorvel!, move the mouse pointer\nto the very top/middle of your screen.\n\n"
              "Now you're ready to Quorvel!");
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    window = FindTopLevel(launcher->id(), "<QUORVEL>");
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(box.owner, window);
    // The groups are read after the installation, so the popup has none yet.
    EXPECT_FALSE(FileExists(folder.File("QUORVEL.DAT"))) << "the marker outlived the installation";
    Snapshot("setup-complete.png");
    ClickButton(box.window, IDOK);
    // The message came before the window was first shown; the rest of the
    // start-up follows it.
    ASSERT_TRUE(PumpUntil(5000, [this] { return hook.window() == window; }));
    ASSERT_TRUE(launcher->WaitForIdle(10000));
    ASSERT_TRUE(PumpUntil(5000, [this] { return !IsWindowVisible(window); }));
    list = GetDlgItem(window, kShortcutList);
    strip = hook.triggerStrip();
    Rest();
  }

  // A link as the installation makes them: no hot key, the icon of the
  // target itself.
  void ExpectLink(const std::string& link, const std::string& target, const std::string& description) {
    const LinkView view = ReadShellLink(link);
    ASSERT_TRUE(view.read) << link;
    EXPECT_EQ(view.target, target) << link;
    EXPECT_EQ(view.description, description) << link;
    EXPECT_EQ(view.iconFile, target) << link;
    EXPECT_EQ(view.iconIndex, 0) << link;
    EXPECT_EQ(view.hotKey, 0) << link;
  }

  void ExpectNothingMade() {
    EXPECT_FALSE(FileExists(folder.File(kDocumentation)));
    EXPECT_FALSE(FileExists(startupLink));
    EXPECT_FALSE(FileExists(desktopLink));
  }

  std::string startupLink;
  std::string desktopLink;
};

// Without a marker the launcher starts as ever: Start() only returns once the
// launcher has hidden itself, which a waiting message would prevent. A
// folder of the marker's name is somebody's group, never a marker.
TEST_F(FirstRun, WithoutAMarkerFileNothingIsMadeAndNothingIsSaid) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(FindTopLevel(launcher->id(), "Setup Complete!"), nullptr);
  ExpectNothingMade();
  ExitLauncher();

  ASSERT_NO_FATAL_FAILURE(Group("QUORVEL.DAT", {"Notes.txt"}));
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(FindTopLevel(launcher->id(), "Setup Complete!"), nullptr);
  ExpectNothingMade();
  EXPECT_TRUE(FileExists(folder.File("QUORVEL.DAT\\Notes.txt")));
}

// The installer's marker may come read-only; it still goes, so the
// installation runs once and only once.
TEST_F(FirstRun, TheMarkerMakesTheDocumentationGroupAndTheShortcutsOnce) {
  ASSERT_TRUE(WriteTextFile(folder.File("MANUAL.TXT"), "The manual.\r\n"));
  ASSERT_TRUE(WriteTextFile(folder.File("QUORVEL.DAT")));
  ASSERT_TRUE(SetFileAttributesA(folder.File("QUORVEL.DAT").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_NO_FATAL_FAILURE(StartFirstTime());

  EXPECT_TRUE(IsFolder(folder.File(kDocumentation)));
  ExpectLink(folder.File(kManualLink), folder.File("MANUAL.TXT"), "Quorvel! Manual");
  ExpectLink(startupLink, folder.Launcher(), "Quorvel!");
  ExpectLink(desktopLink, folder.Launcher(), "Quorvel!");

  // The popup offers the manual from this first start on.
  ASSERT_TRUE(Show());
  MoveTo(RowPoint(Expected({kDocumentation}), 0));
  EXPECT_TRUE(PumpUntil(3000, [this] { return ListTexts(list) == std::vector<std::string>{"Quorvel! Manual"}; }));
  Rest();
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  ExitLauncher();

  // A shortcut the user removed stays removed at the next start.
  ASSERT_TRUE(DeleteFileA(startupLink.c_str()));
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(FindTopLevel(launcher->id(), "Setup Complete!"), nullptr);
  EXPECT_FALSE(FileExists(startupLink));
}

// A documentation group that is already there keeps what the user put in
// it; the shortcuts of the same names are written afresh.
TEST_F(FirstRun, AnExistingDocumentationGroupIsReusedAndOldShortcutsReplaced) {
  ASSERT_NO_FATAL_FAILURE(Group(kDocumentation, {"Notes.txt"}));
  ASSERT_TRUE(WriteTextFile(folder.File("Elsewhere.txt")));
  ASSERT_TRUE(MakeShellLink(folder.File(kManualLink), folder.File("Elsewhere.txt")));
  ASSERT_TRUE(MakeShellLink(desktopLink, folder.File("Elsewhere.txt")));
  ASSERT_TRUE(WriteTextFile(folder.File("QUORVEL.DAT")));
  ASSERT_NO_FATAL_FAILURE(StartFirstTime());

  EXPECT_TRUE(FileExists(folder.File(std::string(kDocumentation) + "\\Notes.txt")));
  ExpectLink(folder.File(kManualLink), folder.File("MANUAL.TXT"), "Quorvel! Manual");
  ExpectLink(startupLink, folder.Launcher(), "Quorvel!");
  ExpectLink(desktopLink, folder.Launcher(), "Quorvel!");
}

// The same first start from a folder named with a common family name, two
// kanji, in a session on the Japanese code page (its own test entry sets the
// locale): as the launcher runs today, in UTF-8, and as a Windows before 10
// version 1903 runs it, on code page 932. There the kanji's bytes are
// 93 63 92 86: read byte by byte the first trail byte is a lower-case "c",
// and a folder name changed there names nothing.
class FirstRunJapanese : public FirstRun {};

TEST_F(FirstRunJapanese, AFolderWithDoubleByteCharactersHoldsTheMarkerAndTheGroups) {
  ASSERT_EQ(SystemAnsiCodePage(), 932u) << "the session does not run on code page 932: is the locale ja_JP.UTF-8 there?";
  for (const UINT codePage : {UINT{CP_UTF8}, UINT{932}}) {
    SCOPED_TRACE("on code page " + std::to_string(codePage));
    const std::string home = folder.File(codePage == CP_UTF8 ? "\xE7\x94\xB0\xE4\xB8\xAD\\" : "932 \xE7\x94\xB0\xE4\xB8\xAD\\");
    ASSERT_TRUE(CreateDirectoryA(home.c_str(), nullptr));
    for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL"})
      ASSERT_TRUE(CopyFileA(folder.File(file).c_str(), (home + file).c_str(), FALSE)) << file;
    if (codePage != CP_UTF8) {
      ASSERT_TRUE(DropUtf8CodePage(home + "QUORVEL.EXE"));
    }
    ASSERT_TRUE(WriteTextFile(home + "MANUAL.TXT", "The manual.\r\n"));
    ASSERT_TRUE(WriteTextFile(home + "QUORVEL.DAT"));

    launcher = std::make_unique<Process>("\"" + home + "QUORVEL.EXE\"");
    ASSERT_TRUE(launcher->started());
    window = WaitForLauncher(*launcher);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = WaitForMessageBox(launcher->id(), "Setup Complete!");
    ASSERT_NE(box.window, nullptr) << "the marker in " << home << " was not found";
    ClickButton(box.window, IDOK);
    ASSERT_TRUE(launcher->WaitForIdle(10000));
    ASSERT_TRUE(PumpUntil(5000, [this] { return !IsWindowVisible(window); }));
    EXPECT_TRUE(CallInProcess(launcher->id(), FolderFromEnvironment("QV_BIN_DIR") + "qv_topbar.dll", "IsCodePage",
                              reinterpret_cast<void*>(UINT_PTR{codePage})));

    EXPECT_FALSE(FileExists(home + "QUORVEL.DAT"));
    if (codePage == CP_UTF8) {
      ExpectLink(home + kManualLink, home + "MANUAL.TXT", "Quorvel! Manual");
      ExpectLink(desktopLink, home + "QUORVEL.EXE", "Quorvel!");
    } else {
      // A link written on code page 932 keeps its path in that code page's
      // bytes, and Wine reads them in the reader's code page, here UTF-8.
      EXPECT_TRUE(FileExists(home + kManualLink));
      EXPECT_TRUE(FileExists(desktopLink));
    }
    ASSERT_NO_FATAL_FAILURE(ExitLauncher());
    ASSERT_TRUE(DeleteFileA(desktopLink.c_str()));
  }
}

}  // namespace
}  // namespace e2e
