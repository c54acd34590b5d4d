// The launcher over a program of the other width, as on 64-bit Windows: the
// hook library cannot be mapped into that program, so the system runs the
// hook on the launcher's own thread. The popup still comes and goes with
// the pointer, and a drag begun in that program neither shows nor hides it.
// Wine calls such a hook nowhere at all, so this runs on Windows only.
#include <gtest/gtest.h>

#include "LauncherTest.h"

namespace e2e {
namespace {

constexpr UINT kShowRequest = WM_USER + 1;

bool RunsUnderWow64(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  BOOL wow64 = FALSE;
  if (process != nullptr) {
    IsWow64Process(process, &wow64);
    CloseHandle(process);
  }
  return wow64 != FALSE;
}

class OtherWidth : public LauncherTest {};

TEST_F(OtherWidth, ThePopupComesAndGoesOverItButNotInADrag) {
  if (UnderWine()) GTEST_SKIP() << "Wine runs a mouse hook only in processes that can load its library";
  Group("Tools", {"t.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  // Over the top edge and the left half, short of the task bar.
  Process other("\"" + FolderFromEnvironment("QV_OTHER_BIN_DIR") + "qv_mark.exe\" /window 0 0 1024 700");
  ASSERT_NE(WaitForTopLevel(other.id(), "mark window", 10000), nullptr);
  ASSERT_TRUE(other.WaitForIdle(10000));
  ASSERT_NE(RunsUnderWow64(other.id()), RunsUnderWow64(GetCurrentProcessId())) << "not of the other width";

  ASSERT_TRUE(Show());
  EXPECT_TRUE(HiddenAfterMoveTo(100, 300));

  const struct {
    DWORD down, up;
    const char* name;
  } buttons[] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, "left"},
                 {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, "right"}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.name);
    // Dragged from the left half up to the top edge: nothing shows.
    MoveMouse(100, 300);
    MouseButton(button.down);
    MoveMouse((strip.left + strip.right) / 2, strip.top);
    Pump(500);
    EXPECT_FALSE(Visible()) << "a drag to the top edge showed the popup";
    // Shown while the button is held, it stays when the drag leaves.
    MoveMouse((strip.left + strip.right) / 2, 300);
    SendMessageA(window, kShowRequest, 0, 0);
    ASSERT_TRUE(Visible());
    MoveMouse(100, 300);
    Pump(500);
    EXPECT_TRUE(Visible()) << "a drag out of the right half hid the popup";
    // Let go, the next move sends it away.
    MouseButton(button.up);
    EXPECT_TRUE(HiddenAfterMoveTo(101, 300));
  }
}

}  // namespace
}  // namespace e2e
