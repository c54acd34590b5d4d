// The group store on real folder trees: what becomes a group or a shortcut,
// in which order, with which icons; and the reports when memory runs out,
// made to happen by failing chosen allocations. The icons come from the
// icon store's workers.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "BoxWatch.h"
#include "GroupStore.h"
#include "IconStore.h"
#include "ShellHelpers.h"
#include "TempTree.h"

// Fails one chosen allocation: the n-th from now of exactly `size` bytes.
// The store's records have sizes no short string or list of this test takes.
namespace {
std::atomic<std::size_t> g_failSize{0};
std::atomic<int> g_failCountdown{0};
std::atomic<int> g_failImageListCountdown{0};
}  // namespace

void* operator new(std::size_t size) {
  if (size == g_failSize && g_failCountdown > 0 && --g_failCountdown == 0) {
    g_failSize = 0;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
// The runtime's operator delete already gives the memory back with free().

// The program's calls to ImageList_Create go through this import slot, so
// the test can make one of them fail as when the system is out of memory.
extern "C" {
HIMAGELIST WINAPI FailingImageListCreate(int cx, int cy, UINT flags, int initial, int grow) {
  if (g_failImageListCountdown > 0 && --g_failImageListCountdown == 0) return nullptr;
  using Create = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
  static const auto real =
      reinterpret_cast<Create>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("comctl32.dll"), "ImageList_Create")));
  return real(cx, cy, flags, initial, grow);
}
}
// The slot's name as the linker spells it: stdcall-decorated on 32-bit.
#if defined(_WIN64)
#define QV_IMAGE_LIST_CREATE_SLOT "__imp_ImageList_Create"
#else
#define QV_IMAGE_LIST_CREATE_SLOT "__imp__ImageList_Create@20"
#endif
extern decltype(&ImageList_Create) imageListCreateSlot __asm__(QV_IMAGE_LIST_CREATE_SLOT);
decltype(&ImageList_Create) imageListCreateSlot = FailingImageListCreate;

namespace {

using boxwatch::BoxView;
using Names = std::vector<std::string>;

class GroupStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override {
    qv::ClearGroups(groups);
    CoUninitialize();
  }

  // Loads with no box expected.
  void Load() { ASSERT_TRUE(qv::LoadGroups(groups, tree.root(), nullptr)); }

  Names GroupNames() const {
    Names names;
    for (const auto& g : groups) names.push_back(g->name);
    return names;
  }
  static Names ShortcutNames(const qv::ProgramGroup& group) {
    Names names;
    for (const auto& s : group.shortcuts) names.push_back(s->name);
    return names;
  }

  // Loads while one allocation or image list fails; reads the report.
  BoxView LoadFailing(bool& result) {
    return boxwatch::ShowAndAnswer(
        "Insufficient Memory", [&] { result = qv::LoadGroups(groups, tree.root(), nullptr); },
        boxwatch::Click(IDOK));
  }

  static std::string Report(const std::string& name) {
    return "Quorvel! was unable to load the following\nprogram group due to insufficient memory:\n\n" + name;
  }

  testtree::TempTree tree;
  qv::GroupList groups;
};

TEST_F(GroupStoreTest, FoldersBecomeGroupsInNameOrderFilesBesideThemDoNot) {
  for (const char* folder : {"beta", "Alpha", "_misc", "Tools 2.5", ".config"}) ASSERT_TRUE(tree.Folder(folder));
  ASSERT_TRUE(tree.File("QUORVEL.EXE"));
  ASSERT_TRUE(tree.File("MANUAL.TXT"));
  Load();
  // A folder name is read like a file name: ".config" has no title at all.
  EXPECT_EQ((Names{"", "_misc", "Alpha", "beta", "Tools 2"}), GroupNames());
  EXPECT_EQ(tree / "Tools 2.5", groups.back()->path);
  for (const auto& g : groups) EXPECT_EQ(-1, g->rowRect.left);
}

TEST_F(GroupStoreTest, EveryFileDirectlyInAGroupIsAShortcut) {
  ASSERT_TRUE(tree.Folder("Games"));
  ASSERT_TRUE(tree.Folder("Games\\Deeper"));
  ASSERT_TRUE(tree.File("Games\\Deeper\\Hidden away.LNK"));
  ASSERT_TRUE(tree.File("Games\\Readme"));
  ASSERT_TRUE(tree.File("Games\\notes.txt"));
  ASSERT_TRUE(tree.File("Games\\Secret.PIF", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(tree.File("Games\\Kernel.RNK", FILE_ATTRIBUTE_SYSTEM));
  const qv::ShellLinkSpec game{qv::GetModulePath(), "Game", 0, qv::GetModulePath(), 0};
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Games\\Game.exe.LNK", game));
  // A link whose target has gone is still a shortcut.
  ASSERT_TRUE(tree.File("Gone.exe"));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Games\\Gone.LNK", {tree / "Gone.exe", "Gone", 0, tree / "Gone.exe", 0}));
  ASSERT_TRUE(DeleteFileA((tree / "Gone.exe").c_str()));
  Load();

  ASSERT_EQ(1u, groups.size());
  const qv::ProgramGroup& group = *groups[0];
  EXPECT_EQ((Names{"Game.exe", "Gone", "Kernel", "notes", "Readme", "Secret"}), ShortcutNames(group));
  EXPECT_EQ(tree / "Games\\Game.exe.LNK", group.shortcuts[0]->path);

}

TEST_F(GroupStoreTest, AnEmptyGroupIsAGroupAndNoFoldersIsNoError) {
  Load();
  EXPECT_TRUE(groups.empty());
  ASSERT_TRUE(tree.Folder("Empty"));
  Load();
  ASSERT_EQ(1u, groups.size());
  EXPECT_TRUE(groups[0]->shortcuts.empty());
  // A program folder that is not there simply has no groups.
  EXPECT_TRUE(qv::LoadGroups(groups, tree / "Missing\\", nullptr));
  EXPECT_TRUE(groups.empty());
}

TEST_F(GroupStoreTest, GroupsAndShortcutsComeAndGoInMemoryOnly) {
  qv::ProgramGroup* tools = qv::AddGroup(groups, tree / "tools");
  qv::ProgramGroup* apps = qv::AddGroup(groups, tree / "Apps");
  ASSERT_NE(nullptr, tools);
  EXPECT_EQ((Names{"Apps", "tools"}), GroupNames());
  qv::ShortcutItem* b = qv::AddShortcut(*apps, apps->path + "\\b.LNK");
  qv::AddShortcut(*apps, apps->path + "\\A.LNK");
  EXPECT_EQ((Names{"A", "b"}), ShortcutNames(*apps));
  qv::RemoveShortcut(*apps, b);
  EXPECT_EQ((Names{"A"}), ShortcutNames(*apps));
  qv::ProgramGroup stranger;
  qv::RemoveGroup(groups, &stranger);  // not listed: left alone
  qv::RemoveGroup(groups, tools);
  EXPECT_EQ((Names{"Apps"}), GroupNames());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((tree / "Apps").c_str()));
}

TEST_F(GroupStoreTest, AGroupThatCannotBeAddedIsReportedByItsFolderName) {
  for (const char* folder : {"Alpha", "Beta 1.0", "Gamma"}) ASSERT_TRUE(tree.Folder(folder));
  ASSERT_TRUE(tree.File("Alpha\\One.LNK"));
  g_failSize = sizeof(qv::ProgramGroup);
  g_failCountdown = 2;
  bool result = true;
  const BoxView box = LoadFailing(result);
  EXPECT_FALSE(result);
  ASSERT_TRUE(box.found);
  EXPECT_EQ(Report("Beta 1.0"), box.text);
  EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
  // What was loaded stays; nothing after the failure was read.
  EXPECT_EQ((Names{"Alpha"}), GroupNames());
  EXPECT_EQ((Names{"One"}), ShortcutNames(*groups[0]));
}

TEST_F(GroupStoreTest, AShortcutThatCannotBeAddedIsReportedByItsGroupFolder) {
  ASSERT_TRUE(tree.Folder("Tools 2.5"));
  for (const char* file : {"Tools 2.5\\a", "Tools 2.5\\b", "Tools 2.5\\c"}) ASSERT_TRUE(tree.File(file));
  g_failSize = sizeof(qv::ShortcutItem);
  g_failCountdown = 2;
  bool result = true;
  const BoxView box = LoadFailing(result);
  EXPECT_FALSE(result);
  EXPECT_EQ(Report("Tools 2.5"), box.text);
  ASSERT_EQ(1u, groups.size());
  EXPECT_EQ(1u, groups[0]->shortcuts.size());
}

// The icons as the launcher gets them: asked for, shown as the default
// until they come, collected from the workers' message.
class IconStoreTest : public GroupStoreTest {
 protected:
  static constexpr UINT kArrived = WM_APP + 1;
  static constexpr UINT_PTR kTimer = 7;
  void SetUp() override {
    GroupStoreTest::SetUp();
    window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override {
    icons.Stop();
    GroupStoreTest::TearDown();
    DestroyWindow(window);
  }
  // Until nothing is on its way; the workers' messages collected as the
  // launcher collects them, or lost (the timer then collects all the same).
  void Collect(bool posted = true) {
    for (const DWORD start = GetTickCount(); icons.busy() && GetTickCount() - start < 30000;) {
      MSG msg;
      if (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
        if ((posted && msg.message == kArrived) || (msg.message == WM_TIMER && msg.wParam == kTimer))
          icons.Collect([this](const qv::ProgramGroup&, const qv::ShortcutItem& item) { arrived.push_back(item.name); });
      } else {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE | QS_TIMER);
      }
    }
    ASSERT_FALSE(icons.busy()) << "the workers never answered";
  }
  int Icon(const qv::ProgramGroup& group, const char* name) const {
    for (const auto& s : group.shortcuts)
      if (s->name == name) return s->iconIndex;
    ADD_FAILURE() << name << " is not listed";
    return -1;
  }

  // An image as its list draws it, pixel by pixel.
  static std::vector<COLORREF> Drawn(HIMAGELIST list, int image) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    const qv::WindowDc screen(nullptr);
    const qv::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    const qv::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), cx, cy));
    std::vector<COLORREF> pixels;
    if (!dc || !bitmap) return pixels;
    const qv::ScopedSelect select(dc.get(), bitmap.get());
    ImageList_Draw(list, image, dc.get(), 0, 0, ILD_NORMAL);
    for (int y = 0; y < cy; ++y)
      for (int x = 0; x < cx; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
    return pixels;
  }
  // The icon at `size` read from its file, as a list of that size draws it.
  static std::vector<COLORREF> DrawnAt(const std::string& file, int index, int size) {
    const qv::UniqueImageList list(ImageList_Create(size, size, ILC_COLOR, 1, 1));
    HICON read = nullptr;
    if (PrivateExtractIconsW(qv::WideText(file).c_str(), index, size, size, &read, nullptr, 1, 0) != 1) read = nullptr;
    const qv::UniqueIcon icon(read);
    if (!list || !icon) return {};
    ImageList_SetBkColor(list.get(), RGB(255, 255, 255));
    ImageList_ReplaceIcon(list.get(), -1, icon.get());
    return Drawn(list.get(), 0);
  }
  static std::set<DWORD> Threads() {
    std::set<DWORD> ids;
    const qv::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    return ids;
  }

  HWND window = nullptr;
  qv::IconStore icons;
  Names arrived;
};

TEST_F(IconStoreTest, IconsComeLaterAndShortcutsWithOneSourceShareAnImage) {
  ASSERT_TRUE(tree.Folder("Apps"));
  ASSERT_TRUE(tree.File("Apps\\notes.txt"));
  const std::string shell32 = "C:\\windows\\system32\\shell32.dll";
  for (const char* name : {"Apps\\One.LNK", "Apps\\Two.LNK"})
    ASSERT_EQ(S_OK, qv::CreateShellLink(tree / name, {qv::GetModulePath(), "", 0, qv::GetModulePath(), 0}));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\Three.LNK", {qv::GetModulePath(), "", 0, shell32, 3}));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\Four.LNK", {qv::GetModulePath(), "", 0, shell32, 3}));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\Gone.LNK", {qv::GetModulePath(), "", 0, qv::GetModulePath(), 0}));
  Load();
  qv::ProgramGroup& apps = *groups[0];

  icons.Start(window, kArrived, kTimer, 1);
  ASSERT_TRUE(icons.Reset());
  int cx = 0, cy = 0;
  ImageList_GetIconSize(icons.images(), &cx, &cy);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), cx);
  EXPECT_EQ(GetSystemMetrics(SM_CYICON), cy);
  EXPECT_EQ(RGB(255, 255, 255), ImageList_GetBkColor(icons.images()));
  icons.RequestGroup(apps);
  // Nothing waits for the shell: the default icon until then.
  for (const auto& s : apps.shortcuts) EXPECT_EQ(0, s->iconIndex) << s->name;
  EXPECT_EQ(6u, icons.waiting());
  // A shortcut deleted on the way gets nothing, and nothing breaks.
  qv::RemoveShortcut(apps, apps.shortcuts[1].get());  // Gone
  Collect();

  EXPECT_EQ(0u, icons.waiting());
  EXPECT_EQ((Names{"Four", "notes", "One", "Three", "Two"}), ShortcutNames(apps));
  EXPECT_NE(0, Icon(apps, "One"));
  EXPECT_EQ(Icon(apps, "One"), Icon(apps, "Two"));
  EXPECT_NE(0, Icon(apps, "Three"));
  EXPECT_EQ(Icon(apps, "Three"), Icon(apps, "Four"));
  EXPECT_NE(Icon(apps, "One"), Icon(apps, "Three"));
  EXPECT_NE(Icon(apps, "notes"), Icon(apps, "Three"));
  Names told = arrived;
  std::sort(told.begin(), told.end());
  EXPECT_EQ((Names{"Four", "One", "Three", "Two", "notes"}), told);
  // The default, the module's, shell32's 3 and the text file's: each once.
  EXPECT_EQ(Icon(apps, "notes") != 0 ? 4 : 3, icons.imageCount());

  // A shortcut added later fetches its own icon only; a new list forgets
  // the old one's requests.
  qv::ShortcutItem* five = qv::AddShortcut(apps, apps.path + "\\Four.LNK");
  icons.Request(apps, *five);
  ASSERT_TRUE(icons.Reset());
  EXPECT_EQ(0u, icons.waiting());
  icons.Request(apps, *five);
  arrived.clear();
  Collect();
  EXPECT_EQ(Names{"Four"}, arrived);
  EXPECT_EQ(1, five->iconIndex);
  EXPECT_EQ(2, icons.imageCount());
}

TEST_F(IconStoreTest, WithoutAnImageListOrWorkersEveryShortcutStillShows) {
  ASSERT_TRUE(tree.Folder("Apps"));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\One.LNK", {qv::GetModulePath(), "", 0, qv::GetModulePath(), 0}));
  Load();
  // No workers: fetched at once.
  ASSERT_TRUE(icons.Reset());
  icons.RequestGroup(*groups[0]);
  EXPECT_EQ(1, groups[0]->shortcuts[0]->iconIndex);
  EXPECT_EQ(0u, icons.waiting());
  // No image list: the default, without a box.
  g_failImageListCountdown = 1;
  EXPECT_FALSE(icons.Reset());
  EXPECT_EQ(nullptr, icons.images());
  icons.RequestGroup(*groups[0]);
  EXPECT_EQ(0, groups[0]->shortcuts[0]->iconIndex);
}

TEST_F(IconStoreTest, ANewSizeKeepsEveryImageInPlaceAndFetchesItAgainAtThatSize) {
  ASSERT_TRUE(tree.Folder("Apps"));
  ASSERT_TRUE(tree.File("Apps\\notes.txt"));
  const std::string module = qv::GetModulePath();
  const std::string shell32 = "C:\\windows\\system32\\shell32.dll";
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\One.LNK", {module, "", 0, module, 0}));
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\Two.LNK", {module, "", 0, shell32, 3}));
  Load();
  qv::ProgramGroup& apps = *groups[0];
  std::vector<HIMAGELIST> told;
  icons.OnImagesChanged([&told](HIMAGELIST list) { told.push_back(list); });
  icons.Start(window, kArrived, kTimer, 1);
  ASSERT_TRUE(icons.Reset());
  EXPECT_EQ(std::vector<HIMAGELIST>{icons.images()}, told);
  icons.RequestGroup(apps);
  // The workers' messages are lost: the store collects on its timer anyway.
  Collect(false);
  const int one = Icon(apps, "One"), two = Icon(apps, "Two"), notes = Icon(apps, "notes");
  ASSERT_NE(0, one);
  ASSERT_NE(0, two);
  const int count = icons.imageCount();

  // On its way when the size changes.
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\Three.LNK", {module, "", 0, shell32, 4}));
  qv::ShortcutItem* three = qv::AddShortcut(apps, apps.path + "\\Three.LNK");
  ASSERT_NE(nullptr, three);
  icons.Request(apps, *three);
  told.clear();
  ASSERT_TRUE(icons.SetIconSize(48));
  EXPECT_FALSE(icons.SetIconSize(48));
  EXPECT_FALSE(icons.SetIconSize(0));
  int cx = 0, cy = 0;
  ImageList_GetIconSize(icons.images(), &cx, &cy);
  EXPECT_EQ(48, cx);
  EXPECT_EQ(48, cy);
  EXPECT_EQ(std::vector<HIMAGELIST>{icons.images()}, told);
  EXPECT_EQ(count, icons.imageCount());
  EXPECT_EQ(one, Icon(apps, "One"));
  const std::vector<COLORREF> drawnLarger = Drawn(icons.images(), one);
  told.clear();
  Collect();

  // Every shortcut keeps its image, fetched again at the new size; the one
  // on its way when the size changed came at the new size too.
  EXPECT_EQ(one, Icon(apps, "One"));
  EXPECT_EQ(two, Icon(apps, "Two"));
  EXPECT_EQ(notes, Icon(apps, "notes"));
  EXPECT_EQ(count + 1, icons.imageCount());
  ASSERT_FALSE(drawnLarger.empty());
  EXPECT_TRUE(DrawnAt(module, 0, 48) != drawnLarger) << "the test cannot tell a fetched image from one drawn larger";
  EXPECT_TRUE(DrawnAt(module, 0, 48) == Drawn(icons.images(), one));
  EXPECT_TRUE(DrawnAt(shell32, 3, 48) == Drawn(icons.images(), two));
  EXPECT_TRUE(DrawnAt(shell32, 4, 48) == Drawn(icons.images(), three->iconIndex));
  // The views were told to draw the images fetched again.
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(icons.images(), told.back());

  // A new list keeps the size.
  ASSERT_TRUE(icons.Reset());
  ImageList_GetIconSize(icons.images(), &cx, &cy);
  EXPECT_EQ(48, cx);
  EXPECT_EQ(icons.images(), told.back());
}

TEST_F(IconStoreTest, AWorkerToldToQuitEndsAndTheStoreGoesOnWithoutIt) {
  ASSERT_TRUE(tree.Folder("Apps"));
  const std::string module = qv::GetModulePath();
  ASSERT_EQ(S_OK, qv::CreateShellLink(tree / "Apps\\One.LNK", {module, "", 0, module, 0}));
  Load();
  qv::ProgramGroup& apps = *groups[0];
  const std::set<DWORD> before = Threads();
  icons.Start(window, kArrived, kTimer, 1);
  std::vector<DWORD> workers;
  for (DWORD id : Threads())
    if (before.count(id) == 0) workers.push_back(id);
  ASSERT_EQ(1u, workers.size());
  ASSERT_TRUE(icons.Reset());
  icons.RequestGroup(apps);
  Collect();
  const int one = Icon(apps, "One");
  ASSERT_NE(0, one);

  // The worker has waited for messages since it started, so it has a queue.
  const qv::UniqueKernelHandle worker(OpenThread(SYNCHRONIZE, FALSE, workers[0]));
  ASSERT_TRUE(worker);
  ASSERT_TRUE(PostThreadMessageW(workers[0], WM_QUIT, 0, 0)) << "the worker takes no messages";
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker.get(), 30000)) << "the worker did not end";
  // Asked for then, an icon keeps the default one and nothing waits for it;
  // asked for again, it is fetched at once.
  qv::ShortcutItem* two = qv::AddShortcut(apps, apps.path + "\\One.LNK");
  icons.Request(apps, *two);
  Collect();
  EXPECT_EQ(0u, icons.waiting());
  icons.Request(apps, *two);
  EXPECT_EQ(one, two->iconIndex);
}

}  // namespace
