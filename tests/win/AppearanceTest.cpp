// The popup's colours and font in the registry: defaults, what survives a
// round trip, and stored values of any type, length or content.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "Appearance.h"
#include "Handles.h"
#include "LauncherApp.h"
#include "QuietWindows.h"

namespace {

class AppearanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = "Software\\Tessmark\\QVTEST" + std::to_string(GetCurrentProcessId());
    key = base + "\\Quorvel";
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str()); }

  void Store(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &raw, nullptr));
    const qv::UniqueRegKey owner(raw);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(raw, name, 0, type, static_cast<const BYTE*>(data), size));
  }
  void StoreText(const char* name, const std::string& text, DWORD type = REG_SZ) {
    Store(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }

  std::string base, key;
};

int ScreenLogPixelsY() {
  const qv::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

TEST_F(AppearanceTest, NothingStoredMeansYellowOnBlackInArialElevenPoint) {
  EXPECT_EQ(0x0000FFFFu, qv::ReadDwordValue(key, "ForegroundColor", qv::kDefaultForeground));
  EXPECT_EQ(0u, qv::ReadDwordValue(key, "BackgroundColor", qv::kDefaultBackground));
  const LOGFONTW font = qv::ReadFontRecord(key);
  EXPECT_EQ(qv::DefaultFontHeight(ScreenLogPixelsY()), font.lfHeight);
  EXPECT_STREQ(L"Arial", font.lfFaceName);
  if (ScreenLogPixelsY() == 96) {
    EXPECT_EQ("-14|0|0|0|0|0|0|0|1|0|0|0|0|Arial", qv::FormatFontRecord(qv::ToFontRecord(font)));
  }
  // Reading wrote nothing.
  HKEY raw = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &raw));
}

TEST_F(AppearanceTest, WrittenValuesReadBackExactly) {
  ASSERT_TRUE(qv::WriteDwordValue(key, "ForegroundColor", RGB(1, 2, 3)));
  ASSERT_TRUE(qv::WriteDwordValue(key, "BackgroundColor", RGB(250, 251, 252)));
  const std::string times = "-16|0|0|0|700|255|0|0|204|3|2|1|34|Times New Roman";
  ASSERT_TRUE(qv::WriteFontRecord(key, qv::ToLogFont(qv::ParseFontRecord(times))));

  EXPECT_EQ(RGB(1, 2, 3), qv::ReadDwordValue(key, "ForegroundColor", 0));
  EXPECT_EQ(RGB(250, 251, 252), qv::ReadDwordValue(key, "BackgroundColor", 0));
  EXPECT_EQ(times, qv::ReadTextValue(key, "Font"));
  const LOGFONTW font = qv::ReadFontRecord(key);
  EXPECT_EQ(700, font.lfWeight);
  EXPECT_EQ(204, font.lfCharSet);
  EXPECT_STREQ(L"Times New Roman", font.lfFaceName);
  EXPECT_EQ(static_cast<DWORD>(ScreenLogPixelsY()), qv::ReadDwordValue(key, "FontDpi", 0));

  // Kept at another scale, the record keeps its size in points here; a
  // scale nobody has is taken as this screen's.
  const DWORD twice = static_cast<DWORD>(2 * ScreenLogPixelsY());
  Store("FontDpi", REG_DWORD, &twice, sizeof twice);
  EXPECT_EQ(-8, qv::ReadFontRecord(key).lfHeight);
  const DWORD none = 0;
  Store("FontDpi", REG_DWORD, &none, sizeof none);
  EXPECT_EQ(-16, qv::ReadFontRecord(key).lfHeight);
}

TEST_F(AppearanceTest, ValuesOfAnotherTypeOrSizeGiveTheDefaults) {
  StoreText("ForegroundColor", "255");
  const unsigned long long wide = 0x00FF00FF;
  Store("BackgroundColor", REG_QWORD, &wide, sizeof wide);
  const DWORD number = 12;
  Store("Font", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(qv::kDefaultForeground, qv::ReadDwordValue(key, "ForegroundColor", qv::kDefaultForeground));
  EXPECT_EQ(qv::kDefaultBackground, qv::ReadDwordValue(key, "BackgroundColor", qv::kDefaultBackground));
  EXPECT_STREQ(L"Arial", qv::ReadFontRecord(key).lfFaceName);
  const WORD half = 7;
  Store("ForegroundColor", REG_DWORD, &half, sizeof half);
  EXPECT_EQ(qv::kDefaultForeground, qv::ReadDwordValue(key, "ForegroundColor", qv::kDefaultForeground));
  StoreText("Font", "-20|0|0|0|0|0|0|0|0|0|0|0|0|Courier New", REG_EXPAND_SZ);
  EXPECT_STREQ(L"Arial", qv::ReadFontRecord(key).lfFaceName);
}

TEST_F(AppearanceTest, RecordsOfAnyLengthOrContentStayInsideTheLogFont) {
  // No terminator stored.
  const std::string bare = "-20|0|0|0|0|0|0|0|0|0|0|0|0|Courier New";
  Store("Font", REG_SZ, bare.data(), static_cast<DWORD>(bare.size()));
  EXPECT_STREQ(L"Courier New", qv::ReadFontRecord(key).lfFaceName);
  // An embedded terminator ends the record.
  const std::string cut("-9|0|0|0|0|0|0|0|0|0|0|0|0|Arial\0|Hidden", 41);
  Store("Font", REG_SZ, cut.data(), static_cast<DWORD>(cut.size()));
  EXPECT_STREQ(L"Arial", qv::ReadFontRecord(key).lfFaceName);
  // A face name longer than a LOGFONT holds, and a record far beyond any
  // buffer the old format suggested.
  StoreText("Font", "-9|0|0|0|0|0|0|0|0|0|0|0|0|" + std::string(300, 'N') + std::string(100000, '|'));
  const LOGFONTW font = qv::ReadFontRecord(key);
  EXPECT_EQ(-9, font.lfHeight);
  EXPECT_EQ(std::wstring(qv::kMaxFaceName, L'N'), font.lfFaceName);
  // A record with nothing readable is zeros and no face, never the default.
  StoreText("Font", "Arial|bold");
  const LOGFONTW zeros = qv::ReadFontRecord(key);
  EXPECT_EQ(0, zeros.lfHeight);
  EXPECT_STREQ(L"", zeros.lfFaceName);
}

// The quiet list: names in any script come back as stored; a value that is
// no usable list leaves the list as it was (the defaults), and so does one
// of another type or past any list a person keeps.
TEST_F(AppearanceTest, TheQuietListReadsBackOrLeavesTheDefaults) {
  const qv::QuietList names{L"\u30B2\u30FC\u30E0.exe", L"\U0001F3AE Window", L"mstsc.exe"};
  ASSERT_TRUE(qv::WriteQuietList(key, "QuietOver", names));
  qv::QuietList read;
  EXPECT_TRUE(qv::ReadQuietList(key, "QuietOver", read));
  EXPECT_EQ(read, names);

  const auto storeWide = [this](DWORD type, const std::wstring& data, DWORD extraBytes = 0) {
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &raw, nullptr));
    const qv::UniqueRegKey owner(raw);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(raw, L"QuietOver", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                            static_cast<DWORD>(data.size() * sizeof(wchar_t)) + extraBytes));
  };
  std::wstring huge;
  for (int i = 0; i < 300; ++i) huge += L"program" + std::to_wstring(i) + L".exe" + L'\0';
  const std::wstring odd(L"a.exe\0b", 7);
  for (const auto& [type, data] : {std::pair<DWORD, std::wstring>{REG_SZ, L"mstsc.exe"},
                                   {REG_MULTI_SZ, huge},
                                   {REG_MULTI_SZ, std::wstring(L"a.exe\0C:\\b.exe\0", 16)},
                                   {REG_MULTI_SZ, std::wstring(300, L'x')}}) {
    storeWide(type, data);
    qv::QuietList kept = qv::DefaultQuietList();
    EXPECT_FALSE(qv::ReadQuietList(key, "QuietOver", kept)) << data.size();
    EXPECT_EQ(kept, qv::DefaultQuietList());
  }
  // Half a character at the end, and no terminators: what is whole counts.
  storeWide(REG_MULTI_SZ, odd, 1);
  EXPECT_TRUE(qv::ReadQuietList(key, "QuietOver", read));
  EXPECT_EQ(read, (qv::QuietList{L"a.exe", L"b"}));
}

TEST(AppearanceKey, IsNamedAfterTheExecutableWithoutItsExtension) {
  EXPECT_EQ("Software\\Tessmark\\QUORVEL", qv::SettingsKeyPathFor("C:\\QUORVEL\\QUORVEL.EXE"));
  EXPECT_EQ("Software\\Tessmark\\my.launcher", qv::SettingsKeyPathFor("C:\\Tools.2\\my.launcher.exe"));
  // Before start-up has named the key there is nowhere to read or write.
  EXPECT_EQ("", qv::AppearanceKeyPath());
  EXPECT_FALSE(qv::WriteDwordValue(qv::AppearanceKeyPath(), "ForegroundColor", 0));
}

TEST(AppearanceLogFont, AFaceNameWithoutTerminatorIsReadNoFurtherThanALogFontGoes) {
  LOGFONTW font = {};
  std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), L'X');
  EXPECT_EQ(std::string(qv::kMaxFaceName, 'X'), qv::ToFontRecord(font).faceName);
}

}  // namespace
