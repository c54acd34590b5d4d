// The resources built into QUORVEL.EXE and QVLHOOK.DLL, read back from the
// files themselves.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "Handles.h"
#include "TrayIcon.h"
#include "resource.h"

namespace {

// The build folder (QV_BIN_DIR, a Unix path on drive Z:), else this program's.
std::string BinFile(const char* name) {
  std::string folder;
  if (const char* unix = std::getenv("QV_BIN_DIR"); unix != nullptr && *unix != '\0') {
    folder = std::string("Z:") + unix;
  } else {
    char self[MAX_PATH] = {};
    folder.assign(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    folder.resize(folder.find_last_of('\\'));
  }
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

std::string_view Bytes(HMODULE module, LPCSTR type, int id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return {};
  return {static_cast<const char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

std::string Hex(DWORD value) {
  char text[16];
  snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

// Reads a resource front to back; past the end it reads zeros.
struct Reader {
  std::string_view bytes;
  std::size_t at = 0;
  template <class T>
  T Get() {
    T value{};
    if (at + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + at, sizeof(T));
    at += sizeof(T);
    return value;
  }
  // A name, or "#n" for an ordinal (ASCII names only).
  std::string NameOrOrdinal() {
    WORD c = Get<WORD>();
    if (c == 0xFFFF) return "#" + std::to_string(Get<WORD>());
    std::string text;
    for (; c != 0 && at <= bytes.size(); c = Get<WORD>()) text += static_cast<char>(c);
    return text;
  }
  void AlignTo4() { at = (at + 3) & ~std::size_t{3}; }
  void Skip(std::size_t n) { at += n; }
};

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe.reset(LoadLibraryExA(BinFile("QUORVEL.EXE").c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(exe) << BinFile("QUORVEL.EXE") << ": error " << GetLastError();
  }
  qv::UniqueModule exe;
};

TEST_F(ResourcesTest, PopupDialogTemplate) {
  Reader r{Bytes(exe.get(), RT_DIALOG, IDD_POPUP)};
  ASSERT_EQ(1, r.Get<WORD>());       // DLGTEMPLATEEX
  ASSERT_EQ(0xFFFF, r.Get<WORD>());
  r.Get<DWORD>();                    // help id
  EXPECT_EQ(Hex(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), Hex(r.Get<DWORD>()));
  EXPECT_EQ(Hex(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT), Hex(r.Get<DWORD>()));
  const WORD count = r.Get<WORD>();
  r.Skip(4 * sizeof(short));         // rectangle
  EXPECT_EQ("", r.NameOrOrdinal());  // menu
  EXPECT_EQ("", r.NameOrOrdinal());  // class
  EXPECT_EQ("", r.NameOrOrdinal());  // caption
  EXPECT_EQ(8, r.Get<WORD>());
  r.Skip(2 * sizeof(WORD));          // weight, italic, charset
  EXPECT_EQ("MS Sans Serif", r.NameOrOrdinal());

  constexpr DWORD kShown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  const struct {
    DWORD id;
    const char* className;
    const char* text;
    DWORD style;
  } expected[] = {
      {IDOK, "Button", "OK", WS_CHILD | BS_DEFPUSHBUTTON},
      {IDC_SETUP, "Button", "Setup...", kShown | BS_PUSHBUTTON},
      {IDC_REFRESH, "Button", "Refresh", kShown | BS_PUSHBUTTON},
      {IDC_ABOUT, "Button", "About...", kShown | BS_PUSHBUTTON},
      {IDCANCEL, "Button", "Exit", kShown | BS_PUSHBUTTON},
      {IDC_SHORTCUT_LIST, "SysListView32", "",
       kShown | WS_BORDER | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE},
  };
  ASSERT_EQ(std::size(expected), static_cast<std::size_t>(count));
  for (const auto& want : expected) {
    SCOPED_TRACE(want.text);
    r.AlignTo4();
    r.Get<DWORD>();  // help id
    EXPECT_EQ(0u, r.Get<DWORD>());
    EXPECT_EQ(Hex(want.style), Hex(r.Get<DWORD>()));
    for (short coordinate : {0, 0, 50, 14}) EXPECT_EQ(coordinate, r.Get<short>());
    EXPECT_EQ(want.id, r.Get<DWORD>());
    const std::string className = r.NameOrOrdinal();
    // The button class may be stored as its atom; windres also capitalises
    // class names, which the system matches without regard to case.
    const bool isButtonAtom = className == "#128" && std::string_view(want.className) == "Button";
    EXPECT_TRUE(isButtonAtom || lstrcmpiA(className.c_str(), want.className) == 0) << className;
    EXPECT_EQ(want.text, r.NameOrOrdinal());
    r.Skip(r.Get<WORD>());  // creation data
  }
  EXPECT_LE(r.at, r.bytes.size());
}

TEST_F(ResourcesTest, TrayMenuOffersSetupAsItsDefaultAndExit) {
  HMENU popup = nullptr;
  qv::UniqueMenu menu = qv::LoadTrayMenu(exe.get(), popup);
  ASSERT_TRUE(menu);
  ASSERT_EQ(2, GetMenuItemCount(popup));
  EXPECT_EQ(static_cast<UINT>(IDM_TRAY_SETUP), GetMenuItemID(popup, 0));
  EXPECT_EQ(static_cast<UINT>(IDM_TRAY_EXIT), GetMenuItemID(popup, 1));
  char text[32] = {};
  GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("&Setup...", text);
  GetMenuStringA(popup, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("&Exit", text);
  EXPECT_EQ(static_cast<UINT>(IDM_TRAY_SETUP), GetMenuDefaultItem(popup, FALSE, 0));
}

TEST_F(ResourcesTest, IconsHoldSmallAndLargeImages) {
  for (int id : {IDI_APP, IDI_SHORTCUT}) {
    for (int size : {16, 32}) {
      SCOPED_TRACE(std::to_string(id) + " at " + std::to_string(size));
      // The group has an image of that very size, so nothing gets scaled.
      Reader group{Bytes(exe.get(), RT_GROUP_ICON, id)};
      group.Skip(2 * sizeof(WORD));
      bool exact = false;
      for (WORD n = group.Get<WORD>(); n > 0; --n) {
        exact = group.Get<BYTE>() == size || exact;  // width; 13 more bytes per entry
        group.Skip(13);
      }
      EXPECT_TRUE(exact);
      qv::UniqueIcon icon(static_cast<HICON>(LoadImageA(exe.get(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
      ASSERT_TRUE(icon);
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon.get(), &info));
      qv::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
      BITMAP bitmap{};
      GetObjectA(color.get(), sizeof(bitmap), &bitmap);
      EXPECT_EQ(size, bitmap.bmWidth);
      EXPECT_EQ(size, bitmap.bmHeight);
    }
  }
}

TEST_F(ResourcesTest, BitmapsHaveTheirSizeAndDepth) {
  const struct {
    int id;
    LONG width, height;
    WORD bits;
  } bitmaps[] = {{IDB_BANNER, 21, 211, 4}, {IDB_WIZARD, 118, 225, 8}};
  for (const auto& want : bitmaps) {
    SCOPED_TRACE(want.id);
    const std::string_view bytes = Bytes(exe.get(), RT_BITMAP, want.id);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(want.width, header.biWidth);
    EXPECT_EQ(want.height, header.biHeight);
    EXPECT_EQ(want.bits, header.biBitCount);
  }
}

TEST_F(ResourcesTest, ChimeIsAShortMonoPcmWave) {
  const std::string_view bytes = Bytes(exe.get(), "WAVE", IDR_CHIME);
  ASSERT_GT(bytes.size(), 12u);
  EXPECT_EQ("RIFF", bytes.substr(0, 4));
  EXPECT_EQ("WAVE", bytes.substr(8, 4));
  PCMWAVEFORMAT format{};
  std::size_t dataSize = 0;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    DWORD size = 0;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    const std::string_view id = bytes.substr(at, 4);
    if (id == "fmt " && size >= sizeof(format)) std::memcpy(&format, bytes.data() + at + 8, sizeof(format));
    if (id == "data") dataSize = size;
    at += 8 + size + (size & 1);
  }
  EXPECT_EQ(WAVE_FORMAT_PCM, format.wf.wFormatTag);
  EXPECT_EQ(1, format.wf.nChannels);
  EXPECT_EQ(22050u, format.wf.nSamplesPerSec);
  EXPECT_EQ(8, format.wBitsPerSample);
  const double seconds = static_cast<double>(dataSize) / 22050.0;  // one byte a sample
  EXPECT_GE(seconds, 1.0);
  EXPECT_LE(seconds, 1.5);
}

TEST_F(ResourcesTest, ManifestAsksToRunAsInvoker) {
  const std::string manifest(Bytes(exe.get(), RT_MANIFEST, 1));
  const std::size_t element = manifest.find("<requestedExecutionLevel");
  ASSERT_NE(std::string::npos, element) << manifest;
  const std::string tag = manifest.substr(element, manifest.find('>', element) - element);
  EXPECT_NE(std::string::npos, tag.find("level=\"asInvoker\"")) << tag;
}

TEST(VersionInfo, BothFilesAreVersion152) {
  for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL"}) {
    SCOPED_TRACE(file);
    const std::string path = BinFile(file);
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeA(path.c_str(), &ignored), '\0');
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(52, 1), static_cast<LONG>(fixed->dwFileVersionMS));
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    char query[64];
    snprintf(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ("1.52", text);
  }
}

}  // namespace
