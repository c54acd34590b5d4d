// The launcher's message boxes, read and answered from a second thread the
// way a person would; and the text of the last system error.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BoxWatch.h"
#include "Messages.h"

using namespace boxwatch;

namespace {

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
