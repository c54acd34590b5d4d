// The window layer driven through a real modal dialog (win_tests.rc). Each
// test hands the dialog a list of steps; one step runs per posted message,
// so whatever a step posts is handled before the next step looks.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Dialog.h"

namespace {

constexpr UINT kTemplate = 900;  // ids of win_tests.rc
constexpr int kEdit = 901, kButton = 902, kList = 903;
constexpr int kThrowCommand = 950;  // a command no control carries
constexpr UINT kStep = WM_APP + 1, kAsk = WM_APP + 2, kProbe = WM_APP + 3;
constexpr UINT_PTR kWatchdog = 1, kResume = 2;

class TestDialog : public qv::DialogT<TestDialog> {
 public:
  using Step = std::function<void(TestDialog&)>;
  explicit TestDialog(std::vector<Step> steps, HWND owner = nullptr, UINT id = kTemplate)
      : DialogT(id, owner), steps_(std::move(steps)) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
  }
  static qv::RouteList<TestDialog> Routes();

  void Finish(INT_PTR result) { EndModal(result); }
  void ResumeLater() { later_ = true; }  // the next step waits for paints and timers
  ::testing::AssertionResult AllStepsRan() const {
    if (stepsRun_ == steps_.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << stepsRun_ << " of " << steps_.size() << " steps ran";
  }

  std::string name = "initial";  // the field behind the edit; empty is refused
  int saves = 0, clicks = 0, editChanges = 0, itemChangings = 0, setTexts = 0;
  LRESULT itemChangingAnswer = FALSE;
  WPARAM swallow = 0;  // a character PreTranslateMessage takes
  INT_PTR endInInit = 0;
  std::vector<UINT> fetched, idleAfter;

 protected:
  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    SetTimer(hwnd(), kWatchdog, 5000, nullptr);
    if (endInInit != 0) EndModal(endInInit);
    PostMessageA(hwnd(), kStep, 0, 0);
    return true;
  }
  bool Exchange(bool save) override {
    saves += save ? 1 : 0;
    std::string value = name;
    TransferText(kEdit, value, save);
    if (save && value.empty()) return false;
    name = value;
    return true;
  }
  bool PreTranslateMessage(MSG& msg) override {
    fetched.push_back(msg.message);
    return swallow != 0 && msg.message == WM_CHAR && msg.wParam == swallow;
  }
  void OnIdle() override { idleAfter.push_back(fetched.empty() ? 0 : fetched.back()); }

 private:
  bool OnStep(qv::Message&) {
    if (stepsRun_ < steps_.size()) steps_[stepsRun_++](*this);
    if (stepsRun_ < steps_.size() && !Ending()) {
      if (later_) SetTimer(hwnd(), kResume, 10, nullptr);
      else PostMessageA(hwnd(), kStep, 0, 0);
    }
    later_ = false;
    return true;
  }
  bool OnTimer(qv::Message& m) {
    if (m.wParam == kResume) {
      KillTimer(hwnd(), kResume);
      PostMessageA(hwnd(), kStep, 0, 0);
    } else if (m.wParam == kWatchdog) {
      ADD_FAILURE() << "the dialog did not end";
      EndModal(-77);
    }
    return m.wParam == kResume || m.wParam == kWatchdog;
  }
  bool OnAsk(qv::Message& m) { m.result = 12345; return true; }
  bool OnCtlColorStatic(qv::Message& m) {
    m.result = reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    return true;
  }
  bool OnSetText(qv::Message&) { ++setTexts; return false; }
  void OnButton() { ++clicks; }
  void OnEditChange() { ++editChanges; }
  void OnThrow() { throw std::runtime_error("handler failed"); }
  LRESULT OnItemChanging(const NMHDR&) { ++itemChangings; return itemChangingAnswer; }

  std::vector<Step> steps_;
  std::size_t stepsRun_ = 0;
  bool later_ = false;
};

qv::RouteList<TestDialog> TestDialog::Routes() {
  static const qv::Route<TestDialog> routes[] = {
      qv::OnMessage(kStep, &TestDialog::OnStep),
      qv::OnMessage(WM_TIMER, &TestDialog::OnTimer),
      qv::OnMessage(kAsk, &TestDialog::OnAsk),
      qv::OnMessage(WM_CTLCOLORSTATIC, &TestDialog::OnCtlColorStatic),
      qv::OnMessage(WM_SETTEXT, &TestDialog::OnSetText),
      qv::OnCommand(kButton, &TestDialog::OnButton),
      qv::OnCommand(kEdit, &TestDialog::OnEditChange, EN_CHANGE),
      qv::OnCommand(kThrowCommand, &TestDialog::OnThrow),
      qv::OnNotify(kList, LVN_ITEMCHANGING, &TestDialog::OnItemChanging),
  };
  return routes;
}

void PostKey(HWND to, UINT vk) {
  PostMessageA(to, WM_KEYDOWN, vk, MAKELPARAM(1, MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)));
}

::testing::AssertionResult Contains(const std::vector<UINT>& ids, UINT id) {
  char name[32];
  snprintf(name, sizeof(name), "message 0x%04X", id);
  if (std::find(ids.begin(), ids.end(), id) != ids.end()) return ::testing::AssertionSuccess() << name << " is there";
  return ::testing::AssertionFailure() << name << " is not there";
}

TEST(DialogTest, RunModalReturnsTheEndModalValueAndLeavesNoWindow) {
  HWND window = nullptr;
  TestDialog d({[&](TestDialog& t) {
    window = t.hwnd();
    EXPECT_TRUE(IsWindowVisible(window));
    t.Finish(1234);
  }});
  EXPECT_EQ(1234, d.RunModal());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nullptr, d.hwnd());
  EXPECT_EQ(-1, TestDialog({}, nullptr, 999).RunModal());  // no such template
}

TEST(DialogTest, FieldsFillTheControlsAndEnterSavesThemEndingWithOk) {
  TestDialog d({[](TestDialog& t) {
    EXPECT_EQ("initial", t.GetItemText(kEdit));
    EXPECT_EQ(0, t.saves);
    t.SetItemText(kEdit, "Bob");
    PostKey(t.Item(kEdit), VK_RETURN);
  }});
  EXPECT_EQ(IDOK, d.RunModal());
  EXPECT_EQ("Bob", d.name);
  EXPECT_EQ(1, d.saves);
}

TEST(DialogTest, RefusedExchangeKeepsTheDialogOpen) {
  TestDialog d({[](TestDialog& t) {
                  t.SetItemText(kEdit, "");
                  t.PostClick(IDOK);
                },
                [](TestDialog& t) {
                  EXPECT_EQ(1, t.saves);
                  EXPECT_EQ("initial", t.name);
                  t.SetItemText(kEdit, "Ann");
                  PostMessageA(t.hwnd(), WM_COMMAND, IDOK, 0);
                }});
  EXPECT_EQ(IDOK, d.RunModal());
  EXPECT_TRUE(d.AllStepsRan());
  EXPECT_EQ("Ann", d.name);
}

TEST(DialogTest, EscapeCancelButtonAndCloseEndWithCancelUnsaved) {
  const std::pair<const char*, TestDialog::Step> ways[] = {
      {"Escape", [](TestDialog& t) { PostKey(t.Item(kEdit), VK_ESCAPE); }},
      {"Cancel button", [](TestDialog& t) { t.PostClick(IDCANCEL); }},
      {"WM_CLOSE", [](TestDialog& t) { PostMessageA(t.hwnd(), WM_CLOSE, 0, 0); }},
  };
  for (const auto& [way, act] : ways) {
    SCOPED_TRACE(way);
    TestDialog d({[&act = act](TestDialog& t) {
      t.SetItemText(kEdit, "discarded");
      act(t);
    }});
    EXPECT_EQ(IDCANCEL, d.RunModal());
    EXPECT_EQ("initial", d.name);
    EXPECT_EQ(0, d.saves);
  }
}

TEST(DialogTest, ItemTextRoundTripsEmptyShortAndLongTexts) {
  TestDialog d({[](TestDialog& t) {
    for (const std::string& text : {std::string(), std::string("x"), std::string(5000, 'q') + "!"}) {
      t.SetItemText(kEdit, text);
      const std::string got = t.GetItemText(kEdit);
      EXPECT_TRUE(got == text) << "set " << text.size() << " characters, got " << got.size();
    }
    EXPECT_EQ("", t.GetItemText(4711));  // no such control
    t.Finish(IDOK);
  }});
  EXPECT_EQ(IDOK, d.RunModal());
}

TEST(DialogTest, MessageRoutesAnswerTheSenderOrLeaveItToTheDefault) {
  TestDialog d({[](TestDialog& t) {
    EXPECT_EQ(12345, SendMessageA(t.hwnd(), kAsk, 0, 0));  // through DWLP_MSGRESULT
    // Colour messages answer with the procedure's own return value.
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)),
              SendMessageA(t.hwnd(), WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(t.Item(kEdit))));
    SendMessageA(t.hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed"));  // handler says false
    EXPECT_EQ(1, t.setTexts);
    char title[32] = {};
    GetWindowTextA(t.hwnd(), title, sizeof(title));
    EXPECT_STREQ("Renamed", title);
    t.Finish(IDOK);
  }});
  EXPECT_EQ(IDOK, d.RunModal());
}

TEST(DialogTest, CommandRoutesMatchTheIdAndTheCodeWhenGiven) {
  TestDialog d({[](TestDialog& t) {
    const auto command = [&t](int id, UINT code) {
      SendMessageA(t.hwnd(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(t.Item(id)));
    };
    command(kButton, BN_CLICKED);
    command(kButton, BN_DOUBLECLICKED);
    EXPECT_EQ(2, t.clicks);  // whatever the code
    t.editChanges = 0;
    command(kEdit, EN_SETFOCUS);
    command(kList, EN_CHANGE);
    EXPECT_EQ(0, t.editChanges);
    t.SetItemText(kEdit, "typed");  // the edit's own EN_CHANGE
    EXPECT_EQ(1, t.editChanges);
    t.Finish(IDOK);
  }});
  EXPECT_EQ(IDOK, d.RunModal());
}

TEST(DialogTest, NotifyRoutesMatchIdAndCodeAndAnswerTheControl) {
  TestDialog d({[](TestDialog& t) {
    HWND list = t.Item(kList);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("one");
    ASSERT_EQ(0, ListView_InsertItem(list, &item));
    t.itemChangingAnswer = TRUE;  // the list view must not select
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(0u, ListView_GetItemState(list, 0, LVIS_SELECTED));
    EXPECT_LE(1, t.itemChangings);
    t.itemChangingAnswer = FALSE;
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(static_cast<UINT>(LVIS_SELECTED), ListView_GetItemState(list, 0, LVIS_SELECTED));

    const int before = t.itemChangings;
    NMHDR otherControl{t.Item(kButton), static_cast<UINT_PTR>(kButton), static_cast<UINT>(LVN_ITEMCHANGING)};
    NMHDR otherCode{list, static_cast<UINT_PTR>(kList), static_cast<UINT>(LVN_ITEMCHANGED)};
    SendMessageA(t.hwnd(), WM_NOTIFY, kButton, reinterpret_cast<LPARAM>(&otherControl));
    SendMessageA(t.hwnd(), WM_NOTIFY, kList, reinterpret_cast<LPARAM>(&otherCode));
    EXPECT_EQ(before, t.itemChangings);
    t.Finish(IDOK);
  }});
  EXPECT_EQ(IDOK, d.RunModal());
}

TEST(DialogTest, PostClickRunsTheCommandAfterTheCurrentMessage) {
  TestDialog d({[](TestDialog& t) {
                  t.PostClick(kButton);
                  EXPECT_EQ(0, t.clicks);
                },
                [](TestDialog& t) {
                  EXPECT_EQ(1, t.clicks);
                  t.Finish(IDOK);
                }});
  EXPECT_EQ(IDOK, d.RunModal());
  EXPECT_TRUE(d.AllStepsRan());
}

TEST(DialogTest, PreTranslateMessageTakesAKeyBeforeTheEdit) {
  TestDialog d({[](TestDialog& t) {
                  t.SetItemText(kEdit, "");
                  t.swallow = 'y';
                  for (char c : {'x', 'y', 'z'}) PostMessageA(t.Item(kEdit), WM_CHAR, c, 1);
                },
                [](TestDialog& t) {
                  EXPECT_EQ("xz", t.GetItemText(kEdit));
                  t.Finish(IDOK);
                }});
  EXPECT_EQ(IDOK, d.RunModal());
  EXPECT_TRUE(d.AllStepsRan());
}

TEST(DialogTest, IdleFollowsDispatchedMessagesButNotMovesOrPaints) {
  TestDialog d({[](TestDialog& t) {
                  t.fetched.clear();
                  t.idleAfter.clear();
                  PostMessageA(t.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
                  InvalidateRect(t.hwnd(), nullptr, TRUE);
                  PostMessageA(t.hwnd(), kProbe, 0, 0);
                  t.ResumeLater();
                },
                [](TestDialog& t) {
                  EXPECT_TRUE(Contains(t.fetched, WM_MOUSEMOVE));
                  EXPECT_TRUE(Contains(t.fetched, WM_PAINT));
                  EXPECT_TRUE(Contains(t.idleAfter, kProbe));
                  EXPECT_FALSE(Contains(t.idleAfter, WM_MOUSEMOVE));
                  EXPECT_FALSE(Contains(t.idleAfter, WM_PAINT));
                  t.Finish(IDOK);
                }});
  EXPECT_EQ(IDOK, d.RunModal());
  EXPECT_TRUE(d.AllStepsRan());
}

TEST(DialogTest, OwnerIsDisabledWhileRunningAndRestoredAfter) {
  for (const bool enabledBefore : {true, false}) {
    SCOPED_TRACE(enabledBefore ? "owner enabled before" : "owner disabled before");
    HWND owner = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    EnableWindow(owner, enabledBefore);
    TestDialog d({[owner](TestDialog& t) {
                   EXPECT_EQ(owner, GetWindow(t.hwnd(), GW_OWNER));
                   EXPECT_FALSE(IsWindowEnabled(owner));
                   t.Finish(IDOK);
                 }},
                 owner);
    EXPECT_EQ(IDOK, d.RunModal());
    EXPECT_EQ(enabledBefore, IsWindowEnabled(owner) != FALSE);
    if (enabledBefore) {
      EXPECT_EQ(owner, GetActiveWindow());  // activation came back to it
    }
    DestroyWindow(owner);
  }
}

TEST(DialogTest, ExceptionInAHandlerStaysInsideTheDialog) {
  TestDialog d({[](TestDialog& t) {
                  PostMessageA(t.hwnd(), WM_COMMAND, kThrowCommand, 0);
                  SendMessageA(t.hwnd(), WM_COMMAND, kThrowCommand, 0);
                },
                [](TestDialog& t) {
                  EXPECT_EQ(12345, SendMessageA(t.hwnd(), kAsk, 0, 0));
                  t.Finish(33);
                }});
  EXPECT_EQ(33, d.RunModal());
  EXPECT_TRUE(d.AllStepsRan());
}

TEST(DialogTest, EndModalDuringInitReturnsAtOnce) {
  TestDialog d({[](TestDialog&) { ADD_FAILURE() << "the loop ran"; }});
  d.endInInit = 42;
  EXPECT_EQ(42, d.RunModal());
  EXPECT_EQ(nullptr, d.hwnd());
}

TEST(DialogTest, QuitEndsTheLoopAndIsLeftForTheOuterLoop) {
  TestDialog d({[](TestDialog&) { PostQuitMessage(5); }});
  EXPECT_EQ(IDCANCEL, d.RunModal());
  EXPECT_EQ(nullptr, d.hwnd());
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(5u, msg.wParam);
}

}  // namespace
