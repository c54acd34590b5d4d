#include <gtest/gtest.h>

#include "EdgeDelay.h"
#include "QuietList.h"

namespace qv {
namespace {

bool SameIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

QuietList Parse(const std::wstring& stored, bool* usable = nullptr) {
  QuietList list{L"left over"};
  const bool ok = ParseQuietList(stored.data(), stored.size(), list, SameIgnoringAsciiCase);
  if (usable != nullptr) *usable = ok;
  return list;
}

TEST(QuietList, ProgramsMatchTheirFileNameAndOtherEntriesTheWindowClass) {
  const QuietList list = DefaultQuietList();
  EXPECT_TRUE(QuietOver(list, L"MSTSC.EXE", L"Chrome_WidgetWin_1", SameIgnoringAsciiCase));
  EXPECT_TRUE(QuietOver(list, L"", L"TscShellContainerClass", SameIgnoringAsciiCase));
  // A class named like a program, or a program named like a class, is not.
  EXPECT_FALSE(QuietOver(list, L"TscShellContainerClass", L"mstsc.exe", SameIgnoringAsciiCase));
  EXPECT_FALSE(QuietOver(list, L"notepad.exe", L"Notepad", SameIgnoringAsciiCase));
  EXPECT_FALSE(QuietOver(QuietList{}, L"mstsc.exe", L"", SameIgnoringAsciiCase));
}

TEST(QuietList, WhatIsStoredReadsBackAndRepeatsCountOnce) {
  const QuietList list{L"vmconnect.exe", L"\u30B2\u30FC\u30E0.exe", L"\U0001F3AE Class"};
  EXPECT_EQ(Parse(QuietListValue(list)), list);
  // Without its last terminators, as the registry may hold it; a name
  // repeated in another case counts once; spaces around a name go.
  EXPECT_EQ(Parse(std::wstring(L"a.exe\0 A.EXE \0b", 15)), (QuietList{L"a.exe", L"b"}));
  EXPECT_EQ(Parse(std::wstring(L"\0", 1)), QuietList{});  // emptied by the user: stays empty
}

TEST(QuietList, AnUnusableValueIsRefusedWhole) {
  bool usable = true;
  for (const std::wstring& stored : {std::wstring(L"a.exe\0 \0", 8), std::wstring(L"C:\\x\\a.exe\0", 11),
                                     std::wstring(L"tab\there\0", 9), std::wstring(kLongestQuietEntry + 1, L'x')}) {
    EXPECT_EQ(Parse(stored, &usable), QuietList{});
    EXPECT_FALSE(usable);
  }
  std::wstring many;
  for (std::size_t i = 0; i <= kMostQuietEntries; ++i) many += std::to_wstring(i) + L'\0';
  Parse(many, &usable);
  EXPECT_FALSE(usable);

  QuietList list;
  EXPECT_FALSE(AddQuietEntry(list, L"  ", SameIgnoringAsciiCase));
  EXPECT_TRUE(AddQuietEntry(list, L" game.exe ", SameIgnoringAsciiCase));
  EXPECT_FALSE(AddQuietEntry(list, L"GAME.exe", SameIgnoringAsciiCase));
  EXPECT_EQ(list, QuietList{L"game.exe"});
}

TEST(EdgeDelay, CountsFromTheTouchUntilTheStripIsLeft) {
  EdgeDelay delay;
  EXPECT_EQ(delay.Touch(), DelayStep::kShowNow);  // none set: the touch itself
  delay.SetLength(250);
  EXPECT_EQ(delay.Touch(), DelayStep::kStartWait);
  EXPECT_EQ(delay.Touch(), DelayStep::kNothing) << "a move along the strip restarted it";
  EXPECT_EQ(delay.Elapsed(), DelayStep::kShowNow);
  EXPECT_FALSE(delay.waiting());

  // Left (or a button) before the end: nothing comes, and the next touch
  // counts anew.
  EXPECT_EQ(delay.Touch(), DelayStep::kStartWait);
  EXPECT_EQ(delay.Cancel(), DelayStep::kEndWait);
  EXPECT_EQ(delay.Elapsed(), DelayStep::kNothing) << "a late timer showed it";
  EXPECT_EQ(delay.Cancel(), DelayStep::kNothing);
  EXPECT_EQ(delay.Touch(), DelayStep::kStartWait);
  delay.SetLength(0);  // Setup changed it meanwhile
  EXPECT_EQ(delay.Elapsed(), DelayStep::kNothing);

  std::uint32_t ms = 7;
  EXPECT_TRUE(ReadDelayValue(600, ms));
  EXPECT_EQ(ms, 600u);
  EXPECT_FALSE(ReadDelayValue(0xFFFFFFFF, ms));
  EXPECT_EQ(ms, 600u);
}

}  // namespace
}  // namespace qv
