// The Setup dialog from end to end: opened from the popup and the
// notification icon, groups made, renamed and deleted through the name
// dialog with keys and buttons, every refusal and failure reported, and the
// effect checked on disk, in the dialog's lists and in the popup.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FontRecord.h"
#include "SetupFixture.h"

namespace e2e {
namespace {

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
  EXPECT_EQ("Please enter the name of the group:", ControlText(GetDlgItem(name, kNamePrompt)));
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
  EXPECT_EQ("Enter the new name of the group:", ControlText(GetDlgItem(name, kNamePrompt)));
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

  // Two clicks on the tray icon, both in before Setup opens, open one Setup;
  // closed, it gives the popup back.
  ASSERT_TRUE(HiddenAfterMoveTo(100, 300));
  for (int i = 0; i < 2; ++i) PostMessageA(window, WM_USER + 3, 101, WM_LBUTTONUP);
  setup = WaitForDialog(launcher->id(), "Quorvel! Setup", 5000);
  ASSERT_NE(setup, nullptr);
  ASSERT_TRUE(Dismiss(setup, IDCANCEL));
  Pump(500);
  EXPECT_EQ(FindTopLevel(launcher->id(), "Quorvel! Setup"), nullptr) << "a second Setup opened inside the first";
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
  ASSERT_TRUE(Dismiss(name, IDCANCEL));
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

TEST_F(Setup, AGroupDeletedWhileItsIconsAreComingGoesWithoutATrace) {
  ASSERT_TRUE(MakeLinkGroup(folder.File("Big"), 400, 2));
  ASSERT_TRUE(MakeLinkGroup(folder.File("Small"), 2, 2));
  ASSERT_NO_FATAL_FAILURE(Start());
  // Big is listed first, so its icons are fetched first; it goes at once.
  ASSERT_NO_FATAL_FAILURE(Open(true));
  ASSERT_NO_FATAL_FAILURE(DeleteSelected(true, true));
  EXPECT_TRUE(Gone("Big"));
  ExpectLists({"Small"}, 0, {"Link 000", "Link 001"});
  auto ownIcons = [](HWND view) {
    const std::vector<ListItem> items = ReadListItems(view);
    return items.size() == 2 && items[0].image > 0 && items[1].image > 0 && items[0].image != items[1].image;
  };
  EXPECT_TRUE(PumpUntil(30000, [&] { return ownIcons(shortcuts); })) << "Small's icons did not come";
  ASSERT_NO_FATAL_FAILURE(Close());
  ASSERT_TRUE(Show());
  EXPECT_TRUE(RowShows(Expected({"Small"}), 0, {"Link 000", "Link 001"}));
  EXPECT_TRUE(ownIcons(list));
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
  ASSERT_TRUE(Dismiss(name, IDOK));
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
  ASSERT_TRUE(Dismiss(name, IDCANCEL));
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
  constexpr int kHotKey = 1019;
  constexpr int kHotKeyStatus = 1020;
  Group("Apps", {"a.txt"});
  // Another program holds the popup's key: the icon's tip and Setup say so.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, VK_SPACE));
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_TRUE(PumpUntil(5000, [this] { return TrayTip() == "Quorvel! - Ctrl+Alt+Space is used by another program"; }))
      << TrayTip();
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ("Another program uses this key.", ControlText(GetDlgItem(setup, kHotKeyStatus)));
  UnregisterHotKey(nullptr, 1);
  // Another combination, said to be free at once, is the key from then on.
  RECT key{};
  GetWindowRect(GetDlgItem(setup, kHotKey), &key);
  ClickAt((key.left + key.right) / 2, (key.top + key.bottom) / 2);
  PressKeys({VK_CONTROL, VK_MENU, 'Q'});
  EXPECT_TRUE(PumpUntil(2000, [&] { return ControlText(GetDlgItem(setup, kHotKeyStatus)).empty(); }));
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
  // Each control repaints in its own time.
  EXPECT_TRUE(PumpUntil(2000, [&] { return PixelIn(kBackgroundSwatch, 5, 5) == kBack; }));
  EXPECT_TRUE(PumpUntil(2000, [&] { return PixelIn(kExample, -4, -4) == kBack; }));
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

  // A new scale for Setup's monitor: the example keeps the chosen font at
  // that scale, and the shortcuts' icons follow.
  const int dpi = ScreenDpiHere();
  const int to = dpi == 96 ? 144 : 96;
  const HWND example = GetDlgItem(setup, kExample);
  const HWND shortcuts = GetDlgItem(setup, kShortcuts);
  const int exampleFont = AskLauncher("FontHeightOf", example);
  const int icons = AskLauncher("IconSizeOf", shortcuts);
  ASSERT_GT(exampleFont, 0);
  ASSERT_GT(icons, 0);
  RECT placed{};
  GetWindowRect(setup, &placed);
  ASSERT_TRUE(SendDpiChanged(setup, to, placed));
  EXPECT_NEAR(AskLauncher("FontHeightOf", example), MulDiv(exampleFont, to, dpi), 1) << "the example's font";
  EXPECT_EQ(AskLauncher("IconSizeOf", shortcuts), MulDiv(icons, to, dpi)) << "the shortcuts' icons";
  ASSERT_TRUE(SendDpiChanged(setup, dpi, placed));

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
  EXPECT_EQ(static_cast<COLORREF>(0x0600 | 'Q'), StoredColor("HotKey")) << "Ctrl and Alt with Q";
  PressKeys({VK_CONTROL, VK_MENU, 'Q'});
  EXPECT_TRUE(PumpUntil(3000, [this] { return Visible(); })) << "the new key calls the popup";
  PressKeys({VK_CONTROL, VK_MENU, 'Q'});
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));

  ASSERT_TRUE(Show());
  const qv::PopupLayout layout = Expected({"Apps"}, -16, 700, true, "Liberation Serif");
  const qv::Box& row = layout.rows[0];
  // The popup paints after it has become visible.
  const qv::Box name{row.left + 2, row.top + 2, row.right - 2, row.bottom - 2};
  EXPECT_TRUE(PumpUntil(2000, [&] { return Shows(name, kText); })) << "the name";
  const POINT below = ToScreen(row.left + 10, row.bottom + 20);
  EXPECT_TRUE(PumpUntil(2000, [&] { return ScreenPixel(below.x, below.y) == kBack; }));
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

// Setup's wait at the edge and its quiet list: stored, and what the edge
// does with them.
TEST_F(Setup, TheEdgeWaitsAndStaysQuietOverTheProgramsSetupNames) {
  constexpr int kDelay = 1021, kQuiet = 1022;
  constexpr int kQuietList = 1000, kRemove = 1001, kOpenWindows = 1004, kAddWindow = 1005;
  Group("Apps", {"a.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  // A window of this program at the top, as a browser's tabs would be.
  OwnWindow tabs("tabs", RECT{strip.left, 0, strip.right, 120}, WS_POPUP);
  SetWindowLongPtrA(tabs.hwnd(), GWL_EXSTYLE, 0);  // one of the task bar's
  tabs.Show();
  ASSERT_NO_FATAL_FAILURE(Open());
  const HWND delay = GetDlgItem(setup, kDelay);
  EXPECT_EQ("At the touch", ControlText(delay));
  const auto choose = [](HWND dialog, int id, HWND box, const std::wstring& item) {
    const LRESULT at = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return at >= 0;
  };
  ASSERT_TRUE(choose(setup, kDelay, delay, L"250 ms"));

  // The usual remote and virtual-machine clients to start with; one goes,
  // the program of an open window comes.
  ClickButton(setup, kQuiet);
  const HWND quiet = WaitForDialog(launcher->id(), "Quiet Edge", 5000);
  ASSERT_NE(quiet, nullptr);
  const HWND list = GetDlgItem(quiet, kQuietList);
  EXPECT_EQ(ListBoxTexts(list), (std::vector<std::string>{"msrdc.exe", "mstsc.exe", "TscShellContainerClass",
                                                          "VirtualBoxVM.exe", "vmconnect.exe", "vmplayer.exe",
                                                          "vmware.exe"}));
  SendMessageW(list, LB_SETCURSEL, 5, 0);
  ClickButton(quiet, kRemove);
  ASSERT_TRUE(choose(quiet, kOpenWindows, GetDlgItem(quiet, kOpenWindows), L"tabs (qv_e2e.exe)"));
  ClickButton(quiet, kAddWindow);
  // Both clicks taken: the program listed in its place and selected.
  const std::vector<std::string> after{"msrdc.exe",        "mstsc.exe",     "qv_e2e.exe", "TscShellContainerClass",
                                       "VirtualBoxVM.exe", "vmconnect.exe", "vmware.exe"};
  EXPECT_TRUE(PumpUntil(2000, [&] { return ListBoxTexts(list) == after && ListBoxSelection(list) == 2; }))
      << qv::JoinLines(ListBoxTexts(list)) << " with " << ListBoxSelection(list);
  ASSERT_TRUE(Dismiss(quiet, IDOK));
  ASSERT_NO_FATAL_FAILURE(Close());
  EXPECT_TRUE(PumpUntil(3000, [this] { return StoredColor("EdgeDelay") == 250; }));
  wchar_t stored[512] = {};
  DWORD size = sizeof stored;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tessmark\\QUORVEL\\Quorvel", L"QuietOver", RRF_RT_REG_MULTI_SZ, nullptr,
               stored, &size);
  std::wstring expected;
  for (const wchar_t* entry : {L"mstsc.exe", L"msrdc.exe", L"TscShellContainerClass", L"vmconnect.exe",
                               L"VirtualBoxVM.exe", L"vmware.exe", L"qv_e2e.exe"})
    expected += std::wstring(entry) + L'\0';
  EXPECT_EQ(std::wstring(stored, size / sizeof(wchar_t)), expected + L'\0');

  // Over the listed program the edge stays quiet; gone, the edge calls.
  MoveMouse((strip.left + strip.right) / 2, strip.top);
  Pump(800);
  EXPECT_FALSE(Visible()) << "shown over a program on the quiet list";
  tabs.Hide();
  Rest();

  // A touch shorter than the wait calls nothing. (Only where this driver
  // got the pointer away in time: a stall of its own would make it long.)
  const DWORD touched = GetTickCount();
  MoveMouse((strip.left + strip.right) / 2, strip.top);
  Rest();
  const DWORD touch = GetTickCount() - touched;
  Pump(800);
  if (touch < 150) {
    EXPECT_FALSE(Visible()) << "shown after a touch of " << touch << " ms";
  }
  if (Visible()) {
    ASSERT_TRUE(HiddenAfterMoveTo(100, 300));
  }
  // A rest longer than it calls the popup; a move along the strip does not
  // count the wait anew, or these moves would keep the popup away.
  bool shown = false;
  for (int i = 0; i < 20 && !shown; ++i) {
    MoveMouse(strip.left + 40 + 8 * i, strip.top);
    Pump(100);
    shown = Visible();
  }
  EXPECT_TRUE(shown) << "moving along the strip kept the popup away";
  Rest();
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_TRUE(Show()) << "a rest at the edge did not call it";
}

}  // namespace
}  // namespace e2e
