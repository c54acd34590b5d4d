// Shell links written to real files and read back through the shell, the
// folder and drive checks, and where the program thinks it lives.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Handles.h"
#include "ShellHelpers.h"
#include "ShortcutWizard.h"
#include "TempTree.h"

namespace {

// What the shell reads from a link file.
struct Link {
  std::string target, description, arguments, workingDirectory, iconFile;
  WORD hotKey = 0xFFFF;
  int iconIndex = -1;
};

class ShellLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override { CoUninitialize(); }

  static Link Read(const std::string& path) {
    Link link;
    qv::ComPtr<IShellLinkA> shell;
    qv::ComPtr<IPersistFile> file;
    char text[MAX_PATH * 2] = {};
    const auto field = [&](HRESULT result) {
      EXPECT_TRUE(SUCCEEDED(result)) << std::hex << result;
      return std::string(text);
    };
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shell.put_void())) ||
        FAILED(shell->QueryInterface(IID_IPersistFile, file.put_void()))) {
      ADD_FAILURE() << "no shell link object to read with";
      return link;
    }
    std::vector<wchar_t> wide(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    const HRESULT loaded = file->Load(wide.data(), STGM_READ);
    EXPECT_EQ(S_OK, loaded) << path;
    if (FAILED(loaded)) return link;
    link.target = field(shell->GetPath(text, sizeof text, nullptr, 0));
    link.description = field(shell->GetDescription(text, sizeof text));
    link.arguments = field(shell->GetArguments(text, sizeof text));
    link.workingDirectory = field(shell->GetWorkingDirectory(text, sizeof text));
    link.iconFile = field(shell->GetIconLocation(text, sizeof text, &link.iconIndex));
    EXPECT_EQ(S_OK, shell->GetHotkey(&link.hotKey));
    return link;
  }

  testtree::TempTree tree;
};

TEST_F(ShellLinkTest, EveryFieldWrittenIsReadBackAndNothingElseIsSet) {
  ASSERT_TRUE(tree.File("Tool.exe"));
  ASSERT_TRUE(tree.File("Icons.dll"));
  const WORD hotKey = MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT);
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Tool.lnk", {tree / "Tool.exe", "The tool", hotKey, tree / "Icons.dll", 3}));
  const Link full = Read(tree / "Tool.lnk");
  EXPECT_EQ(tree / "Tool.exe", full.target);
  EXPECT_EQ("The tool", full.description);
  EXPECT_EQ(hotKey, full.hotKey);
  EXPECT_EQ(tree / "Icons.dll", full.iconFile);
  EXPECT_EQ(3, full.iconIndex);
  // Windows leaves both empty unless they are set; so does Wine.
  EXPECT_EQ("", full.arguments);
  EXPECT_EQ("", full.workingDirectory);

  // No hot key, description or icon: the zeros come back as zeros.
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Bare.lnk", {tree / "Tool.exe", "", 0, "", 0}));
  const Link bare = Read(tree / "Bare.lnk");
  EXPECT_EQ(tree / "Tool.exe", bare.target);
  EXPECT_EQ("", bare.description);
  EXPECT_EQ(0, bare.hotKey);
  EXPECT_EQ("", bare.iconFile);
  EXPECT_EQ(0, bare.iconIndex);
}

TEST_F(ShellLinkTest, AFileOfTheSameNameIsReplaced) {
  ASSERT_TRUE(tree.File("New.exe"));
  ASSERT_TRUE(tree.File("Old.exe"));
  // Longer than any link, so leftovers of the old text would show in the size.
  const std::string text(64 * 1024, 't');
  ASSERT_TRUE(tree.File("Text.lnk", FILE_ATTRIBUTE_NORMAL, text));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Text.lnk", {tree / "New.exe", "New", 0, "", 0}));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA((tree / "Text.lnk").c_str(), GetFileExInfoStandard, &data));
  EXPECT_LT(data.nFileSizeLow, text.size());
  EXPECT_EQ(tree / "New.exe", Read(tree / "Text.lnk").target);

  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Old.lnk", {tree / "Old.exe", "Old", MAKEWORD('O', HOTKEYF_SHIFT), tree / "Old.exe", 1}));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Old.lnk", {tree / "New.exe", "New", 0, tree / "New.exe", 2}));
  const Link link = Read(tree / "Old.lnk");
  EXPECT_EQ(tree / "New.exe", link.target);
  EXPECT_EQ("New", link.description);
  EXPECT_EQ(0, link.hotKey);
  EXPECT_EQ(2, link.iconIndex);
}

TEST_F(ShellLinkTest, ALinkIntoAMissingFolderFailsAndLeavesNoFile) {
  ASSERT_TRUE(tree.File("Tool.exe"));
  const std::string path = tree / "Missing\\Tool.lnk";
  EXPECT_LT(qv::CreateShellLink(path, {tree / "Tool.exe", "Tool", 0, "", 0}), 0);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((tree / "Missing").c_str()));
}

TEST_F(ShellLinkTest, ANameOutsideAsciiIsTakenInTheSystemCodePage) {
  // The euro sign is a byte other than its code point in the Western code
  // pages, so only a proper conversion finds the file again.
  char euro[8] = {};
  BOOL lossy = FALSE;
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u20AC", -1, euro, sizeof euro, nullptr, &lossy) <= 0 || lossy)
    GTEST_SKIP() << "the system code page has no euro sign";
  ASSERT_TRUE(tree.File("Tool.exe"));
  const std::string path = tree / (std::string("Price ") + euro + ".lnk");
  ASSERT_EQ(S_OK, qv::CreateShellLink(path, {tree / "Tool.exe", "", 0, "", 0}));
  EXPECT_EQ(tree / "Tool.exe", Read(path).target);
}

TEST(FolderChecks, OnlyAnExistingFolderCounts) {
  testtree::TempTree tree;
  ASSERT_TRUE(tree.Folder("Sub"));
  ASSERT_TRUE(tree.File("File.txt"));
  EXPECT_TRUE(qv::FolderExists(tree / "Sub"));
  EXPECT_FALSE(qv::FolderExists(tree / "File.txt"));
  EXPECT_FALSE(qv::FolderExists(tree / "Gone"));
  EXPECT_FALSE(qv::FolderExists(""));
  // The search finds nothing for a name ending in a backslash, on Windows as
  // under Wine: callers pass folders without one.
  EXPECT_FALSE(qv::FolderExists(tree / "Sub\\"));
  // Patterns would answer for whatever folder they happen to match first.
  EXPECT_FALSE(qv::FolderExists(tree / "*"));
  EXPECT_FALSE(qv::FolderExists(tree / "Su?"));
}

std::string StoredName(const std::string& path) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::string();
  FindClose(search);
  return found.cFileName;
}

TEST(RenamePath, MovesAndMakesACaseOnlyChangeStick) {
  testtree::TempTree tree;
  ASSERT_TRUE(tree.Folder("beta"));
  ASSERT_TRUE(tree.File("beta\\b.txt"));
  ASSERT_TRUE(qv::RenamePath(tree / "beta", tree / "BETA"));
  EXPECT_EQ("BETA", StoredName(tree / "beta"));
  EXPECT_TRUE(qv::FolderExists(tree / "BETA"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((tree / "BETA.~rename").c_str()));
  ASSERT_TRUE(qv::RenamePath(tree / "BETA", tree / "BETA"));  // its own name
  ASSERT_TRUE(qv::RenamePath(tree / "BETA", tree / "Gamma"));
  EXPECT_EQ("b.txt", StoredName(tree / "Gamma\\b.txt"));

  // A refused move keeps the system's error for the report.
  ASSERT_TRUE(tree.Folder("Taken"));
  EXPECT_FALSE(qv::RenamePath(tree / "Gamma", tree / "Taken"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_FALSE(qv::RenamePath(tree / "Missing", tree / "missing"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(ItemExists, FilesFoldersAndMatchingWildCardsAreItemsArgumentsAreNot) {
  testtree::TempTree tree;
  ASSERT_TRUE(tree.Folder("Apps"));
  ASSERT_TRUE(tree.File("Apps\\tool.exe"));
  EXPECT_TRUE(qv::ItemExists(tree / "Apps\\tool.exe"));
  EXPECT_TRUE(qv::ItemExists(tree / "Apps"));
  EXPECT_TRUE(qv::ItemExists(tree / "Apps\\*.exe"));
  EXPECT_FALSE(qv::ItemExists(tree / "Apps\\*.com"));
  EXPECT_FALSE(qv::ItemExists(tree / "Apps\\tool.exe /quiet"));
  EXPECT_FALSE(qv::ItemExists(tree / "Apps\\missing.exe"));
  EXPECT_FALSE(qv::ItemExists(""));

  // A relative name is looked for in the current folder.
  char old[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryA((tree / "Apps").c_str()));
  EXPECT_TRUE(qv::ItemExists("tool.exe"));
  EXPECT_FALSE(qv::ItemExists("Apps"));
  SetCurrentDirectoryA(old);

  // A drive the system does not have answers no volume.
  for (char letter = 'Z'; letter >= 'D'; --letter) {
    if (qv::DriveExists(letter)) continue;
    EXPECT_FALSE(qv::ItemExists(std::string(1, letter) + ":\\tool.exe"));
    break;
  }
}

TEST(NarrowPath, OnlyANameTheCodePageHoldsWholeSurvives) {
  std::string narrow;
  EXPECT_TRUE(qv::NarrowPath(L"C:\\Tools\\Notepad.exe", narrow));
  EXPECT_EQ("C:\\Tools\\Notepad.exe", narrow);
  // Neither the Western nor the Japanese code page has these two; the
  // first would come out as an "A" by best fit, the second as a '?'.
  EXPECT_FALSE(qv::NarrowPath(L"C:\\\x0100.exe", narrow)) << narrow;
  EXPECT_FALSE(qv::NarrowPath(L"C:\\\x2603.exe", narrow));
  EXPECT_EQ("C:\\?.exe", narrow);
  // A wild card names no file of its own.
  EXPECT_FALSE(qv::NarrowPath(L"C:\\Caf?.exe", narrow));
}

TEST(FolderChecks, DriveRootsFollowTheDriveList) {
  EXPECT_TRUE(qv::FolderExists("C:\\"));
  EXPECT_TRUE(qv::FolderExists("c:\\"));
  EXPECT_FALSE(qv::FolderExists("A:\\"));
  // A drive not in the list falls through to a search, which finds nothing
  // for a root.
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    EXPECT_EQ(qv::DriveExists(letter), qv::FolderExists(std::string(1, letter) + ":\\")) << letter;
}

TEST(FolderChecks, DrivesCToZAreThoseTheSystemListsAAndBNever) {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const bool listed = letter >= 'C' && ((drives >> (letter - 'A')) & 1) != 0;
    EXPECT_EQ(listed, qv::DriveExists(letter)) << letter;
    EXPECT_EQ(listed, qv::DriveExists(static_cast<char>(letter - 'A' + 'a'))) << letter;
  }
  for (char other : {'\0', '1', '@', '[', '`', '{'}) EXPECT_FALSE(qv::DriveExists(other)) << int(other);
}

TEST(ProgramFolder, IsTheUpperCaseFolderOfTheExecutable) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  const std::string module(buffer, length);
  EXPECT_EQ(module, qv::GetModulePath());

  std::string upper = module;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper.find("DEBUG") != std::string::npos || upper.find("RELEASE") != std::string::npos)
    GTEST_SKIP() << "the program would take this for a build output: " << module;
  const std::string expected = upper.substr(0, upper.rfind('\\') + 1);
  EXPECT_EQ(expected, qv::GetProgramFolder());

  // The system's code page takes the same names out of a real path.
  EXPECT_EQ(module.substr(module.rfind('\\') + 1), qv::GetFileNameOnly(module));
  EXPECT_EQ("exe", qv::GetExtension(module));
}

}  // namespace
