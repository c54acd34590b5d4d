// The Setup dialog as the scenarios drive it: opened from the launcher,
// its lists and buttons read, the name dialog and the message boxes
// answered, and the effect looked for on disk, in the registry and in the
// popup.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonDialogs.h"
#include "LauncherTest.h"
#include "MessageText.h"

namespace e2e {

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

inline std::string Upper(std::string text) {
  CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

class Setup : public LauncherTest {
 protected:
  void SetUp() override {
    // Every scenario starts from the default look and key, and leaves them.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessmark\\QUORVEL");
  }
  void TearDown() override {
    LauncherTest::TearDown();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessmark\\QUORVEL");
  }

  void Open(bool fromTrayIcon = false) {
    if (fromTrayIcon) {
      const POINT icon = TrayIconPoint();
      ClickAt(icon.x, icon.y);
    } else {
      ClickButton(window, kSetup);
    }
    setup = WaitForDialog(launcher->id(), "Quorvel! Setup", 5000);
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(PumpUntil(3000, [this] { return FocusOf(setup) != nullptr; }));
    groups = GetDlgItem(setup, kGroups);
    shortcuts = GetDlgItem(setup, kShortcuts);
  }
  void Close() {
    ASSERT_TRUE(Dismiss(setup, IDCANCEL));
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

  HWND WaitForName(const std::string& title) { return WaitForDialog(launcher->id(), title, 5000); }
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
    ASSERT_TRUE(Dismiss(box.window, answer));
  }
  // A File I/O Error report: its fixed lines, then the system's text.
  void ExpectFileError(const qv::MessageLines& lines) {
    MessageBoxView box = WaitForMessageBox(launcher->id(), "File I/O Error");
    ASSERT_NE(box.window, nullptr);
    const std::string fixed = qv::JoinLines(lines) + "\nError Information:\n\nError ";
    EXPECT_EQ(fixed, box.text.substr(0, fixed.size()));
    EXPECT_GT(box.text.size(), fixed.size() + 4) << "no system text in " << box.text;
    ASSERT_TRUE(Dismiss(box.window, IDOK));
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

}  // namespace e2e
