// The About box run in this process, where the fonts it gives its texts can
// be read back (a font handle means nothing in another process).
#include <windows.h>

#include <gtest/gtest.h>

#include "AboutDialog.h"
#include "resource.h"

namespace {

struct Seen {
  bool open = false;
  LOGFONTA fonts[3] = {};
  LOGFONTA rescaled[3] = {};  // after a change to 144 pixels per inch
  bool okFocused = false;
} seen;

void ReadFonts(HWND about, LOGFONTA (&fonts)[3]) {
  for (int i = 0; i < 3; ++i) {
    const auto font = reinterpret_cast<HFONT>(SendDlgItemMessageA(about, IDC_ABOUT_VERSION + i, WM_GETFONT, 0, 0));
    GetObjectA(font, sizeof fonts[i], &fonts[i]);
  }
}

// A thread timer: it runs inside the box's own message loop.
void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND about = FindWindowA("#32770", "About Quorvel!");
  if (about == nullptr || GetWindowThreadProcessId(about, nullptr) != GetCurrentThreadId()) return;
  KillTimer(nullptr, timer);
  seen.open = true;
  ReadFonts(about, seen.fonts);
  seen.okFocused = GetFocus() == GetDlgItem(about, IDOK);
  // Moved to a monitor of 150%, as Windows says it.
  RECT suggested{};
  GetWindowRect(about, &suggested);
  SendMessageA(about, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  ReadFonts(about, seen.rescaled);
  PostMessageA(about, WM_COMMAND, IDOK, 0);
}

TEST(AboutDialog, TextsGetBoldArialOfFourteenTwelveAndTenPointsAtTheBoxsScaleAndOkTheFocus) {
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(96, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);

  const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookAndClose);
  ASSERT_NE(0u, timer);
  qv::AboutDialog about(nullptr);
  EXPECT_EQ(IDOK, about.RunModal());
  KillTimer(nullptr, timer);

  ASSERT_TRUE(seen.open);
  const LONG heights[] = {-18, -16, -13};
  const LONG rescaled[] = {-28, -24, -20};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(IDC_ABOUT_VERSION + i);
    EXPECT_EQ(heights[i], seen.fonts[i].lfHeight);
    EXPECT_EQ(rescaled[i], seen.rescaled[i].lfHeight);
    EXPECT_EQ(FW_BOLD, seen.rescaled[i].lfWeight);
    EXPECT_EQ(FW_BOLD, seen.fonts[i].lfWeight);
    EXPECT_STREQ("Arial", seen.fonts[i].lfFaceName);
    EXPECT_EQ(DEFAULT_CHARSET, seen.fonts[i].lfCharSet);
  }
  EXPECT_TRUE(seen.okFocused);
}

}  // namespace
