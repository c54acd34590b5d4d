// The installer, end to end: QuorvelSetup.exe installs the program of the
// system's own width silently for the current user (on a 64-bit system with
// the companion for 32-bit programs, which a 32-bit one never keeps), the
// installed launcher finishes the installation on its first start, an update
// replaces an installation of the other width, and the silent uninstaller
// ends the running launcher and takes away everything the two of them made,
// except the user's own group.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Driver.h"

namespace e2e {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel";
constexpr char kSettingsKey[] = "Software\\Tessmark\\QUORVEL";
constexpr char kCompanyKey[] = "Software\\Tessmark";
constexpr char kManualStart[] = "Quorvel! Version 1.52 - User's Manual\r\n";

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(toupper(c)); });
  return text;
}

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ReadString(const char* path, const char* name) {
  char text[1024] = {};
  DWORD size = sizeof text - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return "?";
  return text;
}

// An NSIS uninstaller hands its work to a copy of itself in %TEMP% and ends
// at once; these are the copies it started, ended by force if they outlive
// the scenario.
class Children {
 public:
  explicit Children(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      if (entry.th32ParentProcessID != parent) continue;
      HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                 entry.th32ProcessID);
      if (child != nullptr) handles_.push_back(child);
    }
    CloseHandle(snapshot);
  }
  ~Children() {
    for (HANDLE child : handles_) {
      if (WaitForSingleObject(child, 0) == WAIT_TIMEOUT) TerminateProcess(child, 99);
      CloseHandle(child);
    }
  }
  Children(const Children&) = delete;
  Children& operator=(const Children&) = delete;

  bool empty() const { return handles_.empty(); }
  bool AllEnded(DWORD timeoutMs) const {
    return PumpUntil(timeoutMs, [this] {
      return std::all_of(handles_.begin(), handles_.end(),
                         [](HANDLE child) { return WaitForSingleObject(child, 0) == WAIT_OBJECT_0; });
    });
  }
  std::vector<DWORD> ExitCodes() const {
    std::vector<DWORD> codes;
    for (HANDLE child : handles_) {
      DWORD code = STILL_ACTIVE;
      GetExitCodeProcess(child, &code);
      codes.push_back(code);
    }
    return codes;
  }

 private:
  std::vector<HANDLE> handles_;
};

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ShellFolder(CSIDL_LOCAL_APPDATA) + "Programs\\Quorvel\\";
    startupLink = ShellFolder(CSIDL_STARTUP) + "Quorvel!.LNK";
    desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "Quorvel!.LNK";
    ASSERT_NE(folder, "Programs\\Quorvel\\");
  }

  // The uninstaller may have stopped half-way: what is left goes, so the
  // session's shell folders and registry are tidy for the next suite.
  void TearDown() override {
    launcher.reset();
    DeleteFileA(startupLink.c_str());
    DeleteFileA(desktopLink.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kCompanyKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    if (folder.size() < 4 || folder[1] != ':') return;
    std::string tree = folder;
    tree.back() = '\0';  // a list of one path, ended by an empty one
    tree.push_back('\0');
    SHFILEOPSTRUCTA remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = tree.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationA(&remove);
  }

  // Runs a program of the installation to its end; its exit code.
  DWORD RunToEnd(const std::string& commandLine) {
    Process program(commandLine);
    EXPECT_TRUE(program.started()) << commandLine;
    EXPECT_TRUE(program.WaitForExit(120000)) << commandLine;
    lastProcessId = program.id();
    return program.ExitCode();
  }

  void ExpectLinkTo(const std::string& link, const std::string& target) {
    const LinkView view = ReadShellLink(link);
    ASSERT_TRUE(view.read) << link;
    // The launcher writes its program folder in upper case.
    EXPECT_EQ(Upper(view.target), Upper(target)) << link;
  }

  std::string folder;
  std::string startupLink;
  std::string desktopLink;
  std::unique_ptr<Process> launcher;
  DWORD lastProcessId = 0;
};

TEST_F(Installer, SilentInstallFirstStartAndSilentUninstallKeepTheUsersGroup) {
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  const bool native64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
  const bool own64 = sizeof(void*) == 8;
  // The build of the system's width, and the other one.
  const std::string bin = FolderFromEnvironment(native64 == own64 ? "QV_BIN_DIR" : "QV_OTHER_BIN_DIR");
  const std::string other = FolderFromEnvironment(native64 == own64 ? "QV_OTHER_BIN_DIR" : "QV_BIN_DIR");
  const std::string setup = "\"" + FileFromEnvironment("QV_SETUP") + "\" /S";
  // The companion of a 64-bit launcher comes from the 32-bit build.
  const std::string build32 = native64 ? other : bin;
  const auto expectCompanion = [&](const char* when) {
    for (const char* file : {"QVLHOOK32.EXE", "QVLHOOK32.DLL"}) {
      if (native64) {
        EXPECT_TRUE(FileExists(folder + file) && ReadTextFile(folder + file) == ReadTextFile(build32 + file))
            << file << " is not the 32-bit build's, " << when;
      } else {
        EXPECT_FALSE(FileExists(folder + file)) << file << " on a 32-bit system, " << when;
      }
    }
  };

  // 1. Installed for this user, in the default folder, without a question.
  ASSERT_EQ(RunToEnd(setup), 0u);
  for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL", "MANUAL.TXT", "QUORVEL.DAT", "Uninstall.exe"})
    EXPECT_TRUE(FileExists(folder + file)) << file;
  for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL", "MANUAL.TXT"})
    EXPECT_TRUE(ReadTextFile(folder + file) == ReadTextFile(bin + file))
        << file << " is not the " << (native64 ? 64 : 32) << "-bit build's";
  const std::string manual = ReadTextFile(folder + "MANUAL.TXT");
  EXPECT_EQ(manual.rfind(kManualStart, 0), 0u) << manual.substr(0, 80);
  expectCompanion("installed");
  for (std::size_t at = manual.find('\n'); at != std::string::npos; at = manual.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && manual[at - 1] == '\r') << "a line of MANUAL.TXT ends without CR, at byte " << at;
  }
  EXPECT_EQ(ReadString(kUninstallKey, "DisplayName"), "Quorvel!");
  EXPECT_EQ(ReadString(kUninstallKey, "DisplayVersion"), "1.52");
  EXPECT_EQ(ReadString(kUninstallKey, "Publisher"), "Tessmark");
  EXPECT_EQ(Upper(ReadString(kUninstallKey, "UninstallString")), Upper("\"" + folder + "Uninstall.exe\""));
  EXPECT_EQ(Upper(ReadString(kUninstallKey, "InstallLocation") + "\\"), Upper(folder));

  // 2. The first start finishes the installation and says so.
  launcher = std::make_unique<Process>("\"" + folder + "QUORVEL.EXE\"");
  ASSERT_TRUE(launcher->started());
  MessageBoxView box = WaitForMessageBox(launcher->id(), "Setup Complete!", 20000);
  ASSERT_NE(box.window, nullptr) << "no \"Setup Complete!\" message";
  EXPECT_EQ(box.text.substr(0, box.text.find('\n')), "Thank you for trying Quorvel!");
  ClickButton(box.window, IDOK);
  HWND window = WaitForLauncher(*launcher);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil(10000, [window] { return !IsWindowVisible(window); }));
  EXPECT_FALSE(FileExists(folder + "QUORVEL.DAT"));
  ExpectLinkTo(folder + "Quorvel! Documentation\\Quorvel! Manual.LNK", folder + "MANUAL.TXT");
  ExpectLinkTo(startupLink, folder + "QUORVEL.EXE");
  ExpectLinkTo(desktopLink, folder + "QUORVEL.EXE");

  // 3. An update over the running launcher ends it, replaces the program
  // and leaves no marker: a shortcut the user removed stays removed. On a
  // 64-bit system the running one is an earlier 32-bit installation, where
  // 32-bit programs can run here.
  ASSERT_TRUE(DeleteFileA(desktopLink.c_str()));
  if (native64 && std::getenv("QV_NO_32BIT") == nullptr) {
    ClickButton(window, IDCANCEL);
    ClickButton(WaitForMessageBox(launcher->id(), "Exit Quorvel!").window, IDYES);
    ASSERT_TRUE(launcher->WaitForExit(10000));
    // Programs may still map the hook library for a while: moved aside, it
    // leaves the folder as an earlier installation would have left it.
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    ASSERT_TRUE(MoveFileExA((folder + "QVLHOOK.DLL").c_str(), (std::string(temp) + "QVLHOOK-64.DLL").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL"})
      ASSERT_TRUE(CopyFileA((other + file).c_str(), (folder + file).c_str(), FALSE)) << file;
    launcher = std::make_unique<Process>("\"" + folder + "QUORVEL.EXE\"");
    ASSERT_NE(WaitForLauncher(*launcher), nullptr);
    ASSERT_TRUE(launcher->WaitForIdle(10000));
  } else if (!native64) {
    // Left by a copy of a 64-bit installation: the update takes it away.
    ASSERT_TRUE(WriteTextFile(folder + "QVLHOOK32.EXE", "stale"));
  }
  ASSERT_EQ(RunToEnd(setup), 0u);
  EXPECT_TRUE(launcher->WaitForExit(5000)) << "the update left the launcher running";
  for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL"})
    EXPECT_TRUE(ReadTextFile(folder + file) == ReadTextFile(bin + file)) << file << " was not replaced";
  expectCompanion("updated");
  // A program the hook ran in may still map its library (Wine's desktop
  // never lets go of it): then, and only then, the old one is moved aside.
  const std::string moved = folder + "QVLHOOK.OLD";
  if (FileExists(moved)) {
    EXPECT_FALSE(DeleteFileA(moved.c_str())) << "QVLHOOK.OLD was left though nothing held it";
  }
  EXPECT_FALSE(FileExists(folder + "QUORVEL.DAT")) << "an update asked for the first start again";
  launcher = std::make_unique<Process>("\"" + folder + "QUORVEL.EXE\"");
  window = WaitForLauncher(*launcher);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(launcher->WaitForIdle(10000));
  ASSERT_TRUE(PumpUntil(10000, [window] { return !IsWindowVisible(window); }));
  EXPECT_EQ(FindTopLevel(launcher->id(), "Setup Complete!"), nullptr);
  EXPECT_FALSE(FileExists(desktopLink));

  // 4. The user's own group, and the look of the popup stored.
  ASSERT_TRUE(CreateDirectoryA((folder + "My Tools").c_str(), nullptr));
  ASSERT_TRUE(WriteTextFile(folder + "My Tools\\Notes.txt", "mine"));
  const DWORD color = RGB(0, 128, 255);
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Quorvel").c_str(), "ForegroundColor",
                            REG_DWORD, &color, sizeof color),
            ERROR_SUCCESS);

  // 5. Uninstalled silently while the launcher runs, as Windows' list of
  // programs would start it.
  ASSERT_TRUE(launcher->Running());
  EXPECT_EQ(RunToEnd(ReadString(kUninstallKey, "QuietUninstallString")), 0u);
  Children copies(lastProcessId);
  if (copies.empty()) {
    // The copy may have finished before it was looked for.
    EXPECT_TRUE(PumpUntil(60000, [this] { return !KeyExists(kUninstallKey); }));
  } else {
    ASSERT_TRUE(copies.AllEnded(120000)) << "the uninstaller did not finish";
    for (DWORD code : copies.ExitCodes()) EXPECT_EQ(code, 0u);
  }

  // The launcher ended by itself: no exit question, no force.
  EXPECT_TRUE(launcher->WaitForExit(5000)) << "the uninstaller left the launcher running";
  EXPECT_EQ(launcher->ExitCode(), 0u);
  for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL", "QVLHOOK32.EXE", "QVLHOOK32.DLL", "MANUAL.TXT",
                           "QUORVEL.DAT", "Uninstall.exe", "Quorvel! Documentation"})
    EXPECT_FALSE(FileExists(folder + file)) << file << " was left behind";
  EXPECT_FALSE(FileExists(startupLink));
  EXPECT_FALSE(KeyExists(kSettingsKey));
  EXPECT_FALSE(KeyExists(kCompanyKey)) << "the emptied company key stayed";
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_EQ(ReadTextFile(folder + "My Tools\\Notes.txt"), "mine") << "the user's group went with the program";
}

// A folder outside the system's code page: from Windows 10 version 1903 on
// the launcher runs in UTF-8 and is at home there. An older Windows runs it
// on the code page, where it would never find its own folder: silent, Setup
// refuses such a folder there with an error exit and installs nothing. The
// "o" with a macron is in neither the Western nor the Japanese code page.
TEST_F(Installer, AFolderOutsideTheCodePageIsRefusedOnlyWhereTheLauncherCannotUseUtf8) {
  const std::string target = "C:\\QV\\T\xC5\x8Dky\xC5\x8D\\";
  const std::string setup = FileFromEnvironment("QV_SETUP");
  const std::string command = "\"" + setup + "\" /S /D=" + target.substr(0, target.size() - 1);
  folder = "C:\\QV\\";  // what the tidying up removes
  // Wine tells Setup alone that it runs on Windows 7.
  const std::string older = "Software\\Wine\\AppDefaults\\" + setup.substr(setup.rfind('\\') + 1);
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, older.c_str(), "Version", REG_SZ, "win7", 5), ERROR_SUCCESS);
  const DWORD refused = RunToEnd(command);
  RegDeleteTreeA(HKEY_CURRENT_USER, older.c_str());
  EXPECT_EQ(refused, 2u) << "not the exit code of a refused installation";
  EXPECT_FALSE(FileExists(target));
  EXPECT_FALSE(KeyExists(kUninstallKey));

  ASSERT_EQ(RunToEnd(command), 0u);
  launcher = std::make_unique<Process>("\"" + target + "QUORVEL.EXE\"");
  ASSERT_TRUE(launcher->started());
  MessageBoxView box = WaitForMessageBox(launcher->id(), "Setup Complete!", 20000);
  ASSERT_NE(box.window, nullptr) << "the launcher did not find its marker in " << target;
  ClickButton(box.window, IDOK);
  HWND window = WaitForLauncher(*launcher);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil(10000, [window] { return !IsWindowVisible(window); }));
  ExpectLinkTo(target + "Quorvel! Documentation\\Quorvel! Manual.LNK", target + "MANUAL.TXT");
  ClickButton(window, IDCANCEL);
  ClickButton(WaitForMessageBox(launcher->id(), "Exit Quorvel!").window, IDYES);
  ASSERT_TRUE(launcher->WaitForExit(10000));
}

}  // namespace
}  // namespace e2e
