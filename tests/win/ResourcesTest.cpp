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
#include <vector>

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

struct TemplateItem {
  DWORD id;
  std::string className;  // "#128" and up: the system class atoms
  std::string text;
  DWORD style;
  short x, y, cx, cy;
};
struct DialogTemplate {
  DWORD exStyle = 0;
  DWORD style = 0;
  short cx = 0, cy = 0;
  std::string caption;
  WORD pointSize = 0;
  std::string face;
  std::vector<TemplateItem> items;
};

// An extended dialog template, as windres writes them.
DialogTemplate ParseTemplate(std::string_view bytes) {
  Reader r{bytes};
  DialogTemplate t;
  EXPECT_EQ(1, r.Get<WORD>());  // DLGTEMPLATEEX
  EXPECT_EQ(0xFFFF, r.Get<WORD>());
  r.Get<DWORD>();  // help id
  t.exStyle = r.Get<DWORD>();
  t.style = r.Get<DWORD>();
  const WORD count = r.Get<WORD>();
  r.Skip(2 * sizeof(short));
  t.cx = r.Get<short>();
  t.cy = r.Get<short>();
  EXPECT_EQ("", r.NameOrOrdinal());  // menu
  EXPECT_EQ("", r.NameOrOrdinal());  // class
  t.caption = r.NameOrOrdinal();
  t.pointSize = r.Get<WORD>();
  r.Skip(2 * sizeof(WORD));  // weight, italic, charset
  t.face = r.NameOrOrdinal();
  for (WORD i = 0; i < count && r.at < bytes.size(); ++i) {
    r.AlignTo4();
    r.Get<DWORD>();  // help id
    EXPECT_EQ(0u, r.Get<DWORD>());
    TemplateItem item{};
    item.style = r.Get<DWORD>();
    item.x = r.Get<short>();
    item.y = r.Get<short>();
    item.cx = r.Get<short>();
    item.cy = r.Get<short>();
    item.id = r.Get<DWORD>();
    item.className = r.NameOrOrdinal();
    item.text = r.NameOrOrdinal();
    r.Skip(r.Get<WORD>());  // creation data
    t.items.push_back(item);
  }
  EXPECT_LE(r.at, bytes.size());
  return t;
}

// windres may store a class as its atom, and capitalises names, which the
// system matches without regard to case.
bool SameClass(const std::string& stored, const char* wanted) {
  static const struct {
    const char* atom;
    const char* name;
  } atoms[] = {{"#128", "Button"}, {"#129", "Edit"}, {"#130", "Static"}, {"#131", "ListBox"}, {"#133", "ComboBox"}};
  for (const auto& a : atoms)
    if (stored == a.atom) return lstrcmpiA(a.name, wanted) == 0;
  return lstrcmpiA(stored.c_str(), wanted) == 0;
}

struct WantedItem {
  DWORD id;
  const char* className;
  const char* text;
  short x, y, cx, cy;
  DWORD style;  // these bits at least
};

void ExpectItems(const DialogTemplate& t, const std::vector<WantedItem>& wanted) {
  ASSERT_EQ(wanted.size(), t.items.size());
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const WantedItem& want = wanted[i];
    const TemplateItem& item = t.items[i];
    SCOPED_TRACE(std::string(want.text) + " #" + std::to_string(want.id));
    EXPECT_EQ(want.id, item.id == 0xFFFF ? DWORD(-1) : item.id);
    EXPECT_TRUE(SameClass(item.className, want.className)) << item.className;
    EXPECT_EQ(want.text, item.text);
    EXPECT_EQ(want.x, item.x);
    EXPECT_EQ(want.y, item.y);
    EXPECT_EQ(want.cx, item.cx);
    EXPECT_EQ(want.cy, item.cy);
    EXPECT_EQ(Hex(want.style), Hex(item.style & want.style));
  }
}

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

TEST_F(ResourcesTest, PopupDialogTemplate) {
  const DialogTemplate t = ParseTemplate(Bytes(exe.get(), RT_DIALOG, IDD_POPUP));
  EXPECT_EQ(Hex(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), Hex(t.exStyle));
  EXPECT_EQ(Hex(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT), Hex(t.style));
  EXPECT_EQ("", t.caption);
  EXPECT_EQ(8, t.pointSize);
  EXPECT_EQ("MS Sans Serif", t.face);
  ExpectItems(t, {
                     {IDOK, "Button", "OK", 0, 0, 50, 14, WS_CHILD | BS_DEFPUSHBUTTON},
                     {IDC_SETUP, "Button", "Setup...", 0, 0, 50, 14, kShown | BS_PUSHBUTTON},
                     {IDC_REFRESH, "Button", "Refresh", 0, 0, 50, 14, kShown | BS_PUSHBUTTON},
                     {IDC_ABOUT, "Button", "About...", 0, 0, 50, 14, kShown | BS_PUSHBUTTON},
                     {IDCANCEL, "Button", "Exit", 0, 0, 50, 14, kShown | BS_PUSHBUTTON},
                     {IDC_SHORTCUT_LIST, "SysListView32", "", 0, 0, 50, 14,
                      kShown | WS_BORDER | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                          LVS_AUTOARRANGE},
                 });
  EXPECT_FALSE(t.items.front().style & WS_VISIBLE) << "OK is never shown";
}

TEST_F(ResourcesTest, SetupAndNameDialogTemplates) {
  const DialogTemplate setup = ParseTemplate(Bytes(exe.get(), RT_DIALOG, IDD_SETUP));
  EXPECT_EQ(Hex(WS_EX_ACCEPTFILES), Hex(setup.exStyle));
  EXPECT_EQ(Hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), Hex(setup.style & ~(DS_SETFONT | DS_CENTER)));
  EXPECT_EQ(340, setup.cx);
  EXPECT_EQ(315, setup.cy);
  EXPECT_EQ("Quorvel! Setup", setup.caption);
  EXPECT_EQ("MS Sans Serif", setup.face);
  const DWORD tab = WS_VISIBLE | WS_TABSTOP;
  ExpectItems(setup, {
                         {DWORD(-1), "Button", "&Groups:", 7, 91, 158, 173, BS_GROUPBOX},
                         {IDC_GROUPS, "ListBox", "", 16, 105, 138, 126,
                          tab | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL},
                         {IDC_GROUP_NEW, "Button", "New...", 16, 242, 41, 14, tab},
                         {IDC_GROUP_RENAME, "Button", "Rename...", 64, 242, 41, 14, tab},
                         {IDC_GROUP_DELETE, "Button", "Delete...", 112, 242, 41, 14, tab},
                         {DWORD(-1), "Button", "&Shortcuts:", 171, 91, 159, 173, BS_GROUPBOX},
                         {IDC_SHORTCUTS, "SysListView32", "", 182, 105, 137, 126,
                          tab | LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS},
                         {IDC_SHORTCUT_NEW, "Button", "New...", 182, 242, 41, 14, tab},
                         {IDC_SHORTCUT_RENAME, "Button", "Rename...", 230, 242, 41, 14, tab},
                         {IDC_SHORTCUT_DELETE, "Button", "Delete...", 278, 242, 41, 14, tab},
                         {IDCANCEL, "Button", "Close", 7, 274, 50, 14, tab},
                         {DWORD(-1), "Button", "Menu:", 7, 7, 323, 78, BS_GROUPBOX},
                         {IDC_FOREGROUND, "Button", "&Foreground color...", 16, 21, 72, 14, tab},
                         {IDC_FOREGROUND_SWATCH, "Static", "", 97, 21, 59, 14, WS_VISIBLE},
                         {IDC_BACKGROUND, "Button", "&Background color...", 16, 41, 72, 14, tab},
                         {IDC_BACKGROUND_SWATCH, "Static", "", 97, 41, 59, 14, WS_VISIBLE},
                         {IDC_FONT, "Button", "F&ont:", 16, 61, 34, 14, tab},
                         {IDC_FONT_TEXT, "Static", "", 60, 61, 258, 14, SS_CENTER | SS_CENTERIMAGE},
                         {DWORD(-1), "Static", "Example:", 167, 19, 30, 8, WS_VISIBLE},
                         {IDC_EXAMPLE, "Edit", "", 167, 30, 151, 25, ES_MULTILINE | ES_READONLY | WS_BORDER},
                         {IDOK, "Button", "OK", 167, 274, 50, 14, BS_DEFPUSHBUTTON},
                         {IDC_HOTKEY_ON, "Button", "&Key for the menu:", 66, 276, 72, 10, tab | BS_AUTOCHECKBOX},
                         {IDC_HOTKEY, "msctls_hotkey32", "", 140, 274, 80, 14, tab | WS_BORDER},
                         {IDC_HOTKEY_STATUS, "Static", "", 224, 272, 106, 20, WS_VISIBLE},
                         {DWORD(-1), "Static", "&Wait at the edge:", 7, 296, 58, 8, WS_VISIBLE},
                         {IDC_EDGE_DELAY, "ComboBox", "", 66, 294, 72, 100, tab | CBS_DROPDOWNLIST},
                         {IDC_EDGE_QUIET, "Button", "&Quiet over...", 140, 293, 80, 14, tab},
                     });
  EXPECT_FALSE(setup.items[19].style & WS_TABSTOP) << "the example takes no Tab";
  EXPECT_FALSE(setup.items[20].style & WS_VISIBLE) << "OK is never shown";

  const DialogTemplate name = ParseTemplate(Bytes(exe.get(), RT_DIALOG, IDD_NAME));
  EXPECT_EQ(Hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), Hex(name.style & ~(DS_SETFONT | DS_CENTER)));
  EXPECT_EQ(186, name.cx);
  EXPECT_EQ(66, name.cy);
  EXPECT_EQ("", name.caption);
  ExpectItems(name, {
                        {IDC_NAME_PROMPT, "Static", "Please enter the name of the group:", 7, 7, 172, 8, WS_VISIBLE},
                        {IDC_NAME, "Edit", "", 7, 20, 172, 14, tab | WS_BORDER | ES_AUTOHSCROLL},
                        {IDOK, "Button", "OK", 7, 45, 50, 14, tab | BS_DEFPUSHBUTTON},
                        {IDCANCEL, "Button", "Cancel", 65, 45, 50, 14, tab},
                    });
}

TEST_F(ResourcesTest, CreateShortcutWizardPages) {
  const DWORD tab = WS_VISIBLE | WS_TABSTOP;
  const WantedItem picture{DWORD(-1), "Static", "#132", 7, 7, 81, 141, WS_VISIBLE | SS_BITMAP};
  const WantedItem line{DWORD(-1), "Static", "", 7, 155, 308, 1, WS_VISIBLE | SS_ETCHEDHORZ};
  const WantedItem cancel{IDCANCEL, "Button", "Cancel", 265, 168, 50, 14, tab};
  for (const auto& [id, caption] : {std::pair<WORD, const char*>{IDD_WIZARD_TARGET, "Create Shortcut"},
                                    {IDD_WIZARD_TITLE, "Select a Title for the Program"}}) {
    SCOPED_TRACE(caption);
    const DialogTemplate t = ParseTemplate(Bytes(exe.get(), RT_DIALOG, id));
    EXPECT_EQ(Hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), Hex(t.style & ~(DS_SETFONT | DS_CENTER)));
    EXPECT_EQ(322, t.cx);
    EXPECT_EQ(189, t.cy);
    EXPECT_EQ(caption, t.caption);
    EXPECT_EQ("MS Sans Serif", t.face);
    EXPECT_EQ(8, t.pointSize);
  }
  const DialogTemplate target = ParseTemplate(Bytes(exe.get(), RT_DIALOG, IDD_WIZARD_TARGET));
  ExpectItems(target, {
                          picture,
                          {DWORD(-1), "Static",
                           "Type the location and name of the item you wish to create\na shortcut to. Or, search for "
                           "the item by clicking Browse.",
                           102, 7, 187, 20, WS_VISIBLE},
                          {DWORD(-1), "Static", "&Command line:", 102, 31, 47, 8, WS_VISIBLE},
                          {IDC_WIZARD_EDIT, "Edit", "", 102, 43, 213, 14, tab | WS_BORDER | ES_AUTOHSCROLL},
                          {IDC_WIZARD_BROWSE, "Button", "B&rowse...", 102, 67, 50, 14, tab},
                          line,
                          {IDC_WIZARD_BACK, "Button", "< &Back", 155, 168, 50, 14, tab | WS_DISABLED},
                          {IDOK, "Button", "&Next >", 207, 168, 50, 14, tab | BS_DEFPUSHBUTTON},
                          cancel,
                      });
  const DialogTemplate title = ParseTemplate(Bytes(exe.get(), RT_DIALOG, IDD_WIZARD_TITLE));
  ExpectItems(title, {
                         picture,
                         {DWORD(-1), "Static", "&Select a name for the shortcut:", 102, 7, 98, 8, WS_VISIBLE},
                         {IDC_WIZARD_EDIT, "Edit", "", 102, 19, 213, 14, tab | WS_BORDER | ES_AUTOHSCROLL},
                         line,
                         {IDC_WIZARD_BACK, "Button", "< &Back", 155, 168, 50, 14, tab},
                         {IDOK, "Button", "Finish", 207, 168, 50, 14, tab | BS_DEFPUSHBUTTON},
                         cancel,
                     });
  EXPECT_FALSE(title.items[4].style & WS_DISABLED) << "Back works on the second page";
}

TEST_F(ResourcesTest, AboutBoxTemplate) {
  const DialogTemplate t = ParseTemplate(Bytes(exe.get(), RT_DIALOG, IDD_ABOUT));
  EXPECT_EQ(Hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), Hex(t.style & ~(DS_SETFONT | DS_CENTER)));
  EXPECT_EQ(262, t.cx);
  EXPECT_EQ(175, t.cy);
  EXPECT_EQ("About Quorvel!", t.caption);
  EXPECT_EQ(8, t.pointSize);
  EXPECT_EQ("MS Sans Serif", t.face);
  ASSERT_EQ(6u, t.items.size());
  const std::string notice = t.items[4].text;
  ExpectItems(t, {
                     {DWORD(-1), "Button", "", 7, 7, 248, 137, BS_GROUPBOX},
                     {DWORD(-1), "Static", "#128", 17, 19, 20, 20, WS_VISIBLE | SS_ICON},
                     {IDC_ABOUT_VERSION, "Static", "Quorvel! Version 1.52", 47, 18, 200, 13, WS_VISIBLE | SS_NOPREFIX},
                     {IDC_ABOUT_CREDITS, "Static", t.items[3].text.c_str(), 47, 33, 200, 14, WS_VISIBLE},
                     {IDC_ABOUT_NOTICE, "Static", notice.c_str(), 17, 49, 222, 89, WS_VISIBLE},
                     {IDOK, "Button", "OK", 7, 153, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
                 });
  EXPECT_FALSE(t.items[3].text.empty());
  EXPECT_EQ(std::string::npos, t.items[3].text.find('\n')) << "the credits are one line";
  // Paragraphs apart by empty lines, the last one a contact address.
  const std::size_t lastParagraph = notice.rfind("\n\n");
  ASSERT_NE(std::string::npos, lastParagraph);
  EXPECT_NE(std::string::npos, notice.find('@', lastParagraph));
}

TEST_F(ResourcesTest, TrayMenuOffersSetupAsItsDefaultThePauseThatAppliesAndExit) {
  for (bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "not paused");
    HMENU popup = nullptr;
    qv::UniqueMenu menu = qv::LoadTrayMenu(exe.get(), popup, paused);
    ASSERT_TRUE(menu);
    const std::vector<std::string> expected =
        paused ? std::vector<std::string>{"&Setup...", "", "&Resume", "", "&Exit"}
               : std::vector<std::string>{"&Setup...", "", "Pause for 1 &hour", "Pause &until I resume", "", "&Exit"};
    ASSERT_EQ(static_cast<int>(expected.size()), GetMenuItemCount(popup));
    for (std::size_t i = 0; i < expected.size(); ++i) {
      char text[32] = {};
      GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      EXPECT_EQ(expected[i], text);
    }
    EXPECT_EQ(static_cast<UINT>(IDM_TRAY_EXIT), GetMenuItemID(popup, static_cast<int>(expected.size()) - 1));
    EXPECT_EQ(static_cast<UINT>(IDM_TRAY_SETUP), GetMenuDefaultItem(popup, FALSE, 0));
  }
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
