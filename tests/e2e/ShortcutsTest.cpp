// The shortcuts side of Setup from end to end: the Create Shortcut wizard
// driven page by page, files dropped from the shell, shortcuts renamed and
// deleted by buttons, keys and double-clicks, each checked on disk, in
// Setup's list and in the popup.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SetupFixture.h"

namespace e2e {
namespace {

constexpr int kWizardEdit = 1007;
constexpr int kBrowse = 1008;
constexpr int kBack = 1013;
constexpr char kTargetPage[] = "Create Shortcut";
constexpr char kTitlePage[] = "Select a Title for the Program";

std::string Lower(std::string text) {
  CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

class Shortcuts : public Setup {
 protected:
  // A copy of the stand-in program, which logs every start next to itself.
  std::string Program(const std::string& name) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(CopyFileA((FolderFromEnvironment("QV_BIN_DIR") + "qv_mark.exe").c_str(), path.c_str(), FALSE));
    return path;
  }
  HWND WaitForPage(const char* title) { return WaitForDialog(launcher->id(), title, 5000); }
  static std::string Edit(HWND page) { return ControlText(GetDlgItem(page, kWizardEdit)); }
  static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
  // Sets the edit's text as pasting would; the page hears of the change.
  static bool Type(HWND page, const std::string& text, bool continueEnabled) {
    SetControlText(GetDlgItem(page, kWizardEdit), text);
    return PumpUntil(2000, [&] { return Enabled(page, IDOK) == continueEnabled; });
  }
  // Presses a button that ends the page; the next window comes up by itself.
  static bool Leave(HWND page, int id) { return Dismiss(page, id); }
  bool FocusOnEdit(HWND page) {
    return PumpUntil(2000, [page] { return FocusOf(page) == GetDlgItem(page, kWizardEdit); });
  }
  // One click, never close enough to the one before to make a double-click
  // with it: the scenarios act much faster than a person, and Wine can take
  // a click at the spot of an earlier double-click for the next one.
  void Click(POINT at) {
    const DWORD spacing = GetDoubleClickTime() + 100;
    const DWORD since = GetTickCount() - lastClick;
    if (since < spacing) Pump(spacing - since);
    ClickAt(at.x, at.y);
    lastClick = GetTickCount();
  }
  void DoubleClick(POINT at) {
    Click(at);
    ClickAt(at.x, at.y);
    lastClick = GetTickCount();
  }
  // Clicks the shortcut showing `text` in Setup's list, unless it is
  // selected already.
  void Pick(const std::string& text) {
    const auto selected = [&] {
      for (const ListItem& now : ReadListItems(shortcuts))
        if (now.text == text) return now.selected;
      return false;
    };
    if (selected()) return;
    for (const ListItem& item : ReadListItems(shortcuts))
      if (item.text == text) Click(ItemPoint(item));
    ASSERT_TRUE(PumpUntil(2000, selected)) << text << " is not selected";
  }
  static POINT ItemPoint(const ListItem& item) {
    return POINT{(item.bounds.left + item.bounds.right) / 2, item.bounds.top + 12};
  }
  // A point of the list where no item is.
  POINT EmptyListPoint() const {
    RECT r{};
    GetWindowRect(shortcuts, &r);
    return POINT{r.right - 12, r.bottom - 12};
  }
  POINT ClientCentre(HWND control) const {
    const RECT r = RectIn(control, setup);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  std::vector<std::string> FilesIn(const std::string& group) const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(folder.File(group + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }
  // A link the launcher wrote: to the item, described by its name, with the
  // item's first icon and no hot key.
  void ExpectNewLink(const std::string& relative, const std::string& item, const std::string& name) {
    const LinkView link = ReadShellLink(folder.File(relative));
    ASSERT_TRUE(link.read) << relative;
    EXPECT_EQ(Lower(item), Lower(link.target));
    EXPECT_EQ(name, link.description);
    EXPECT_EQ(Lower(item), Lower(link.iconFile));
    EXPECT_EQ(0, link.iconIndex);
    EXPECT_EQ(0, link.hotKey);
  }
  // Clicks the popup's item showing `text` in the hovered group.
  void Launch(const std::string& text) {
    for (const ListItem& item : ReadListItems(list)) {
      if (item.text != text) continue;
      Click(ItemPoint(item));
      return;
    }
    FAIL() << text << " is not in the popup";
  }

  DWORD lastClick = GetTickCount();
};

TEST_F(Shortcuts, TheWizardTakesAnItemAndANameAndMakesALinkThatStartsIt) {
  Group("Tools", {});
  const std::string target = Program("Target.exe");
  // The launcher takes relative names against the folder it was started in.
  char oldFolder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, oldFolder);
  SetCurrentDirectoryA(folder.path().c_str());
  Start();
  SetCurrentDirectoryA(oldFolder);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_NO_FATAL_FAILURE(Open());
  ExpectLists({"Tools"}, 0, {});

  // Insert on the (empty) shortcuts list starts the wizard.
  Click(EmptyListPoint());
  ASSERT_TRUE(PumpUntil(2000, [&] { return FocusOf(setup) == shortcuts; }));
  PressKey(VK_INSERT);
  HWND page = WaitForPage(kTargetPage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ("", Edit(page));
  EXPECT_FALSE(Enabled(page, IDOK)) << "Next waits for a command line";
  EXPECT_FALSE(Enabled(page, kBack));
  ASSERT_TRUE(FocusOnEdit(page));
  TypeText("   ");
  ASSERT_TRUE(PumpUntil(2000, [&] { return Edit(page) == "   "; }));
  EXPECT_FALSE(Enabled(page, IDOK)) << "blanks are no command line";

  // The Open dialog offers programs first; cancelling it changes nothing,
  // a file picked there fills the command line.
  ClickButton(page, kBrowse);
  HWND open = WaitForOpenDialog(launcher->id());
  ASSERT_NE(open, nullptr);
  EXPECT_EQ((std::vector<std::string>{"Programs", "All Files"}), ComboTexts(GetDlgItem(open, 0x470)));
  ASSERT_TRUE(CancelCommonDialog(open));
  EXPECT_EQ("   ", Edit(page));
  ClickButton(page, kBrowse);
  open = WaitForOpenDialog(launcher->id());
  ASSERT_NE(open, nullptr);
  HWND fileName = GetDlgItem(open, 0x480);
  if (fileName == nullptr) fileName = GetDlgItem(open, 0x47C);
  SetControlText(fileName, target);
  ASSERT_TRUE(PressOk(open));
  EXPECT_TRUE(PumpUntil(2000, [&] { return Lower(Edit(page)) == Lower(target); })) << Edit(page);
  EXPECT_TRUE(Enabled(page, IDOK));
  EXPECT_TRUE(FocusOnEdit(page));

  // A program with arguments is not an item.
  ASSERT_TRUE(Type(page, target + " /quiet", true));
  ClickButton(page, IDOK);
  Expect("Item Not Found", {"The location and name of the item you entered", "could not be found!"});
  EXPECT_TRUE(IsWindow(page));
  EXPECT_TRUE(FocusOnEdit(page));
  EXPECT_EQ(target + " /quiet", Edit(page));

  // A folder is an item; its name is the suggested title.
  ASSERT_TRUE(Type(page, folder.File("Tools"), true));
  ASSERT_TRUE(Leave(page, IDOK));
  page = WaitForPage(kTitlePage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ("Tools", Edit(page));
  ASSERT_TRUE(Leave(page, kBack));

  // A relative name is found in the launcher's folder, but without a
  // backslash it suggests no title; Finish says so.
  page = WaitForPage(kTargetPage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(folder.File("Tools"), Edit(page)) << "Back keeps the command line";
  EXPECT_TRUE(Enabled(page, IDOK));
  ASSERT_TRUE(Type(page, "Target.exe", true));
  ASSERT_TRUE(Leave(page, IDOK));
  page = WaitForPage(kTitlePage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ("", Edit(page));
  EXPECT_TRUE(Enabled(page, IDOK)) << "Finish is checked when pressed";
  ClickButton(page, IDOK);
  Expect("Insufficient Input", {"You must enter a name for the shortcut!"});
  EXPECT_TRUE(FocusOnEdit(page));
  ASSERT_TRUE(Leave(page, kBack));

  // Blanks around the command line go; a title typed before Back is not
  // kept, the suggestion is made afresh.
  page = WaitForPage(kTargetPage);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(Type(page, "  " + target + " \t", true));
  ASSERT_TRUE(Leave(page, IDOK));
  page = WaitForPage(kTitlePage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ("Target", Edit(page));
  ASSERT_TRUE(Type(page, "Something else", true));
  ASSERT_TRUE(Leave(page, kBack));
  page = WaitForPage(kTargetPage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(target, Edit(page)) << "the edit shows the trimmed command line";
  Snapshot("wizard-target.png");
  ASSERT_TRUE(Leave(page, IDOK));
  page = WaitForPage(kTitlePage);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ("Target", Edit(page));
  ASSERT_TRUE(Type(page, "", false)) << "Finish waits for a name";
  ASSERT_TRUE(Type(page, " My Target ", true));
  Snapshot("wizard-title.png");
  ASSERT_TRUE(Leave(page, IDOK));

  // The shortcut is a real link, listed at once.
  ASSERT_TRUE(Appears("Tools\\My Target.LNK"));
  ExpectLists({"Tools"}, 0, {"My Target"});
  ExpectNewLink("Tools\\My Target.LNK", target, "My Target");
  ASSERT_NO_FATAL_FAILURE(Close());

  // From the popup it starts its program.
  ASSERT_TRUE(Show());
  ASSERT_TRUE(RowShows(Expected({"Tools"}), 0, {"My Target"}));
  ASSERT_NO_FATAL_FAILURE(Launch("My Target"));
  EXPECT_TRUE(PumpUntil(10000, [&] { return FileExists(folder.File("Target.log")); })) << "Target.exe did not start";
}

TEST_F(Shortcuts, DroppedFilesBecomeShortcutsOnlyOnTheList) {
  Group("Tools", {});
  ASSERT_TRUE(WriteTextFile(folder.File("Tools\\Target.LNK"), "keep me"));
  const std::string target = Program("Target.exe");
  const std::string other = Program("Other.exe");
  const std::string editor = folder.File("Editor.lnk");
  ASSERT_TRUE(MakeShellLink(editor, target));
  const std::string pif = folder.File("Target.pif");
  ASSERT_TRUE(WriteTextFile(pif, "a program information file"));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Open());
  ExpectLists({"Tools"}, 0, {"Target"});

  // Anywhere but the shortcuts list: nothing is made.
  for (HWND where : {groups, GetDlgItem(setup, kNewShortcut)}) {
    ASSERT_TRUE(DropFiles(setup, {other}, ClientCentre(where)));
    Expect("Drag & Drop Error", {"You must drop shortcuts on the", "shortcuts list!"});
  }
  EXPECT_EQ((std::vector<std::string>{"Target.LNK"}), FilesIn("Tools"));

  // On the list: a duplicate is reported and left alone, and so is a name
  // that lost a character to the code page (the '?' in its place); the rest
  // are made.
  const std::string lost = folder.File("Caf?.exe");
  ASSERT_TRUE(DropFiles(setup, {lost, target, other, editor, pif}, ClientCentre(shortcuts)));
  Expect("Unsupported Name", {"Quorvel! cannot create a shortcut to the", "following item, because its name has",
                              "characters that Windows' language for", "non-Unicode programs does not have:", "",
                              lost});
  Expect("Duplicate Shortcut",
         {"There is already a shortcut assigned", "to the currently selected group with", "the following name:", "",
          "Target"});
  ASSERT_TRUE(Appears("Tools\\Target.PIF"));
  EXPECT_EQ((std::vector<std::string>{"Editor.LNK", "Other.LNK", "Target.LNK", "Target.PIF"}), FilesIn("Tools"));
  EXPECT_EQ("keep me", ReadTextFile(folder.File("Tools\\Target.LNK")));
  ExpectLists({"Tools"}, 0, {"Editor", "Other", "Target", "Target"});

  // A program gets a new link with its own first icon; shortcut files are
  // copied as they are.
  ExpectNewLink("Tools\\Other.LNK", other, "Other");
  EXPECT_EQ(ReadTextFile(editor), ReadTextFile(folder.File("Tools\\Editor.LNK")));
  EXPECT_EQ(ReadTextFile(pif), ReadTextFile(folder.File("Tools\\Target.PIF")));
  EXPECT_EQ(Lower(target), Lower(ReadShellLink(folder.File("Tools\\Editor.LNK")).target));
  ASSERT_NO_FATAL_FAILURE(Close());
}

TEST_F(Shortcuts, RenameAndDeleteActOnTheSelectedShortcut) {
  Group("Tools", {"alpha.lnk", "Beta.LNK", "gamma.Pif"});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Open());
  ExpectLists({"Tools"}, 0, {"alpha", "Beta", "gamma"});
  ExpectButtons(true, true);

  // Listed but none selected: both buttons and a double-click on empty
  // space say so.
  for (int button : {kRenameShortcut, kDeleteShortcut}) {
    ClickButton(setup, button);
    Expect("No Selection", {"You must select a shortcut first!"});
  }
  DoubleClick(EmptyListPoint());
  Expect("No Selection", {"You must select a shortcut first!"});

  // A double-click on an item asks for its new name.
  ASSERT_NO_FATAL_FAILURE(Pick("Beta"));
  DoubleClick(ItemPoint(ReadListItems(shortcuts)[1]));
  HWND name = WaitForName("Rename Shortcut");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ("Enter the new name of the shortcut:", ControlText(GetDlgItem(name, kNamePrompt)));
  EXPECT_EQ("Beta", ControlText(GetDlgItem(name, kNameEdit)));
  ASSERT_TRUE(Dismiss(name, IDCANCEL));

  // Enter on the list renames; a name with a folder in it is refused by
  // the file system's rule.
  ASSERT_NO_FATAL_FAILURE(Pick("alpha"));
  ASSERT_EQ(shortcuts, FocusOf(setup));
  PressKey(VK_RETURN);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Rename Shortcut", "..\\alpha"));
  ExpectFileError({"Quorvel! was unable to rename the", "following shortcut:", "", folder.File("Tools\\alpha.lnk"), ""});
  EXPECT_TRUE(Exists("Tools\\alpha.lnk"));

  // Renamed, the file keeps its extension as it was written, and the item
  // moves to its new place here and in the popup.
  ASSERT_NO_FATAL_FAILURE(Pick("alpha"));
  ClickButton(setup, kRenameShortcut);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Rename Shortcut", " Zed "));
  ASSERT_TRUE(Gone("Tools\\alpha.lnk"));
  EXPECT_EQ("Zed.lnk", StoredName("Tools\\Zed.lnk"));
  ExpectLists({"Tools"}, 0, {"Beta", "gamma", "Zed"});

  // Delete asks first; No keeps the file, Yes removes file and entry.
  ASSERT_NO_FATAL_FAILURE(Pick("gamma"));
  PressKey(VK_DELETE);
  Expect("Delete Shortcut", {"Are you sure you wish to delete the", "following shortcut?:", "", "gamma"}, IDNO);
  EXPECT_TRUE(Exists("Tools\\gamma.Pif"));
  ClickButton(setup, kDeleteShortcut);
  Expect("Delete Shortcut", {"Are you sure you wish to delete the", "following shortcut?:", "", "gamma"}, IDYES);
  EXPECT_TRUE(Gone("Tools\\gamma.Pif"));
  ExpectLists({"Tools"}, 0, {"Beta", "Zed"});
  for (const ListItem& item : ReadListItems(shortcuts)) EXPECT_FALSE(item.selected) << item.text;
  ASSERT_NO_FATAL_FAILURE(Close());

  ASSERT_TRUE(Show());
  EXPECT_TRUE(RowShows(Expected({"Tools"}), 0, {"Beta", "Zed"}));
}

// On a Western system, names in any script: the launcher runs in UTF-8, so
// a Greek group and a shortcut named in Japanese with a check mark, which no
// ANSI code page holds, are listed, started, renamed and deleted, and a font
// named in Japanese keeps its name.
TEST_F(Shortcuts, NamesInAnyScriptAreListedStartedRenamedAndDeleted) {
  ASSERT_EQ(SystemAnsiCodePage(), 1252u) << "the session does not run on the Western code page";
  const std::string group = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";  // Ellinika
  const std::string renamedGroup = group + " \xCE\xA9";
  const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x9C\x93";    // nihongo, check mark
  const std::string renamed = "\xE2\x9C\x93 \xE3\x81\x8B\xE3\x81\xAA";             // check mark, kana
  const std::string face = "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";  // MS Gothic
  const std::string record = "-14|0|0|0|400|0|0|0|1|0|0|0|0|" + face;
  Group(group, {"\xCE\xA9 \xE2\x9C\x93.txt"});
  ASSERT_TRUE(MakeShellLink(folder.File(group + "\\" + name + ".lnk"), Program("Target.exe")));
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kLookKey, "Font", REG_SZ, record.c_str(),
                            static_cast<DWORD>(record.size() + 1)),
            ERROR_SUCCESS);
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_TRUE(CallInProcess(launcher->id(), FolderFromEnvironment("QV_BIN_DIR") + "qv_topbar.dll", "IsCodePage",
                            reinterpret_cast<void*>(UINT_PTR{CP_UTF8})));

  ASSERT_TRUE(Show());
  ASSERT_TRUE(RowShows(Expected({group}, -14, 400, false, face.c_str()), 0, {"\xCE\xA9 \xE2\x9C\x93", name}));
  ASSERT_NO_FATAL_FAILURE(Launch(name));
  EXPECT_TRUE(PumpUntil(10000, [&] { return FileExists(folder.File("Target.log")); })) << "Target.exe did not start";

  ASSERT_NO_FATAL_FAILURE(Open());
  ExpectLists({group}, 0, {"\xCE\xA9 \xE2\x9C\x93", name});
  EXPECT_EQ(face + ", 11pt", ControlText(GetDlgItem(setup, kFontText)));

  // Typed as a keyboard of those scripts types them.
  ASSERT_NO_FATAL_FAILURE(Pick(name));
  ClickButton(setup, kRenameShortcut);
  HWND dialog = WaitForName("Rename Shortcut");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(name, ControlText(GetDlgItem(dialog, kNameEdit)));
  ASSERT_TRUE(PumpUntil(2000, [&] { return FocusOf(dialog) == GetDlgItem(dialog, kNameEdit); }));
  PressKey(VK_END);
  for (std::size_t i = 0; i < 5; ++i) PressKey(VK_BACK);
  TypeCharacters(renamed);
  EXPECT_TRUE(PumpUntil(2000, [&] { return ControlText(GetDlgItem(dialog, kNameEdit)) == renamed; }));
  ASSERT_TRUE(Dismiss(dialog, IDOK));
  ASSERT_TRUE(Gone(group + "\\" + name + ".lnk"));
  EXPECT_EQ(renamed + ".lnk", StoredName(group + "\\" + renamed + ".lnk"));
  ExpectLists({group}, 0, {"\xCE\xA9 \xE2\x9C\x93", renamed});

  ClickButton(setup, kRenameGroup);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Rename Group", renamedGroup));
  ASSERT_TRUE(Appears(renamedGroup + "\\" + renamed + ".lnk"));
  ExpectLists({renamedGroup}, 0, {"\xCE\xA9 \xE2\x9C\x93", renamed});

  ASSERT_NO_FATAL_FAILURE(Pick(renamed));
  ClickButton(setup, kDeleteShortcut);
  Expect("Delete Shortcut", {"Are you sure you wish to delete the", "following shortcut?:", "", renamed}, IDYES);
  EXPECT_TRUE(Gone(renamedGroup + "\\" + renamed + ".lnk"));
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(true, true));
  EXPECT_TRUE(Gone(renamedGroup));
  ExpectLists({}, -1, {});

  // Closing hands the font back; the launcher writes it as it was read.
  ASSERT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, kLookKey, "Font"), ERROR_SUCCESS);
  ASSERT_NO_FATAL_FAILURE(Close());
  ASSERT_TRUE(LookStored());
  EXPECT_EQ(record, Stored("Font"));
}

}  // namespace
}  // namespace e2e
