// The hook library on the real desktop: a window of the driver's own is
// registered, the real pointer is moved with SendInput, and the requests
// that arrive are compared with what the hot zones call for.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "SessionRecord.h"

namespace e2e {
namespace {

constexpr UINT kShow = WM_USER + 1;
constexpr UINT kHide = WM_USER + 2;

struct Requests {
  int show = 0;
  int hide = 0;
  int astray = 0;  // either request, to any other window
};

// A title bar of a program that draws its own: its hit test answers
// HTCLOSE over the right third and HTCAPTION elsewhere.
int CloseButtonLeft(const RECT& bar) { return bar.right - (bar.right - bar.left) / 3; }

LRESULT CALLBACK OwnTitleBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_NCHITTEST) return DefWindowProcA(window, message, wParam, lParam);
  RECT bar{};
  GetWindowRect(window, &bar);
  return static_cast<short>(LOWORD(lParam)) >= CloseButtonLeft(bar) ? HTCLOSE : HTCAPTION;
}

// The name of the session's record of the library loaded from `dll`, made
// as the library makes it.
std::wstring RecordNameOf(const std::string& dll) {
  WCHAR path[1024] = {};
  GetModuleFileNameW(GetModuleHandleA(dll.c_str()), path, 1024);
  WCHAR name[qv::kSessionNameSize] = {};
  qv::SessionObjectName("Hook", qv::LibraryPathHash(path), name);
  return name;
}

// A record made first under that name, as a program of lower integrity
// could make it.
HANDLE MakeLowRecord(const std::wstring& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;WD)S:(ML;;NW;;;LW)", SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                            sizeof(qv::HookRecord), name.c_str());
  LocalFree(descriptor);
  return section;
}

class HotZoneHook : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hook.loaded());
    ASSERT_EQ(hook.Install(), 1);
    hook.Register(target.hwnd());
    work = WorkArea();
    strip = hook.triggerStrip();
    // Somewhere in the stay zone, away from the strip and the target.
    neutral = POINT{(work.left + work.right) * 3 / 4, (work.top + work.bottom) / 2};
  }
  void TearDown() override {
    hook.Register(nullptr);
    hook.Uninstall();
    MoveMouse(neutral.x, neutral.y);
    Pump(50);
  }

  // Moves to a resting point first (unless told to go straight there),
  // drops what is queued, then moves to (x, y) and collects the requests.
  // Positive answers arrive within a few milliseconds; silence is judged
  // after a generous wait.
  Requests MoveAndCollect(int x, int y, bool viaNeutral = true) {
    if (viaNeutral) MoveMouse(neutral.x, neutral.y);
    Pump(100);  // drops what is still queued
    MoveMouse(x, y);
    Requests got;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const bool request = msg.message == kShow || msg.message == kHide;
        if (request && msg.hwnd != target.hwnd()) ++got.astray;
        else if (msg.message == kShow) ++got.show;
        else if (msg.message == kHide) ++got.hide;
        DispatchMessageA(&msg);
      }
    }
    const POINT at = CursorPos();
    EXPECT_EQ(at.x, x);
    EXPECT_EQ(at.y, y);
    return got;
  }

  ::testing::AssertionResult Expect(int x, int y, bool show, bool hide) {
    const Requests got = MoveAndCollect(x, y);
    if ((got.show > 0) == show && (got.hide > 0) == hide && got.astray == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << x << ", " << y << "): " << got.show << " show and "
                                         << got.hide << " hide requests, " << got.astray << " to other windows";
  }
  ::testing::AssertionResult ExpectShow(int x, int y) { return Expect(x, y, true, false); }
  ::testing::AssertionResult ExpectHide(int x, int y) { return Expect(x, y, false, true); }
  ::testing::AssertionResult ExpectNothing(int x, int y) { return Expect(x, y, false, false); }

  ProgramFolder folder;
  HookLibrary hook{folder.File("QVLHOOK.DLL")};
  OwnWindow target{"hook target", RECT{20, 200, 80, 260}};
  RECT work{};
  RECT strip{};
  POINT neutral{};
};

TEST_F(HotZoneHook, ZonesFollowTheWorkArea) {
  const int cx = GetSystemMetrics(SM_CXSIZE);
  const RECT stay = hook.stayZone();
  EXPECT_EQ(stay.left, work.right / 2);
  EXPECT_EQ(stay.top, work.top);
  EXPECT_EQ(stay.right, work.right);
  EXPECT_EQ(stay.bottom, work.bottom);
  EXPECT_EQ(strip.left, work.right / 2);
  EXPECT_EQ(strip.top, work.top);
  EXPECT_EQ(strip.right, work.right - 3 * cx);
  EXPECT_EQ(strip.bottom, work.top + 1);

  // Unregistering still recomputes the zones.
  hook.stayZone() = RECT{0, 0, 0, 0};
  hook.triggerStrip() = RECT{0, 0, 0, 0};
  hook.Register(nullptr);
  EXPECT_EQ(hook.stayZone().right, work.right);
  EXPECT_EQ(hook.triggerStrip().right, strip.right);
  EXPECT_EQ(hook.window(), nullptr);
}

TEST_F(HotZoneHook, HiddenWindowIsCalledFromTheStripOnly) {
  EXPECT_TRUE(ExpectShow(strip.left, strip.top));
  EXPECT_TRUE(ExpectShow(strip.right - 1, strip.top));
  EXPECT_TRUE(ExpectShow((strip.left + strip.right) / 2, strip.top));
  EXPECT_TRUE(ExpectNothing(strip.right, strip.top)) << "the title-bar buttons' corner";
  EXPECT_TRUE(ExpectNothing(strip.left - 1, strip.top)) << "left half of the top row";
  EXPECT_TRUE(ExpectNothing((strip.left + strip.right) / 2, strip.top + 1)) << "the row below";
  EXPECT_TRUE(ExpectNothing(work.left + 5, work.bottom)) << "outside, but already hidden";
}

TEST_F(HotZoneHook, VisibleWindowIsSentAwayOutsideTheStayZone) {
  target.Show();
  EXPECT_TRUE(ExpectHide(work.right / 2 - 1, (work.top + work.bottom) / 2));
  EXPECT_TRUE(ExpectHide((work.left + work.right) * 3 / 4, work.bottom)) << "the task bar below";
  EXPECT_TRUE(ExpectNothing((work.left + work.right) * 3 / 4, work.bottom - 1));
  EXPECT_TRUE(ExpectNothing((strip.left + strip.right) / 2, strip.top)) << "already visible";
  target.Hide();
}

TEST_F(HotZoneHook, HeldButtonsSilenceTheHook) {
  // A drag, as a person makes one: the button goes down on a window that
  // takes the capture, and the pointer travels with the button held.
  OwnWindow grip("grip", RECT{20, 300, 80, 360});
  grip.Show();
  const struct {
    DWORD down, up;
    const char* name;
  } buttons[] = {
      {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, "left"},
      {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, "right"},
      {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, "middle"},
  };
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.name);
    MoveMouse(50, 330);
    Pump(50);
    MouseButton(button.down);
    Pump(50);
    SetCapture(grip.hwnd());
    neutral = POINT{50, 330};  // rest on the grip between moves
    EXPECT_TRUE(ExpectNothing((strip.left + strip.right) / 2, strip.top));
    target.Show();
    EXPECT_TRUE(ExpectNothing(work.right / 2 - 1, (work.top + work.bottom) / 2));
    target.Hide();
    MoveMouse(50, 330);
    Pump(50);
    MouseButton(button.up);
    Pump(50);
    ReleaseCapture();
    Pump(50);
  }
  // Released again, the hook answers as before.
  neutral = POINT{(work.left + work.right) * 3 / 4, (work.top + work.bottom) / 2};
  EXPECT_TRUE(ExpectShow((strip.left + strip.right) / 2, strip.top));

  // A drag that ends at the top edge, as a window snapped there: the strip
  // stays quiet after the release until the pointer has left it once.
  const int x = (strip.left + strip.right) / 2;
  MoveMouse(50, 330);
  Pump(50);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  Pump(50);
  SetCapture(grip.hwnd());
  MoveMouse(x, strip.top);
  Pump(50);
  MouseButton(MOUSEEVENTF_LEFTUP);
  ReleaseCapture();
  const Requests along = MoveAndCollect(x + 20, strip.top, false);
  EXPECT_EQ(along.show, 0) << "a move along the edge after a release there called the popup";
  EXPECT_TRUE(ExpectShow(x + 20, strip.top)) << "back at the edge after leaving it";
}

// A program that draws its own title bar at the top edge reports its
// buttons only in its hit test.
TEST_F(HotZoneHook, CaptionButtonsDrawnByAProgramNeverCallThePopup) {
  const RECT where{strip.left, strip.top, strip.right, strip.top + 24};
  OwnWindow bar("own title bar", where, WS_POPUP);
  SetWindowLongPtrA(bar.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnTitleBarProc));
  bar.Show();
  const int close = CloseButtonLeft(where);
  EXPECT_TRUE(ExpectNothing(close + 10, strip.top)) << "over its close button";
  EXPECT_TRUE(ExpectShow(close - 10, strip.top)) << "over its caption";
  target.Show();
  EXPECT_TRUE(ExpectNothing(close + 10, strip.top)) << "the popup stays over the close button";
  target.Hide();
}

// The exported variables are any process's to write; where the requests go
// and where the strip lies come from the session's record.
TEST_F(HotZoneHook, TheExportedAccountSteersNothing) {
  OwnWindow decoy("decoy");
  hook.window() = decoy.hwnd();
  hook.triggerStrip() = RECT{work.left, strip.top, strip.left, strip.bottom};
  EXPECT_TRUE(ExpectShow((strip.left + strip.right) / 2, strip.top));
  EXPECT_TRUE(ExpectNothing(strip.left / 2, strip.top)) << "in the strip as exported";
}

// Where a program of lower integrity has made the record first, the hook
// is not installed to go by it.
TEST_F(HotZoneHook, ARecordMadeAtALowerLevelIsNeverTaken) {
  ProgramFolder other;
  HookLibrary otherHook{other.File("QVLHOOK.DLL")};
  ASSERT_TRUE(otherHook.loaded());
  const HANDLE squatter = MakeLowRecord(RecordNameOf(other.File("QVLHOOK.DLL")));
  ASSERT_NE(squatter, nullptr);
  EXPECT_EQ(otherHook.Install(), 0);
  EXPECT_EQ(otherHook.hook(), nullptr);
  CloseHandle(squatter);
  EXPECT_EQ(otherHook.Install(), 1) << "once the name is free again";
  EXPECT_EQ(otherHook.Uninstall(), 1);
}

TEST_F(HotZoneHook, NoRegisteredWindowNoRequests) {
  hook.Register(nullptr);
  EXPECT_TRUE(ExpectNothing((strip.left + strip.right) / 2, strip.top));
  target.Show();
  EXPECT_TRUE(ExpectNothing(work.right / 2 - 1, (work.top + work.bottom) / 2));
  target.Hide();
}

TEST_F(HotZoneHook, InstallAndUninstallAnswerOnlyOnce) {
  const HHOOK installed = hook.hook();
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(hook.Install(), 0);
  EXPECT_EQ(hook.hook(), installed);

  EXPECT_EQ(hook.Uninstall(), 1);
  EXPECT_EQ(hook.hook(), nullptr);
  EXPECT_EQ(hook.Uninstall(), 0);
  // Uninstalled, the strip calls nobody.
  EXPECT_TRUE(ExpectNothing((strip.left + strip.right) / 2, strip.top));

  EXPECT_EQ(hook.Install(), 1);
}

}  // namespace
}  // namespace e2e
