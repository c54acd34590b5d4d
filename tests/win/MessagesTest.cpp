// The launcher's message boxes, read and answered from a second thread the
// way a person would; and the text of the last system error.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Messages.h"

namespace {

constexpr int kTextId = 0xFFFF;  // the static that shows the message
constexpr UINT kMarker = WM_APP + 40;

// What the helper thread saw of an open box.
struct BoxView {
  bool found = false;
  std::string text;
  std::vector<int> buttons;  // the visible ones, by id
  int defaultButton = 0;
  HICON icon = nullptr;
  HWND owner = nullptr;
  bool watchedEnabled = true;  // a window the test names
};

DWORD g_boxThread = 0;
std::atomic<LONG> g_markersPosted{0}, g_markersHandled{0};

// Sees the box's loop fetch the helper's markers.
LRESULT CALLBACK OnGetMessage(int code, WPARAM removal, LPARAM lParam) {
  const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && msg.hwnd == nullptr && msg.message == kMarker)
    g_markersHandled = static_cast<LONG>(msg.wParam);
  return CallNextHookEx(nullptr, code, removal, lParam);
}

// Returns once the box's loop has handled what was posted to it and what
// that posted in turn, or the box is gone.
void Settle(HWND box) {
  for (int round = 0; round < 2; ++round) {
    const LONG n = ++g_markersPosted;
    PostThreadMessageA(g_boxThread, kMarker, static_cast<WPARAM>(n), 0);
    for (DWORD start = GetTickCount(); g_markersHandled < n && IsWindow(box) && GetTickCount() - start < 5000;)
      Sleep(5);
  }
}

bool IsClass(HWND window, const char* name) {
  char found[64] = {};
  GetClassNameA(window, found, sizeof(found));
  return lstrcmpiA(found, name) == 0;
}

BoxView Read(HWND box, HWND watch) {
  BoxView view;
  view.found = true;
  char text[512] = {};
  GetDlgItemTextA(box, kTextId, text, sizeof(text));
  view.text = text;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0) continue;
    if (IsClass(child, "Button")) {
      view.buttons.push_back(GetDlgCtrlID(child));
      if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) view.defaultButton = GetDlgCtrlID(child);
    } else if (IsClass(child, "Static") && (style & SS_TYPEMASK) == SS_ICON) {
      view.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    }
  }
  std::sort(view.buttons.begin(), view.buttons.end());
  view.owner = GetWindow(box, GW_OWNER);
  if (watch != nullptr) view.watchedEnabled = IsWindowEnabled(watch) != FALSE;
  return view;
}

// Runs `show` on this thread while a second thread waits for the box with
// this title, reads it and runs `answer` on it.
BoxView ShowAndAnswer(const std::string& title, const std::function<void()>& show,
                      const std::function<void(HWND)>& answer, HWND watch = nullptr) {
  g_boxThread = GetCurrentThreadId();
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, OnGetMessage, nullptr, g_boxThread);
  BoxView view;
  std::thread helper([&] {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10)) {
      HWND box = FindWindowA("#32770", title.c_str());
      if (box == nullptr || !IsWindowVisible(box) || GetWindowThreadProcessId(box, nullptr) != g_boxThread) continue;
      view = Read(box, watch);
      return answer(box);
    }
    // No such box: free this thread from whatever holds it.
    EnumThreadWindows(g_boxThread, [](HWND w, LPARAM) -> BOOL {
      PostMessageA(w, WM_COMMAND, IDNO, 0);
      PostMessageA(w, WM_COMMAND, IDOK, 0);
      return TRUE;
    }, 0);
  });
  show();
  helper.join();
  UnhookWindowsHookEx(hook);
  return view;
}

std::function<void(HWND)> Click(int id) {
  return [id](HWND box) { PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); };
}

void PostKey(HWND to, UINT vk) {
  PostMessageA(to, WM_KEYDOWN, vk, MAKELPARAM(1, MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)));
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(MessageBoxes, TextIsTheLinesJoinedByLineFeeds) {
  const std::pair<qv::MessageLines, std::string> cases[] = {
      {{"Just one line"}, "Just one line"},
      {{"a", "", "b"}, "a\n\nb"},
  };
  for (const auto& [lines, shown] : cases) {
    SCOPED_TRACE(shown);
    const BoxView v =
        ShowAndAnswer("Quorvel text", [&lines = lines] { qv::ShowInfoMessage(nullptr, "Quorvel text", lines); },
                      Click(IDOK));
    ASSERT_TRUE(v.found);
    EXPECT_EQ(shown, v.text);
  }
}

// What AskYesNo says to the box answered by `answer`.
bool Ask(const std::function<void(HWND)>& answer, BoxView& view) {
  bool yes = true;
  view = ShowAndAnswer("Quorvel question", [&] { yes = qv::AskYesNo(nullptr, "Quorvel question", {"Go on?"}); },
                       answer);
  return yes;
}

TEST(MessageBoxes, QuestionHasYesAndNoWithNoTheDefaultForEnter) {
  BoxView v;
  EXPECT_FALSE(Ask([](HWND box) { PostKey(box, VK_RETURN); }, v));
  ASSERT_TRUE(v.found);
  EXPECT_EQ((std::vector<int>{IDYES, IDNO}), v.buttons);
  EXPECT_EQ(IDNO, v.defaultButton);
  EXPECT_EQ(LoadIconA(nullptr, IDI_QUESTION), v.icon);
}

TEST(MessageBoxes, ClickingYesAnswersYes) {
  BoxView v;
  EXPECT_TRUE(Ask(Click(IDYES), v));
  EXPECT_TRUE(v.found);
}

// Windows keeps a Yes/No box open on Escape and WM_CLOSE; Wine ends it with
// IDCANCEL. Either way the answer must not be Yes.
TEST(MessageBoxes, EscapeAndCloseDoNotAnswerAQuestion) {
  for (const bool escape : {true, false}) {
    SCOPED_TRACE(escape ? "Escape" : "WM_CLOSE");
    bool stillOpen = false;
    BoxView v;
    EXPECT_FALSE(Ask(
        [&stillOpen, escape](HWND box) {
          if (escape) PostKey(box, VK_ESCAPE);
          else PostMessageA(box, WM_CLOSE, 0, 0);
          Settle(box);
          stillOpen = IsWindow(box) != FALSE;
          if (stillOpen) Click(IDNO)(box);
        },
        v));
    ASSERT_TRUE(v.found);
    EXPECT_EQ(!RunningUnderWine(), stillOpen);
  }
}

TEST(MessageBoxes, InformationAndWarningHaveOkOnlyAndTheirIcons) {
  const struct {
    void (*show)(HWND, const std::string&, const qv::MessageLines&);
    const char* icon;
    const char* title;
  } boxes[] = {{qv::ShowInfoMessage, IDI_INFORMATION, "Quorvel information"},
               {qv::ShowWarningMessage, IDI_EXCLAMATION, "Quorvel warning"}};
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.title);
    const BoxView v = ShowAndAnswer(box.title, [&] { box.show(nullptr, box.title, {"Done."}); }, Click(IDOK));
    ASSERT_TRUE(v.found);
    EXPECT_EQ(std::vector<int>{IDOK}, v.buttons);
    EXPECT_EQ(LoadIconA(nullptr, box.icon), v.icon);
  }
}

// Owned: the owner is disabled. Without owner (task-modal): every other
// top-level window of the thread is.
TEST(MessageBoxes, BoxDisablesItsOwnerOrElseTheThreadsWindowsWhileOpen) {
  for (const bool owned : {true, false}) {
    SCOPED_TRACE(owned ? "with owner" : "without owner");
    HWND window = CreateWindowExA(0, "STATIC", "Quorvel window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 240,
                                  120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    HWND owner = owned ? window : nullptr;
    const BoxView v = ShowAndAnswer(
        "Quorvel modal", [&] { qv::ShowWarningMessage(owner, "Quorvel modal", {"Modal."}); }, Click(IDOK), window);
    EXPECT_TRUE(v.found);
    EXPECT_EQ(owner, v.owner);
    EXPECT_FALSE(v.watchedEnabled);
    EXPECT_TRUE(IsWindowEnabled(window));
    DestroyWindow(window);
  }
}

std::string SystemText(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? std::string(buffer, length) : std::string();
  LocalFree(buffer);
  return text;
}

TEST(LastErrorText, NamesTheCodeAndTheSystemsOwnText) {
  const std::string system = SystemText(ERROR_FILE_NOT_FOUND);
  ASSERT_GT(system.size(), 2u);
  EXPECT_EQ("\r\n", system.substr(system.size() - 2));
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ("Error 2: " + system, qv::GetLastErrorText());
}

TEST(LastErrorText, CodeWithoutSystemTextIsNamedAlone) {
  constexpr DWORD kNoText = 0xDEADBEEF;
  ASSERT_EQ("", SystemText(kNoText));
  // Looking the code up fails and sets an error of its own, so the code
  // must be read before.
  ASSERT_NE(kNoText, GetLastError());
  SetLastError(kNoText);
  EXPECT_EQ("Error 3735928559: ", qv::GetLastErrorText());
}

}  // namespace
