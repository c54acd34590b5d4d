// The Setup dialog from end to end: opened from the popup and the
// notification icon, groups made, renamed and deleted through the name
// dialog with keys and buttons, every refusal and failure reported, and the
// effect checked on disk, in the dialog's lists and in the popup.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CommonDialogs.h"
#include "FontRecord.h"
#include "LauncherTest.h"
#include "MessageText.h"

namespace e2e {
namespace {

constexpr int kGroups = 1000;
constexpr int kNewGroup = 1001;
constexpr int kDeleteGroup = 1002;
constexpr int kRenameGroup = 1003;
constexpr int kShortcuts = 1004;
constexpr int kNewShortcut = 1005;
constexpr int kDeleteShortcut = 1006;
constexpr int kRenameShortcut = 1010;
constexpr int kNameEdit = 1007;
constexpr int kNamePrompt = 1011;
constexpr int kExample = 1007;
constexpr int kForegroundSwatch = 1012;
constexpr int kBackgroundSwatch = 1013;
constexpr int kFontText = 1014;
constexpr int kForeground = 1015;
constexpr int kBackground = 1016;
constexpr int kFont = 1017;
constexpr char kLookKey[] = "Software\\Tessmark\\QUORVEL\\Quorvel";

std::string Upper(std::string text) {
  CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

class Setup : public LauncherTest {
 protected:
  void SetUp() override {
    // Every scenario starts from the default look.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessmark\\QUORVEL");
  }

  void Open(bool fromTrayIcon = false) {
    if (fromTrayIcon) {
      const POINT icon = TrayIconPoint();
      ClickAt(icon.x, icon.y);
    } else {
      ClickButton(window, kSetup);
    }
    setup = WaitForTopLevel(launcher->id(), "Quorvel! Setup", 5000, "#32770");
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(PumpUntil(3000, [this] { return IsWindowVisible(setup) && FocusOf(setup) != nullptr; }));
    groups = GetDlgItem(setup, kGroups);
    shortcuts = GetDlgItem(setup, kShortcuts);
  }
  void Close() {
    ClickButton(setup, IDCANCEL);
    ASSERT_TRUE(PumpUntil(3000, [this] { return !IsWindow(setup); }));
  }
  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(setup, id)) != FALSE; }
  // Rename group, Delete group, New shortcut; Rename and Delete shortcut.
  void ExpectButtons(bool groupSelected, bool anyShortcut) const {
    PumpUntil(2000, [&] {
      return Enabled(kRenameGroup) == groupSelected && Enabled(kDeleteGroup) == groupSelected &&
             Enabled(kNewShortcut) == groupSelected && Enabled(kRenameShortcut) == anyShortcut &&
             Enabled(kDeleteShortcut) == anyShortcut;
    });
    EXPECT_TRUE(Enabled(kNewGroup));
    EXPECT_EQ(groupSelected, Enabled(kRenameGroup));
    EXPECT_EQ(groupSelected, Enabled(kDeleteGroup));
    EXPECT_EQ(groupSelected, Enabled(kNewShortcut));
    EXPECT_EQ(anyShortcut, Enabled(kRenameShortcut));
    EXPECT_EQ(anyShortcut, Enabled(kDeleteShortcut));
  }
  void ExpectLists(const std::vector<std::string>& names, int selected, const std::vector<std::string>& items) {
    EXPECT_TRUE(PumpUntil(2000, [&] { return ListBoxTexts(groups) == names && ListBoxSelection(groups) == selected; }))
        << "the groups list shows " << qv::JoinLines(ListBoxTexts(groups)) << " with " << ListBoxSelection(groups);
    EXPECT_TRUE(PumpUntil(2000, [&] { return ListTexts(shortcuts) == items; }));
  }
  // With the focus on the groups list, as every group operation leaves it.
  void SelectGroup(int index) {
    PressKey(VK_HOME);
    for (int i = 0; i < index; ++i) PressKey(VK_DOWN);
    ASSERT_TRUE(PumpUntil(2000, [&] { return ListBoxSelection(groups) == index; }));
  }

  HWND WaitForName(const std::string& title) {
    HWND dialog = WaitForTopLevel(launcher->id(), title, 5000, "#32770");
    if (dialog != nullptr) PumpUntil(2000, [dialog] { return IsWindowVisible(dialog) != FALSE; });
    return dialog;
  }
  // Types the name into the edit and presses OK, as pasting would.
  void Name(HWND dialog, const std::string& text) {
    SetWindowTextA(GetDlgItem(dialog, kNameEdit), text.c_str());
    ClickButton(dialog, IDOK);
  }
  void NameAndClose(const std::string& title, const std::string& text) {
    HWND dialog = WaitForName(title);
    ASSERT_NE(dialog, nullptr) << title;
    Name(dialog, text);
    ASSERT_TRUE(PumpUntil(3000, [dialog] { return !IsWindow(dialog); })) << text << " was not taken";
  }
  // Waits for a box, checks its text, answers it.
  void Expect(const std::string& title, const qv::MessageLines& lines, int answer = IDOK) {
    MessageBoxView box = WaitForMessageBox(launcher->id(), title);
    ASSERT_NE(box.window, nullptr) << title;
    EXPECT_EQ(qv::JoinLines(lines), box.text);
    ClickButton(box.window, answer);
    ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(box.window); }));
  }
  // A File I/O Error report: its fixed lines, then the system's text.
  void ExpectFileError(const qv::MessageLines& lines) {
    MessageBoxView box = WaitForMessageBox(launcher->id(), "File I/O Error");
    ASSERT_NE(box.window, nullptr);
    const std::string fixed = qv::JoinLines(lines) + "\nError Information:\n\nError ";
    EXPECT_EQ(fixed, box.text.substr(0, fixed.size()));
    EXPECT_GT(box.text.size(), fixed.size() + 4) << "no system text in " << box.text;
    ClickButton(box.window, IDOK);
    ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(box.window); }));
  }
  void DeleteSelected(bool first, bool second) {
    ClickButton(setup, kDeleteGroup);
    Expect("Delete Group", {"Are you sure you wish to delete the", "following group?:", "", SelectedName()},
           first ? IDYES : IDNO);
    if (first) Expect("Delete Group", {"Are you really sure?"}, second ? IDYES : IDNO);
  }
  std::string SelectedName() const {
    const std::vector<std::string> names = ListBoxTexts(groups);
    const int at = ListBoxSelection(groups);
    return at >= 0 && at < static_cast<int>(names.size()) ? names[at] : std::string();
  }
  bool Exists(const std::string& relative) const {
    return GetFileAttributesA(folder.File(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // Disk changes follow the closing of a dialog or box; wait for them.
  bool Appears(const std::string& relative) const {
    return PumpUntil(3000, [&] { return Exists(relative); });
  }
  bool Gone(const std::string& relative) const {
    return PumpUntil(3000, [&] { return !Exists(relative); });
  }
  // The folder's name as the file system keeps it.
  std::string StoredName(const std::string& relative) const {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(folder.File(relative).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    FindClose(search);
    return found.cFileName;
  }
  // Hovers a row of the popup until its list shows these shortcuts.
  bool RowShows(const qv::PopupLayout& layout, int row, const std::vector<std::string>& items) {
    MoveTo(RowPoint(layout, row));
    return PumpUntil(2000, [&] { return ListTexts(list) == items; });
  }

  // A point inside a control of Setup, on the screen.
  COLORREF PixelIn(int id, int dx, int dy) const {
    RECT r{};
    GetWindowRect(GetDlgItem(setup, id), &r);
    return ScreenPixel(dx >= 0 ? r.left + dx : r.right + dx, dy >= 0 ? r.top + dy : r.bottom + dy);
  }
  HWND OpenCommon(int button, bool font) {
    ClickButton(setup, button);
    return font ? WaitForFontDialog(launcher->id()) : WaitForColorDialog(launcher->id());
  }
  std::string Stored(const char* value) const {
    char text[256] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, kLookKey, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
      return "(none)";
    return text;
  }
  DWORD StoredColor(const char* value) const {
    DWORD color = CLR_INVALID;
    DWORD size = sizeof color;
    RegGetValueA(HKEY_CURRENT_USER, kLookKey, value, RRF_RT_REG_DWORD, nullptr, &color, &size);
    return color;
  }
  // The launcher writes the font last, after Setup's window has gone.
  bool LookStored() const {
    return PumpUntil(3000, [this] { return Stored("Font") != "(none)"; });
  }
  // Whether some pixel of a rectangle of the popup's client area has this colour.
  bool Shows(const qv::Box& box, COLORREF color) const {
    const POINT origin = ToScreen(box.left, box.top);
    for (int y = 0; y < box.bottom - box.top; ++y)
      for (int x = 0; x < box.right - box.left; ++x)
        if (ScreenPixel(origin.x + x, origin.y + y) == color) return true;
    return false;
  }

  HWND setup = nullptr;
  HWND groups = nullptr;
  HWND shortcuts = nullptr;
};

TEST_F(Setup, OpensFromThePopupAndTheKeysActOnTheGroupsList) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(Show());
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_FALSE(Visible()) << "the popup stays under Setup";
  EXPECT_EQ(setup, GetForegroundWindow());
  EXPECT_EQ(groups, FocusOf(setup));
  ExpectLists({}, -1, {});
  ExpectButtons(false, false);

  // Enter and Delete on an empty list do nothing; nor does a show request.
  PressKey(VK_RETURN);
  PressKey(VK_DELETE);
  MoveMouse((strip.left + strip.right) / 2, strip.top);
  Pump(500);
  EXPECT_TRUE(IsWindowVisible(setup));
  EXPECT_EQ(nullptr, FindTopLevel(launcher->id(), "Rename Group", "#32770"));
  EXPECT_EQ(nullptr, FindTopLevel(launcher->id(), "Delete Group", "#32770"));
  EXPECT_FALSE(Visible());
  Rest();

  // Insert asks for a new group's name, typed on the keyboard.
  PressKey(VK_INSERT);
  HWND name = WaitForName("Add Group");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ("Please enter the name of the group:", WindowText(GetDlgItem(name, kNamePrompt)));
  EXPECT_EQ("", ControlText(GetDlgItem(name, kNameEdit)));
  ASSERT_TRUE(PumpUntil(2000, [&] { return FocusOf(name) == GetDlgItem(name, kNameEdit); }));
  TypeText(" Gamma ");
  ASSERT_TRUE(PumpUntil(2000, [&] { return ControlText(GetDlgItem(name, kNameEdit)) == " Gamma "; }));
  PressKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(name); }));
  EXPECT_TRUE(PumpUntil(3000, [&] { return StoredName("Gamma") == "Gamma"; })) << "the name is trimmed";
  ExpectLists({"Gamma"}, 0, {});
  ExpectButtons(true, false);

  // Enter renames; Escape in the name dialog changes nothing.
  EXPECT_EQ(groups, FocusOf(setup));
  PressKey(VK_RETURN);
  name = WaitForName("Rename Group");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ("Enter the new name of the group:", WindowText(GetDlgItem(name, kNamePrompt)));
  EXPECT_EQ("Gamma", ControlText(GetDlgItem(name, kNameEdit)));
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(name); }));
  EXPECT_TRUE(IsWindowVisible(setup)) << "Enter and Escape belong to the name dialog";

  // Delete asks twice; deleting the only group leaves nothing selected.
  PressKey(VK_DELETE);
  Expect("Delete Group", {"Are you sure you wish to delete the", "following group?:", "", "Gamma"}, IDYES);
  Expect("Delete Group", {"Are you really sure?"}, IDYES);
  EXPECT_TRUE(Gone("Gamma"));
  ExpectLists({}, -1, {});
  ExpectButtons(false, false);

  // Escape closes Setup; the popup comes again on request, and the look
  // has been stored although nothing changed.
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil(3000, [this] { return !IsWindow(setup); }));
  ASSERT_TRUE(LookStored());
  EXPECT_EQ(0x0000FFFFu, StoredColor("ForegroundColor"));
  EXPECT_EQ(0u, StoredColor("BackgroundColor"));
  EXPECT_TRUE(Show());
}

TEST_F(Setup, GroupsAreMadeRenamedAndDeletedOnDiskInTheListAndForThePopup) {
  Group("Alpha", {"a.txt"});
  Group("beta", {"b.txt"});
  Group("Mid", {"m.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Open(true));
  ExpectLists({"Alpha", "beta", "Mid"}, 0, {"a"});
  ExpectButtons(true, true);

  // A double-click on a group asks for its new name.
  RECT box{};
  GetWindowRect(groups, &box);
  const int rowHeight = static_cast<int>(SendMessageA(groups, LB_GETITEMHEIGHT, 0, 0));
  const int x = box.left + 20;
  const int y = box.top + 2 + rowHeight + rowHeight / 2;  // beta
  ClickAt(x, y);
  ClickAt(x, y);
  HWND name = WaitForName("Rename Group");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ("beta", ControlText(GetDlgItem(name, kNameEdit)));
  ClickButton(name, IDCANCEL);
  ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(name); }));
  ExpectLists({"Alpha", "beta", "Mid"}, 1, {"b"});

  ClickButton(setup, kNewGroup);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Add Group", "Gamma"));
  EXPECT_TRUE(Appears("Gamma"));
  ExpectLists({"Alpha", "beta", "Gamma", "Mid"}, 2, {});
  ExpectButtons(true, false);

  // A name that sorts elsewhere moves the entry; the folder keeps its files.
  SelectGroup(3);
  ExpectLists({"Alpha", "beta", "Gamma", "Mid"}, 3, {"m"});
  ClickButton(setup, kRenameGroup);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Rename Group", "Aardvark"));
  EXPECT_TRUE(Gone("Mid"));
  EXPECT_TRUE(Appears("Aardvark\\m.txt"));
  ExpectLists({"Aardvark", "Alpha", "beta", "Gamma"}, 0, {"m"});

  // Its own name in other letter case passes and renames the folder.
  SelectGroup(2);
  ClickButton(setup, kRenameGroup);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Rename Group", "BETA"));
  EXPECT_TRUE(PumpUntil(3000, [&] { return StoredName("beta") == "BETA"; }));
  ExpectLists({"Aardvark", "Alpha", "BETA", "Gamma"}, 2, {"b"});

  // No to either question keeps the group; the last entry gone, the new
  // last one is selected.
  SelectGroup(3);
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(false, false));
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(true, false));
  EXPECT_TRUE(Appears("Gamma"));
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(true, true));
  EXPECT_TRUE(Gone("Gamma"));
  ExpectLists({"Aardvark", "Alpha", "BETA"}, 2, {"b"});
  ASSERT_NO_FATAL_FAILURE(Close());

  // The popup keeps the renamed group at its old place until Refresh.
  ASSERT_TRUE(Show());
  qv::PopupLayout layout = Expected({"Alpha", "BETA", "Aardvark"});
  EXPECT_TRUE(RowShows(layout, 0, {"a"}));
  EXPECT_TRUE(RowShows(layout, 2, {"m"}));
  ClickButton(window, kRefresh);
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  ASSERT_TRUE(Show());
  layout = Expected({"Aardvark", "Alpha", "BETA"});
  EXPECT_TRUE(RowShows(layout, 0, {"m"}));
  EXPECT_TRUE(RowShows(layout, 2, {"b"}));
}

TEST_F(Setup, RefusedNamesAndFailedFileOperationsAreReported) {
  Group("Tools 2.5", {"t.txt"});
  Group("Locked", {"a.txt", "b.txt", "c.txt"});
  ASSERT_TRUE(SetFileAttributesA(folder.File("Locked\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  Group("Nested", {"x.txt"});
  ASSERT_TRUE(CreateDirectoryA(folder.File("Nested\\Inner").c_str(), nullptr));
  const std::string longName(85, 'L');
  Group(longName, {});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Open());
  const std::vector<std::string> names = {longName, "Locked", "Nested", "Tools 2"};
  ExpectLists(names, 0, {});

  // Duplicates, blanks and names the file system refuses; the name dialog
  // stays open after each of its own refusals.
  ClickButton(setup, kNewGroup);
  HWND name = WaitForName("Add Group");
  ASSERT_NE(name, nullptr);
  const qv::MessageLines duplicate = {"The specified name is already assigned", "to an existing group!"};
  for (const char* taken : {" tools 2", "LOCKED"}) {
    Name(name, taken);
    Expect("Duplicate Group", duplicate);
    EXPECT_EQ(taken, ControlText(GetDlgItem(name, kNameEdit))) << "the text stays as typed";
  }
  Name(name, " \t ");
  Expect("Insufficient Input", {"You must enter the group's name!"});
  EXPECT_TRUE(IsWindowVisible(name));
  EXPECT_TRUE(Snapshot("name-dialog.png"));
  const std::string programFolder = Upper(folder.path());
  Name(name, "bad|name");
  ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(name); }));
  ExpectFileError({"Quorvel! was unable to create the following", "sub directory:", "", programFolder + "bad|name", ""});
  // A path separator would make a folder outside the program folder.
  ClickButton(setup, kNewGroup);
  ASSERT_NO_FATAL_FAILURE(NameAndClose("Add Group", "..\\Outside"));
  ExpectFileError(
      {"Quorvel! was unable to create the following", "sub directory:", "", programFolder + "..\\Outside", ""});
  EXPECT_FALSE(Exists("..\\Outside"));
  ExpectLists(names, 0, {});

  // The edit takes 80 characters and no more.
  ClickButton(setup, kNewGroup);
  name = WaitForName("Add Group");
  ASSERT_NE(name, nullptr);
  SetWindowTextA(GetDlgItem(name, kNameEdit), std::string(79, 'n').c_str());
  ASSERT_TRUE(PumpUntil(2000, [&] { return FocusOf(name) == GetDlgItem(name, kNameEdit); }));
  PressKey(VK_END);
  TypeText("xy");
  ASSERT_TRUE(PumpUntil(2000, [&] { return ControlText(GetDlgItem(name, kNameEdit)).size() >= 80; }));
  Pump(200);
  EXPECT_EQ(std::string(79, 'n') + "x", ControlText(GetDlgItem(name, kNameEdit)));
  ClickButton(name, IDOK);
  ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(name); }));
  EXPECT_TRUE(Appears(std::string(79, 'n') + "x"));

  // A longer name can only come from the disk; it must be shortened.
  SelectGroup(0);
  ClickButton(setup, kRenameGroup);
  name = WaitForName("Rename Group");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(longName, ControlText(GetDlgItem(name, kNameEdit)));
  ClickButton(name, IDOK);
  Expect("Quorvel!", {"Please enter no more than 80 characters."});
  EXPECT_TRUE(IsWindowVisible(name));
  ClickButton(name, IDCANCEL);
  ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(name); }));
  EXPECT_TRUE(Exists(longName));

  // A read-only file stops the deletion at that file.
  SelectGroup(1);
  ExpectLists({longName, "Locked", "Nested", std::string(79, 'n') + "x", "Tools 2"}, 1, {"a", "b", "c"});
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(true, true));
  ExpectFileError({"Quorvel! was unable to delete the following item in the", "program group \"Locked\":", "", "b.txt",
                   ""});
  EXPECT_TRUE(Exists("Locked\\b.txt"));
  ExpectLists({longName, "Locked", "Nested", std::string(79, 'n') + "x", "Tools 2"}, 1, {"a", "b", "c"});

  // A sub-folder stops the folder's removal once its files are gone.
  SelectGroup(2);
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(true, true));
  ExpectFileError({"Quorvel! was unable to remove the", "following sub directory:", "", programFolder + "Nested", ""});
  EXPECT_TRUE(Gone("Nested\\x.txt"));
  EXPECT_TRUE(Exists("Nested\\Inner"));
  ExpectLists({longName, "Locked", "Nested", std::string(79, 'n') + "x", "Tools 2"}, 2, {});
  ExpectButtons(true, false);
  ASSERT_NO_FATAL_FAILURE(Close());
  SetFileAttributesA(folder.File("Locked\\b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Setup, ColoursAndFontAreChosenInTheCommonDialogsStoredAndDrawn) {
  constexpr COLORREF kWhite = RGB(255, 255, 255);
  constexpr COLORREF kCustom = RGB(10, 200, 30);
  constexpr COLORREF kText = RGB(255, 128, 0);
  constexpr COLORREF kBack = RGB(0, 0, 128);
  Group("Apps", {"a.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ("Arial, 11pt", ControlText(GetDlgItem(setup, kFontText)));
  EXPECT_EQ("This is a test to see\r\nhow this will look!", ControlText(GetDlgItem(setup, kExample)));
  EXPECT_TRUE(PumpUntil(2000, [&] {
    return PixelIn(kForegroundSwatch, 5, 5) == kYellow && PixelIn(kBackgroundSwatch, 5, 5) == RGB(0, 0, 0) &&
           PixelIn(kExample, -4, -4) == RGB(0, 0, 0);
  })) << "the swatches and the example show the popup's colours";

  // The program's custom colours start white; one defined here is offered
  // by the other button's dialog.
  HWND color = OpenCommon(kForeground, false);
  ASSERT_NE(color, nullptr);
  EXPECT_EQ(std::vector<COLORREF>(16, kWhite), CustomColors(color));
  EXPECT_EQ(kYellow, CurrentColor(color)) << "the dialog starts at the colour being edited";
  ASSERT_TRUE(DefineCustomColor(color, kCustom));
  ASSERT_TRUE(ChooseColorAndOk(color, kText));
  EXPECT_TRUE(PumpUntil(2000, [&] { return PixelIn(kForegroundSwatch, 5, 5) == kText; }));

  color = OpenCommon(kBackground, false);
  ASSERT_NE(color, nullptr);
  const std::vector<COLORREF> offered = CustomColors(color);
  EXPECT_EQ(1, std::count(offered.begin(), offered.end(), kCustom));
  ASSERT_TRUE(SetCurrentColor(color, RGB(1, 2, 3)));
  ASSERT_TRUE(CancelCommonDialog(color));
  Pump(200);
  EXPECT_EQ(RGB(0, 0, 0), PixelIn(kBackgroundSwatch, 5, 5)) << "a cancelled choice changes nothing";
  color = OpenCommon(kBackground, false);
  ASSERT_NE(color, nullptr);
  ASSERT_TRUE(ChooseColorAndOk(color, kBack));
  EXPECT_TRUE(PumpUntil(2000, [&] { return PixelIn(kBackgroundSwatch, 5, 5) == kBack; }));
  EXPECT_EQ(kBack, PixelIn(kExample, -4, -4));
  EXPECT_EQ(kText, PixelIn(kForegroundSwatch, 5, 5));

  HWND font = OpenCommon(kFont, true);
  ASSERT_NE(font, nullptr);
  ASSERT_TRUE(SelectFont(font, "Liberation Mono", "Bold", 20));
  ASSERT_TRUE(CancelCommonDialog(font));
  Pump(200);
  EXPECT_EQ("Arial, 11pt", ControlText(GetDlgItem(setup, kFontText)));
  font = OpenCommon(kFont, true);
  ASSERT_NE(font, nullptr);
  ASSERT_TRUE(ChooseFontAndOk(font, "Liberation Serif", "Bold Italic", 12));
  EXPECT_TRUE(PumpUntil(2000, [&] {
    return ControlText(GetDlgItem(setup, kFontText)) == "Liberation Serif, 12pt (Bold/Italic)";
  })) << ControlText(GetDlgItem(setup, kFontText));
  EXPECT_TRUE(Snapshot("setup.png"));

  // Escape hands the choices back; the launcher stores and uses them.
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil(3000, [this] { return !IsWindow(setup); }));
  ASSERT_TRUE(LookStored());
  EXPECT_EQ(kText, StoredColor("ForegroundColor"));
  EXPECT_EQ(kBack, StoredColor("BackgroundColor"));
  const qv::FontRecord record = qv::ParseFontRecord(Stored("Font"));
  EXPECT_EQ(-16, record.height);
  EXPECT_EQ(700, record.weight);
  EXPECT_NE(0, record.italic);
  EXPECT_EQ("Liberation Serif", record.faceName);

  ASSERT_TRUE(Show());
  const qv::PopupLayout layout = Expected({"Apps"}, -16, 700, true, "Liberation Serif");
  const qv::Box& row = layout.rows[0];
  EXPECT_TRUE(Shows(qv::Box{row.left + 2, row.top + 2, row.right - 2, row.bottom - 2}, kText)) << "the name";
  const POINT below = ToScreen(row.left + 10, row.bottom + 20);
  EXPECT_EQ(kBack, ScreenPixel(below.x, below.y));
  MoveTo(RowPoint(layout, 0));
  EXPECT_TRUE(PumpUntil(2000, [&] { return Framed(layout, 0, kText); }));
  ASSERT_TRUE(PumpUntil(2000, [this] { return ListTexts(list) == std::vector<std::string>{"a"}; }));
  Rest();
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));

  // A later Setup starts from the stored look, and the custom colour is
  // still offered.
  ASSERT_NO_FATAL_FAILURE(Open(true));
  EXPECT_EQ("Liberation Serif, 12pt (Bold/Italic)", ControlText(GetDlgItem(setup, kFontText)));
  color = OpenCommon(kBackground, false);
  ASSERT_NE(color, nullptr);
  EXPECT_EQ(kBack, CurrentColor(color));
  const std::vector<COLORREF> kept = CustomColors(color);
  EXPECT_EQ(1, std::count(kept.begin(), kept.end(), kCustom));
  ASSERT_TRUE(CancelCommonDialog(color));
  ASSERT_NO_FATAL_FAILURE(Close());
}

}  // namespace
}  // namespace e2e
