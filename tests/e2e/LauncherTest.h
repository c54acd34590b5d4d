// The launcher under test, as the scenarios share it: a program folder of
// its own with groups made on disk, the real QUORVEL.EXE started from it, the
// real pointer moved into the hot zone, and the way out through the exit
// question.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "FontRecord.h"
#include "HotZone.h"
#include "PopupLayout.h"

namespace e2e {

constexpr COLORREF kYellow = RGB(255, 255, 0);  // the default text and frame colour
constexpr int kShortcutList = 1000;
constexpr int kSetup = 1001;
constexpr int kRefresh = 1003;

class LauncherTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (launcher && launcher->Running()) ExitLauncher();
  }

  // A group folder with (empty) files.
  void Group(const std::string& folderName, const std::vector<std::string>& files) {
    ASSERT_TRUE(CreateDirectoryA(folder.File(folderName).c_str(), nullptr)) << folderName;
    for (const std::string& file : files) ASSERT_TRUE(WriteTextFile(folder.File(folderName + "\\" + file)));
  }

  void Start() {
    launcher = std::make_unique<Process>("\"" + folder.Launcher() + "\"");
    ASSERT_TRUE(launcher->started()) << "error " << launcher->startError();
    window = WaitForLauncher(*launcher);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(launcher->WaitForIdle(10000));
    ASSERT_TRUE(PumpUntil(5000, [this] { return !IsWindowVisible(window); }));
    list = GetDlgItem(window, kShortcutList);
    strip = hook.triggerStrip();
    Rest();
  }

  void ExitLauncher() {
    Rest();
    ClickButton(window, IDCANCEL);
    MessageBoxView box = WaitForMessageBox(launcher->id(), "Exit Quorvel!");
    ASSERT_NE(box.window, nullptr);
    ClickButton(box.window, IDYES);
    EXPECT_TRUE(launcher->WaitForExit(10000));
  }

  // Somewhere in the left half, where the popup never is.
  void Rest() { MoveMouse(100, 300); }
  bool Visible() const { return IsWindowVisible(window) != FALSE; }
  bool Show() {
    Rest();
    MoveMouse((strip.left + strip.right) / 2, strip.top);
    return PumpUntil(5000, [this] { return Visible(); });
  }
  bool HiddenAfterMoveTo(int x, int y) {
    MoveMouse(x, y);
    return PumpUntil(3000, [this] { return !Visible(); });
  }

  // Where the launcher lays its popup out, worked out here with its font
  // (the default one for the screen's scale unless told) measured in this
  // process.
  qv::PopupLayout Expected(const std::vector<std::string>& names, int fontHeight = 0, int weight = 0,
                           bool italic = false, const char* face = "Arial") const {
    return ExpectedOn(WorkArea(), 0, names, fontHeight, weight, italic, face);
  }
  // The same on the monitor of this work area and left edge.
  qv::PopupLayout ExpectedOn(const RECT& work, int monitorLeft, const std::vector<std::string>& names,
                             int fontHeight = 0, int weight = 0, bool italic = false,
                             const char* face = "Arial") const {
    qv::PopupLayoutInput in;
    in.workArea = qv::Box{work.left, work.top, work.right, work.bottom};
    const qv::ZoneRect zone{work.left, work.top, work.right, work.bottom};
    in.stayLeft = qv::ComputeMonitorHotZones(qv::MonitorArea{qv::ZoneRect{monitorLeft, 0, 0, 0}, zone, 0}).stay.left;
    RECT ok{};
    GetClientRect(GetDlgItem(window, IDOK), &ok);
    in.okWidth = ok.right;
    in.okHeight = ok.bottom;
    HDC dc = GetDC(nullptr);
    if (fontHeight == 0) fontHeight = qv::DefaultFontHeight(GetDeviceCaps(dc, LOGPIXELSY));
    HFONT font = CreateFontA(fontHeight, 0, 0, 0, weight, italic, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    HGDIOBJ old = SelectObject(dc, font);
    for (const std::string& name : names) {
      SIZE size{};
      const std::wstring wide = Widen(name);
      GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
      in.nameWidths.push_back(size.cx);
      in.textHeight = size.cy;
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return qv::ComputePopupLayout(in);
  }

  // What only the launcher's own process can read: a window's font height,
  // a list's icon size (-1: not asked).
  int AskLauncher(const char* what, HWND about) const {
    DWORD answer = 0;
    const std::string probe = FolderFromEnvironment("QV_BIN_DIR") + "qv_topbar.dll";
    return AskInProcess(launcher->id(), probe, what, about, answer) ? static_cast<int>(answer) : -1;
  }
  // The launcher's notification icon's tip, as the shell shows it.
  std::string TrayTip() const {
    DWORD shell = 0;
    GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", nullptr), &shell);
    DWORD atom = 0;
    const std::string probe = FolderFromEnvironment("QV_BIN_DIR") + "qv_topbar.dll";
    if (shell == 0 || !AskInProcess(shell, probe, "LauncherTipAtom", nullptr, atom) || atom == 0) return "";
    char tip[256] = {};
    GlobalGetAtomNameA(static_cast<ATOM>(atom), tip, sizeof tip);
    GlobalDeleteAtom(static_cast<ATOM>(atom));
    return tip;
  }
  static int ScreenDpiHere() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }
  POINT ToScreen(int x, int y) const {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
  }
  POINT RowPoint(const qv::PopupLayout& layout, int row) const {
    const qv::Box& r = layout.rows[row];
    return ToScreen(r.left + 12, (r.top + r.bottom) / 2);
  }
  void MoveTo(POINT p) { MoveMouse(p.x, p.y); }
  // The frame's pen covers a row's left edge; the names start right of it.
  bool Framed(const qv::PopupLayout& layout, int row, COLORREF frame = kYellow) const {
    const qv::Box& r = layout.rows[row];
    const POINT p = ToScreen(r.left, (r.top + r.bottom) / 2);
    return ScreenPixel(p.x, p.y) == frame;
  }
  // The right end of the task bar, where the only notification icon sits.
  POINT TrayIconPoint() const {
    RECT bar{};
    GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar);
    return POINT{bar.right - 10, (bar.top + bar.bottom) / 2};
  }

  ProgramFolder folder;
  HookLibrary hook{folder.File("QVLHOOK.DLL")};
  std::unique_ptr<Process> launcher;
  HWND window = nullptr;
  HWND list = nullptr;
  RECT strip{};
};

}  // namespace e2e
