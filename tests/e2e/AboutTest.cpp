// The About box from end to end: opened from the popup's button, its texts,
// the popup held back while it is open, and OK closing it, with and without a
// sound device. Its fonts are read back in the platform tests, in-process.
#include <gtest/gtest.h>

#include <string>

#include "LauncherTest.h"

namespace e2e {
namespace {

constexpr int kAbout = 1002;

class About : public LauncherTest {
 protected:
  // From the popup's About button, as a person reaches it.
  HWND Open() {
    EXPECT_TRUE(Show());
    ClickButton(window, kAbout);
    return WaitForDialog(launcher->id(), "About Quorvel!", 5000);
  }
};

TEST_F(About, ShowsItsTextsAndHoldsThePopupBackUntilOk) {
  ASSERT_NO_FATAL_FAILURE(Start());
  HWND about = Open();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), window);
  EXPECT_TRUE(PumpUntil(3000, [this] { return !Visible(); })) << "the popup goes when the box opens";
  EXPECT_TRUE(PumpUntil(3000, [&] { return FocusOf(about) == GetDlgItem(about, IDOK); }));

  EXPECT_EQ(ControlText(GetDlgItem(about, 1007)), "Quorvel! Version 1.52");
  EXPECT_FALSE(ControlText(GetDlgItem(about, 1008)).empty());
  const std::string notice = ControlText(GetDlgItem(about, 1009));
  EXPECT_NE(notice.find("\n\n"), std::string::npos) << "the notice has paragraphs";
  EXPECT_NE(notice.find('@', notice.rfind("\n\n")), std::string::npos) << "it ends with a contact address";
  Snapshot("about.png");

  // The pointer at the top edge opens no popup while the box is open.
  Rest();
  EXPECT_FALSE(Visible());
  MoveMouse((strip.left + strip.right) / 2, strip.top);
  Pump(500);
  EXPECT_FALSE(Visible());
  EXPECT_TRUE(IsWindowVisible(about));

  ASSERT_TRUE(Dismiss(about, IDOK));
  EXPECT_TRUE(Show()) << "the popup is allowed again";
}

// Without any sound device the chime fails quietly and the box is the same.
TEST_F(About, OpensAndClosesTheSameWithoutASoundDevice) {
  HKEY drivers = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &drivers, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(drivers, "Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1), ERROR_SUCCESS);
  RegCloseKey(drivers);

  ASSERT_NO_FATAL_FAILURE(Start());
  // Twice, the second time while a chime could still be playing.
  for (int round = 0; round < 2; ++round) {
    HWND about = Open();
    ASSERT_NE(about, nullptr) << round;
    EXPECT_EQ(ControlText(GetDlgItem(about, 1007)), "Quorvel! Version 1.52");
    ASSERT_TRUE(PumpUntil(3000, [&] { return FocusOf(about) == GetDlgItem(about, IDOK); }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil(3000, [&] { return !IsWindow(about); })) << round;
  }
  EXPECT_TRUE(Show());
}

}  // namespace
}  // namespace e2e
