// The popup from end to end: the real pointer touches the top edge, a group
// opens on hover, a click starts a program, and the popup goes away; the
// notification-area icon and the exit question keep it in check.
#include <gtest/gtest.h>

#include <memory>

#include "LauncherTest.h"

#include <commctrl.h>
#include <shellapi.h>

namespace e2e {
namespace {

constexpr UINT kTrayCallback = WM_USER + 3;

// A program that draws its own title bar: its client area is the whole
// window.
LRESULT CALLBACK OwnTitleBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && wParam) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Wine's task bar keeps a button for each top-level window of another
// program: a child of the bar whose id is the window's handle, shown while
// that window is visible and has no owner.
HWND TaskBarButton(HWND target) {
  const HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  for (HWND b = FindWindowExA(bar, nullptr, "Button", nullptr); b != nullptr;
       b = FindWindowExA(bar, b, "Button", nullptr)) {
    if (static_cast<DWORD>(GetWindowLongPtrA(b, GWLP_ID)) == static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(target)))
      return b;
  }
  return nullptr;
}

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

class Popup : public LauncherTest {
 protected:
  bool ListShows(const std::vector<std::string>& texts) const { return ListTexts(list) == texts; }
  std::size_t ItemCount() const { return static_cast<std::size_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
  // A point of the list far from any item.
  POINT EmptyListPoint() const {
    RECT r{};
    GetWindowRect(list, &r);
    return POINT{r.right - 30, r.bottom - 150};
  }
  POINT ItemCentre(int index) const {
    const std::vector<ListItem> items = ReadListItems(list);
    if (index >= static_cast<int>(items.size())) return POINT{-1, -1};
    const RECT& b = items[index].bounds;
    return POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  }
  bool Selected(int index) const {
    const std::vector<ListItem> items = ReadListItems(list);
    return index < static_cast<int>(items.size()) && items[index].selected;
  }
  // Every item has its own icon, the same image for links of one kind
  // (MakeLinkGroup) and another for each kind.
  bool IconsByKind(std::size_t count, std::size_t kinds) const {
    const std::vector<ListItem> items = ReadListItems(list);
    if (items.size() != count) return false;
    for (std::size_t n = 0; n < count; ++n) {
      if (items[n].image <= 0 || items[n].image != items[n % kinds].image) return false;
      if (n < kinds && n > 0 && items[n].image == items[n - 1].image) return false;
    }
    return true;
  }
  bool MenuVisible() const {
    HWND menu = FindTopLevel(launcher->id(), "", "#32768");
    return menu != nullptr && IsWindowVisible(menu);
  }
};

TEST_F(Popup, ShowsAtItsPlaceWithItsGroupsInOrderAndLeavesWithThePointer) {
  Group("beta", {"b.txt"});
  Group("Alpha", {"a2.txt", "A1.txt"});
  Group("_misc", {"m.txt"});
  Group("Tools 2.5", {"t.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::vector<std::string> names = {"_misc", "Alpha", "beta", "Tools 2"};
  const std::vector<std::vector<std::string>> contents = {{"m"}, {"A1", "a2"}, {"b"}, {"t"}};
  const qv::PopupLayout layout = Expected(names);

  ASSERT_TRUE(Show());
  EXPECT_TRUE(PumpUntil(3000, [this] { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  // No task-bar button: the popup has an owner that is never shown, which
  // keeps it off Windows' bar and off Wine's, which goes by the owner alone.
  const HWND owner = GetWindow(window, GW_OWNER);
  EXPECT_TRUE(owner != nullptr && !IsWindowVisible(owner));
  if (UnderWine()) {
    // The bar takes the desktop's notices in order: once it has a button
    // for a window made now, it has seen the popup shown and activated.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
    const HWND marker = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(PumpUntil(5000, [marker] { return TaskBarButton(marker) != nullptr; }));
    DestroyWindow(marker);
    const HWND button = TaskBarButton(window);
    EXPECT_FALSE(button != nullptr && IsWindowVisible(button)) << "a task-bar button for the popup";
  }
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 491);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right - placed.left, 532);
  EXPECT_EQ(placed.bottom - placed.top, WorkArea().bottom - 1);
  const struct {
    int id;
    qv::Placement want;
  } controls[] = {{1001, layout.setup}, {kRefresh, layout.refresh}, {1002, layout.about}, {IDCANCEL, layout.exit},
                  {kShortcutList, layout.list}};
  for (const auto& control : controls) {
    const RECT r = RectIn(GetDlgItem(window, control.id), window);
    EXPECT_EQ((qv::Placement{r.left, r.top, r.right - r.left, r.bottom - r.top}), control.want) << control.id;
  }
  EXPECT_TRUE(ListTexts(list).empty()) << "nothing is shown before a group is hovered";

  // Each row opens its own group, in name order.
  for (int row = 0; row < 4; ++row) {
    MoveTo(RowPoint(layout, row));
    EXPECT_TRUE(PumpUntil(3000, [&] { return ListShows(contents[row]); })) << names[row];
  }
  EXPECT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 3); }));
  Snapshot("popup.png");

  // The monitor's scale changes while the popup is shown (Windows says so;
  // Wine never does): the buttons, the list's font and its icons follow at
  // once, and the popup keeps its place and its group.
  const int dpi = ScreenDpiHere();
  const int to = dpi == 96 ? 144 : 96;
  const RECT button = RectIn(GetDlgItem(window, kSetup), window);
  const int listFont = AskLauncher("FontHeightOf", list);
  const int icons = AskLauncher("IconSizeOf", list);
  ASSERT_GT(listFont, 0);
  ASSERT_GT(icons, 0);
  ASSERT_TRUE(SendDpiChanged(window, to, placed));
  const RECT scaled = RectIn(GetDlgItem(window, kSetup), window);
  EXPECT_EQ(scaled.bottom - scaled.top, MulDiv(button.bottom - button.top, to, dpi)) << "the buttons' height";
  EXPECT_NEAR(AskLauncher("FontHeightOf", list), MulDiv(listFont, to, dpi), 1) << "the list's font";
  EXPECT_EQ(AskLauncher("IconSizeOf", list), MulDiv(icons, to, dpi)) << "the list's icons";
  RECT kept{};
  GetWindowRect(window, &kept);
  EXPECT_TRUE(EqualRect(&kept, &placed));
  EXPECT_TRUE(ListShows(contents[3]));

  // The strip left of the stay zone is already outside.
  EXPECT_TRUE(HiddenAfterMoveTo(placed.left + 5, 300));
  ASSERT_TRUE(Show());
  const RECT again = RectIn(GetDlgItem(window, kSetup), window);
  EXPECT_EQ(again.bottom - again.top, button.bottom - button.top) << "shown again at its monitor's scale";
  EXPECT_EQ(AskLauncher("IconSizeOf", list), icons);
  EXPECT_TRUE(HiddenAfterMoveTo(placed.left + 5, 300));
  EXPECT_FALSE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(ListTexts(list).empty()) << "hiding empties the list";
  ASSERT_TRUE(Show());
  EXPECT_TRUE(HiddenAfterMoveTo(100, 100));
  SendMessageA(window, WM_USER + 1, 0, 0);
  EXPECT_FALSE(Visible()) << "a show request that comes after the pointer has left shows nothing";

  // Where no hide request comes (a program the hook is not let into), the
  // popup still leaves with the pointer.
  ASSERT_TRUE(Show());
  hook.Register(nullptr);
  EXPECT_TRUE(HiddenAfterMoveTo(100, 100)) << "shown until a hide request came";
  hook.Register(window);

  // A task bar that moves, grows or hides itself changes the work area
  // without a new display mode, and the zones follow. (Wine keeps a work
  // area set by another process to that process, so the spoilt zones show
  // the recomputation.)
  const RECT stripAsIs = hook.triggerStrip();
  hook.triggerStrip() = RECT{0, 0, 0, 0};
  SendMessageA(window, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
  EXPECT_EQ(hook.triggerStrip().right, 0) << "recomputed for a change of another setting";
  SendMessageA(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_TRUE(EqualRect(&hook.triggerStrip(), &stripAsIs)) << "the zones did not follow the work area";

  // A new display mode moves the zones, not the shown popup; capture going
  // to another window hides it, going to the popup itself does not. The
  // pointer leaves the edge first: resting there, the move that the system
  // makes when the popup goes would rightly call it again.
  ASSERT_TRUE(Show());
  MoveMouse((strip.left + strip.right) / 2, 300);
  hook.stayZone() = RECT{0, 0, 4096, 4096};  // spoilt, but keeps the popup
  SendMessageA(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
  EXPECT_EQ(hook.stayZone().left, WorkArea().right / 2);
  RECT still{};
  GetWindowRect(window, &still);
  EXPECT_TRUE(EqualRect(&still, &placed));
  SendMessageA(window, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  EXPECT_TRUE(Visible());
  SendMessageA(window, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(GetDesktopWindow()));
  EXPECT_FALSE(Visible());

  // A tap, with no rest of the pointer, opens a group's row and keeps the
  // popup; a click elsewhere on the popup's surface sends it away.
  ASSERT_TRUE(Show());
  const POINT tap = RowPoint(layout, 1);
  ClickAt(tap.x, tap.y);
  EXPECT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 1) && ListShows(contents[1]); }));
  EXPECT_TRUE(Visible()) << "a tap on a group's row sent the popup away";
  const POINT surface = ToScreen(60, layout.groupArea.bottom + 40);
  ClickAt(surface.x, surface.y);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
}

TEST_F(Popup, ARowIsFramedAtOnceAndOpensAQuarterSecondLater) {
  Group("Apps", {"x.txt", "y.txt"});
  Group("Books", {"z.txt"});
  Group("Cards", {"c.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  const qv::PopupLayout layout = Expected({"Apps", "Books", "Cards"});
  ASSERT_TRUE(Show());

  const double entered = Now();
  MoveTo(RowPoint(layout, 0));
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 0); }));
  EXPECT_TRUE(ListTexts(list).empty()) << "the list waits for the pointer to rest";
  ASSERT_TRUE(PumpUntil(3000, [&] { return ListShows({"x", "y"}); }));
  EXPECT_GE(Now() - entered, 240.0) << "opened before the hover delay";

  // Across Books into the list, faster than the delay: Apps stays.
  MoveTo(RowPoint(layout, 1));
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 1) && !Framed(layout, 0); }));
  MoveTo(EmptyListPoint());
  EXPECT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 0) && !Framed(layout, 1); }));
  Pump(500);
  EXPECT_TRUE(ListShows({"x", "y"}));

  // Resting briefly, then moving off the rows: the group still opens.
  MoveTo(RowPoint(layout, 2));
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 2); }));
  const POINT below = ToScreen(60, layout.groupArea.bottom + 100);
  MoveTo(below);
  EXPECT_TRUE(PumpUntil(3000, [&] { return ListShows({"c"}); }));
  EXPECT_TRUE(Framed(layout, 2));
  EXPECT_TRUE(Visible());
}

TEST_F(Popup, AClickInTheListStartsTheSelectedShortcutAndHides) {
  const std::string mark = FolderFromEnvironment("QV_BIN_DIR") + "qv_mark.exe";
  ASSERT_TRUE(CopyFileA(mark.c_str(), folder.File("Target.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(mark.c_str(), folder.File("RASPHONE.EXE").c_str(), FALSE));
  Group("Apps", {});
  ASSERT_TRUE(MakeShellLink(folder.File("Apps\\Target.lnk"), folder.File("Target.exe")));
  Group("Net", {"Office.Rnk"});
  ASSERT_NO_FATAL_FAILURE(Start());
  const qv::PopupLayout layout = Expected({"Apps", "Net"});
  const std::string targetLog = folder.File("Target.log");
  const std::string dialLog = folder.File("RASPHONE.log");

  // Nothing selected: the click only hides.
  ASSERT_TRUE(Show());
  MoveTo(RowPoint(layout, 0));
  ASSERT_TRUE(PumpUntil(3000, [&] { return ListShows({"Target"}); }));
  const POINT empty = EmptyListPoint();
  ClickAt(empty.x, empty.y);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  Pump(500);
  EXPECT_FALSE(FileExists(targetLog));

  // Hovering selects; the selection stays on empty space, where a click
  // starts it.
  ASSERT_TRUE(Show());
  MoveTo(RowPoint(layout, 0));
  ASSERT_TRUE(PumpUntil(3000, [&] { return ListShows({"Target"}); }));
  MoveTo(ItemCentre(0));
  ASSERT_TRUE(PumpUntil(3000, [&] { return Selected(0); }));
  MoveTo(EmptyListPoint());
  Pump(200);
  EXPECT_TRUE(Selected(0));
  ClickAt(empty.x, empty.y);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_TRUE(PumpUntil(10000, [&] { return ReadTextFile(targetLog).find("Target.exe") != std::string::npos; }))
      << "the link's target did not start";

  // A dial-up shortcut goes to the phone program, its path as the parameter.
  ASSERT_TRUE(Show());
  MoveTo(RowPoint(layout, 1));
  ASSERT_TRUE(PumpUntil(3000, [&] { return ListShows({"Office"}); }));
  const POINT item = ItemCentre(0);
  MoveTo(item);
  ASSERT_TRUE(PumpUntil(3000, [&] { return Selected(0); }));
  ClickAt(item.x, item.y);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  const std::string dialPath = folder.File("Net\\Office.Rnk");
  EXPECT_TRUE(PumpUntil(10000, [&] { return ReadTextFile(dialLog).find(" " + dialPath) != std::string::npos; }))
      << ReadTextFile(dialLog);
  EXPECT_EQ(ReadTextFile(targetLog).find("Office"), std::string::npos);
}

TEST_F(Popup, TheKeyboardWalksTheGroupsAndTheListAndStartsTheSelection) {
  const std::string mark = FolderFromEnvironment("QV_BIN_DIR") + "qv_mark.exe";
  ASSERT_TRUE(CopyFileA(mark.c_str(), folder.File("Target.exe").c_str(), FALSE));
  Group("Apps", {"a.txt", "b.txt"});
  Group("Tools", {});
  ASSERT_TRUE(MakeShellLink(folder.File("Tools\\Target.lnk"), folder.File("Target.exe")));
  ASSERT_NO_FATAL_FAILURE(Start());
  const qv::PopupLayout layout = Expected({"Apps", "Tools"});
  ASSERT_TRUE(Show());
  ASSERT_TRUE(PumpUntil(3000, [this] { return GetForegroundWindow() == window; }));

  // Down frames the first group, which opens after the rest; Up goes round.
  PressKey(VK_DOWN);
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 0) && ListShows({"a", "b"}); }));
  PressKey(VK_UP);
  EXPECT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 1) && ListShows({"Target"}); }));
  PressKey(VK_DOWN);
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 0); }));

  // Into the list at once, along it, and back out from its first column.
  PressKey(VK_RIGHT);
  EXPECT_TRUE(PumpUntil(3000, [&] { return ListShows({"a", "b"}) && Selected(0) && FocusOf(window) == list; }));
  PressKey(VK_RIGHT);
  EXPECT_TRUE(PumpUntil(3000, [&] { return Selected(1); }));
  PressKey(VK_LEFT);
  EXPECT_TRUE(PumpUntil(3000, [&] { return Selected(0); }));
  PressKey(VK_LEFT);
  PressKey(VK_DOWN);
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 1) && ListShows({"Target"}); }));

  // Tab goes round the four buttons and the list.
  PressKey(VK_TAB);
  EXPECT_TRUE(PumpUntil(3000, [&] { return FocusOf(window) == GetDlgItem(window, kSetup); }));
  for (int i = 0; i < 4; ++i) PressKey(VK_TAB);
  EXPECT_TRUE(PumpUntil(3000, [&] { return FocusOf(window) == list; }));

  // The pointer takes over the frame; the keys go on from there.
  MoveTo(RowPoint(layout, 0));
  ASSERT_TRUE(PumpUntil(3000, [&] { return Framed(layout, 0) && ListShows({"a", "b"}); }));
  PressKey(VK_DOWN);
  PressKey(VK_RIGHT);
  ASSERT_TRUE(PumpUntil(3000, [&] { return ListShows({"Target"}) && Selected(0); }));

  // Enter starts the selection, as a click does.
  PressKey(VK_RETURN);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_TRUE(PumpUntil(10000, [&] {
    return ReadTextFile(folder.File("Target.log")).find("Target.exe") != std::string::npos;
  })) << "the link's target did not start";

  // Escape asks to exit.
  ASSERT_TRUE(Show());
  PressKey(VK_ESCAPE);
  MessageBoxView box = WaitForMessageBox(launcher->id(), "Exit Quorvel!");
  ASSERT_NE(box.window, nullptr);
  ASSERT_TRUE(Dismiss(box.window, IDNO));
}

// Typing finds in every group, also in one the column has no room for,
// folding accents and kana; Escape clears the query; the key calls the
// popup with the pointer elsewhere, and hides it again.
TEST_F(Popup, TypingFindsInEveryGroupAndTheKeyCallsThePopup) {
  const std::string mark = FolderFromEnvironment("QV_BIN_DIR") + "qv_mark.exe";
  ASSERT_TRUE(CopyFileA(mark.c_str(), folder.File("Target.exe").c_str(), FALSE));
  std::vector<std::string> names;
  for (int i = 10; i < 50; ++i) {
    names.push_back("Group " + std::to_string(i));
    Group(names.back(), {"Note " + std::to_string(i) + ".txt"});
  }
  names.push_back("Zed");
  Group("Zed", {"Caf\xC3\xA9 \xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3.txt"});  // "Cafe" with an accent, katakana, kanji
  ASSERT_TRUE(MakeShellLink(folder.File("Zed\\Target Tool.lnk"), folder.File("Target.exe")));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_EQ(-1, Expected(names).rows.back().left) << "the last group has a row: more groups are needed";
  const HWND results = GetDlgItem(window, 1004);
  const std::string log = folder.File("Target.log");
  auto finds = [&](const std::vector<std::string>& texts) {
    return PumpUntil(3000, [&] {
      const std::vector<ListItem> items = ReadListItems(results);
      std::vector<std::string> shown;
      for (const ListItem& item : items) shown.push_back(item.text);
      return IsWindowVisible(results) && shown == texts && (items.empty() || items[0].selected);
    });
  };

  ASSERT_TRUE(Show());
  ASSERT_TRUE(PumpUntil(3000, [this] { return GetForegroundWindow() == window; }));
  EXPECT_FALSE(IsWindowVisible(results));
  TypeCharacters("cafe \xE3\x82\x81\xE3\x82\x82");  // hiragana for the katakana of the name
  EXPECT_TRUE(finds({"Caf\xC3\xA9 \xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3"}));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil(3000, [&] { return !IsWindowVisible(results) && Visible(); }))
      << "Escape clears the query and leaves the popup";
  // The keys move in the results.
  TypeText("o");
  auto selectedAt = [&](int index) {
    return PumpUntil(3000, [&] {
      const std::vector<ListItem> items = ReadListItems(results);
      const std::size_t at = index < 0 ? items.size() - 1 : static_cast<std::size_t>(index);
      return items.size() > 2 && at < items.size() && items[at].selected;
    });
  };
  EXPECT_TRUE(selectedAt(0));
  PressKey(VK_DOWN);
  EXPECT_TRUE(selectedAt(1));
  PressKey(VK_END);
  EXPECT_TRUE(selectedAt(-1));
  PressKey(VK_ESCAPE);
  TypeText("tarx");
  EXPECT_TRUE(finds({})) << "nothing matches";
  PressKey(VK_BACK);
  EXPECT_TRUE(finds({"Target Tool"}));
  PressKey(VK_RETURN);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_TRUE(PumpUntil(10000, [&] { return ReadTextFile(log).find("Target.exe") != std::string::npos; }))
      << "the result did not start";
  ASSERT_TRUE(DeleteFileA(log.c_str()));

  // The key, with the pointer resting in the left half: the popup stays
  // there until the key comes again, and takes what is typed at once.
  Rest();
  PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
  ASSERT_TRUE(PumpUntil(3000, [this] { return Visible() && GetForegroundWindow() == window; }));
  Pump(600);
  EXPECT_TRUE(Visible()) << "the pointer elsewhere does not send it away";
  PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  // Wine hands the foreground on to the next window (the task bar) in that
  // window's own time; a key pressed before it has taken it would find the
  // popup sent away by that late change. A hand is never that quick.
  PumpUntil(1000, [this] {
    const HWND front = GetForegroundWindow();
    return front != nullptr && front != window;
  });
  PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
  ASSERT_TRUE(PumpUntil(3000, [this] { return Visible() && GetForegroundWindow() == window; }));
  TypeText("tt");
  EXPECT_TRUE(finds({"Target Tool"}));
  // Ctrl+Enter shows the target in its folder, the program folder here.
  PressKeys({VK_CONTROL, VK_RETURN});
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  std::string shown = folder.path().substr(0, folder.path().size() - 1);
  shown = shown.substr(shown.find_last_of('\\') + 1);
  HWND explorer = nullptr;
  EXPECT_TRUE(PumpUntil(10000, [&] { return (explorer = FindWindowA(nullptr, shown.c_str())) != nullptr; }))
      << "no folder window " << shown << "\n" << DescribeDesktop();
  if (explorer != nullptr) {
    PostMessageA(explorer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil(5000, [&] { return !IsWindow(explorer); }));
  }
  PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
  ASSERT_TRUE(PumpUntil(3000, [this] { return Visible() && GetForegroundWindow() == window; }));
  TypeText("tt");
  EXPECT_TRUE(finds({"Target Tool"}));
  PressKey(VK_RETURN);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_TRUE(PumpUntil(10000, [&] { return ReadTextFile(log).find("Target.exe") != std::string::npos; }));
}

TEST_F(Popup, TheEdgeStaysQuietOverAFullScreenProgram) {
  Group("Apps", {"a.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const auto inFront = [](const OwnWindow& w, int show) {
    ShowWindow(w.hwnd(), show);
    SetForegroundWindow(w.hwnd());
    return PumpUntil(3000, [&] { return GetForegroundWindow() == w.hwnd(); });
  };
  {
    OwnWindow film("film", screen, WS_POPUP);
    ASSERT_TRUE(inFront(film, SW_SHOW));
    MoveMouse((strip.left + strip.right) / 2, strip.top);
    Pump(500);
    EXPECT_FALSE(Visible()) << "shown over a borderless window of the screen's size";
    Rest();
  }
  EXPECT_TRUE(Show()) << "held back after the full-screen window had gone";
  Rest();
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));

  {
    OwnWindow editor("editor", RECT{100, 100, 400, 400}, WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(inFront(editor, SW_SHOWMAXIMIZED));
    EXPECT_TRUE(Show()) << "held back over a maximised window";
    Rest();
    ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  }

  // A maximised program that draws its own title bar, on a monitor without
  // a task bar: its client area is the whole monitor, and still it is no
  // film.
  OwnWindow browser("browser", RECT{100, 100, 400, 400}, WS_OVERLAPPEDWINDOW);
  SetWindowLongPtrA(browser.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnTitleBarProc));
  ASSERT_TRUE(inFront(browser, SW_SHOWMAXIMIZED));
  SetWindowPos(browser.hwnd(), nullptr, 0, 0, screen.right, screen.bottom, SWP_NOZORDER | SWP_FRAMECHANGED);
  RECT client{};
  GetClientRect(browser.hwnd(), &client);
  ASSERT_TRUE(IsZoomed(browser.hwnd()) && client.right == screen.right && client.bottom == screen.bottom);
  EXPECT_TRUE(Show()) << "held back over a maximised window with a title bar of its own";
}

TEST_F(Popup, UnderABarAtTheTopItHangsFromTheBarAndBesideOneOnTheLeftItKeepsToTheStayZone) {
  Group("Apps", {"a.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  constexpr int kBar = 40;
  ASSERT_TRUE(CallInProcess(launcher->id(), FolderFromEnvironment("QV_BIN_DIR") + "qv_topbar.dll", "SetTopBar",
                            reinterpret_cast<void*>(INT_PTR{kBar})));
  // The change announced as the shell announces a moved task bar.
  SendMessageA(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  ASSERT_TRUE(PumpUntil(3000, [this] { return hook.triggerStrip().top == kBar; })) << "the zones kept the old top";
  strip = hook.triggerStrip();
  ASSERT_TRUE(Show());
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.top, kBar) << "the popup hangs over the bar";
  MoveTo(RowPoint(Expected({"Apps"}), 0));
  EXPECT_TRUE(PumpUntil(3000, [&] { return ListShows({"a"}); }));
  EXPECT_TRUE(Visible()) << "the first row lies outside the stay zone";
  EXPECT_TRUE(HiddenAfterMoveTo((strip.left + strip.right) / 2, kBar / 2)) << "shown on the bar itself";

  // A bar on the left as well: the popup starts where the stay zone does,
  // so the start of a group's name keeps it up and opens the group.
  constexpr int kLeftBar = 60;
  ASSERT_TRUE(CallInProcess(launcher->id(), FolderFromEnvironment("QV_BIN_DIR") + "qv_topbar.dll", "SetLeftBar",
                            reinterpret_cast<void*>(INT_PTR{kLeftBar})));
  SendMessageA(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  RECT work = WorkArea();
  work.left = kLeftBar;
  work.top = kBar;
  const qv::PopupLayout leftBar = ExpectedOn(work, 0, {"Apps"});
  ASSERT_TRUE(Show());
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, leftBar.window.x);
  EXPECT_EQ(placed.right, work.right - 1) << "the popup reaches the work area's right edge";
  const qv::Box& row = leftBar.rows[0];
  MoveTo(ToScreen(row.left + 2, (row.top + row.bottom) / 2));
  EXPECT_TRUE(PumpUntil(3000, [&] { return ListShows({"a"}); }));
  EXPECT_TRUE(Visible()) << "the start of a group's row lies outside the stay zone";
}

TEST_F(Popup, RefreshShowsWhatChangedOnDiskAndIconsComeIntoTheListInPlace) {
  Group("Alpha", {"a.txt"});
  ASSERT_TRUE(MakeLinkGroup(folder.File("Big"), 300, 3));
  ASSERT_NO_FATAL_FAILURE(Start());
  const qv::PopupLayout after = Expected({"Alpha", "Big", "Zulu"});
  ASSERT_TRUE(Show());
  Group("Zulu", {"z.txt"});
  MoveTo(RowPoint(after, 2));
  Pump(600);
  EXPECT_TRUE(ListTexts(list).empty()) << "the new folder is not a group before Refresh";

  // The big group lists at once, whatever its icons; a Refresh while it is
  // shown, icons and all, reads the folder again.
  MoveTo(RowPoint(after, 1));
  ASSERT_TRUE(PumpUntil(3000, [&] { return ItemCount() == 300; }));
  ASSERT_TRUE(CopyFileA(folder.File("Big\\Link 000.LNK").c_str(), folder.File("Big\\Link 300.LNK").c_str(), TRUE));
  ClickButton(window, kRefresh);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  ASSERT_TRUE(Show());
  MoveTo(RowPoint(after, 2));
  EXPECT_TRUE(PumpUntil(3000, [&] { return ListShows({"z"}); }));
  MoveTo(RowPoint(after, 1));
  ASSERT_TRUE(PumpUntil(3000, [&] { return ItemCount() == 301; }));

  // Icons arrive into the items in place: the item under the pointer stays
  // selected, and links with one icon share its image.
  MoveTo(ItemCentre(0));
  ASSERT_TRUE(PumpUntil(3000, [&] { return Selected(0); }));
  EXPECT_TRUE(PumpUntil(30000, [&] { return IconsByKind(301, 3); })) << "the icons did not all come";
  EXPECT_TRUE(Selected(0));
  EXPECT_TRUE(Visible());
}

TEST_F(Popup, TrayIconAndExitQuestionKeepThePopupInCheck) {
  const POINT icon = TrayIconPoint();
  // The bar's own colour, where no icon or button is; the icon of the
  // launcher before may stay on the screen until the bar repaints.
  RECT bar{};
  GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar);
  const COLORREF bare = ScreenPixel((bar.left + bar.right) / 2, icon.y);
  ASSERT_TRUE(PumpUntil(5000, [&] { return ScreenPixel(icon.x, icon.y) == bare; })) << "an earlier icon stays";
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_TRUE(PumpUntil(3000, [&] { return ScreenPixel(icon.x, icon.y) != bare; })) << "no notification icon";

  // A shell that starts again has lost every icon, and says so.
  NOTIFYICONDATAA lost{};
  lost.cbSize = NOTIFYICONDATAA_V1_SIZE;
  lost.hWnd = window;
  lost.uID = 101;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &lost));
  ASSERT_TRUE(PumpUntil(3000, [&] { return ScreenPixel(icon.x, icon.y) == bare; }));
  PostMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(PumpUntil(3000, [&] { return ScreenPixel(icon.x, icon.y) != bare; })) << "the icon did not come back";

  // Hidden: a right click opens the menu ("&Setup..." bold, then "&Exit").
  ClickAt(icon.x, icon.y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  ASSERT_TRUE(PumpUntil(3000, [this] { return MenuVisible(); }));
  Snapshot("tray-menu.png");
  PostMessageA(FindTopLevel(launcher->id(), "", "#32768"), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PumpUntil(3000, [this] { return !MenuVisible(); }));

  // The menu's pauses: the edge rests and the tip says for how long; the
  // key still calls the popup; Resume wakes the edge.
  const auto choose = [&](BYTE key) {
    ClickAt(icon.x, icon.y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    if (!PumpUntil(3000, [this] { return MenuVisible(); })) return false;
    PressKey(key);
    return PumpUntil(3000, [this] { return !MenuVisible(); });
  };
  ASSERT_TRUE(choose('H'));
  EXPECT_TRUE(PumpUntil(3000, [this] { return TrayTip() == "Quorvel! - paused, 60 minutes left"; })) << TrayTip();
  ASSERT_TRUE(choose('R'));
  ASSERT_TRUE(choose('U'));
  EXPECT_TRUE(PumpUntil(3000, [this] { return TrayTip() == "Quorvel! - paused until you resume"; })) << TrayTip();
  EXPECT_FALSE(Show()) << "shown while paused";
  PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
  EXPECT_TRUE(PumpUntil(3000, [this] { return Visible(); })) << "the key is dead while paused";
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  // The foreground passes on late under Wine (see the key's scenario); a
  // menu opened before would be closed by it.
  PumpUntil(1000, [this] {
    const HWND front = GetForegroundWindow();
    return front != nullptr && front != window;
  });
  ASSERT_TRUE(choose('R'));
  EXPECT_TRUE(PumpUntil(3000, [this] { return TrayTip().rfind("Quorvel! - ready", 0) == 0; })) << TrayTip();
  EXPECT_TRUE(Show()) << "not shown after Resume";
  Rest();
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));

  // Shown: the icon's clicks change nothing. (The pointer cannot reach the
  // task bar without hiding the popup, so the icon's message is sent.)
  ASSERT_TRUE(Show());
  SendMessageA(window, kTrayCallback, 101, WM_RBUTTONUP);
  Pump(300);
  EXPECT_FALSE(MenuVisible());
  EXPECT_TRUE(Visible());

  // The exit question hides the popup and holds it back while it is open.
  ClickButton(window, IDCANCEL);
  MessageBoxView box = WaitForMessageBox(launcher->id(), "Exit Quorvel!");
  ASSERT_NE(box.window, nullptr);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  EXPECT_FALSE(Show()) << "shown while the exit question was open";
  SendMessageA(window, kTrayCallback, 101, WM_RBUTTONUP);
  Pump(300);
  EXPECT_FALSE(MenuVisible());
  ASSERT_TRUE(Dismiss(box.window, IDNO));
  EXPECT_TRUE(Show()) << "No should let the popup show again at once";
  Rest();
  ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));

  // The menu's Exit asks the same question; Yes ends it all.
  ClickAt(icon.x, icon.y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  ASSERT_TRUE(PumpUntil(3000, [this] { return MenuVisible(); }));
  RECT menu{};
  GetWindowRect(FindTopLevel(launcher->id(), "", "#32768"), &menu);
  ClickAt((menu.left + menu.right) / 2, menu.bottom - 8);
  box = WaitForMessageBox(launcher->id(), "Exit Quorvel!");
  ASSERT_NE(box.window, nullptr) << "the menu's Exit did not ask";
  ClickButton(box.window, IDYES);
  ASSERT_TRUE(launcher->WaitForExit(10000));
  EXPECT_EQ(launcher->ExitCode(), 0u);
  EXPECT_EQ(hook.hook(), nullptr) << "the hook outlived the launcher";
  EXPECT_EQ(hook.window(), nullptr);
  EXPECT_TRUE(PumpUntil(3000, [&] { return ScreenPixel(icon.x, icon.y) == bare; })) << "the icon stayed";
}

}  // namespace
}  // namespace e2e
