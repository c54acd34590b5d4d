#include "BoxWatch.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace boxwatch {

namespace {

constexpr int kTextId = 0xFFFF;  // the static that shows the message
constexpr UINT kMarker = WM_APP + 40;

DWORD g_boxThread = 0;
std::atomic<LONG> g_markersPosted{0}, g_markersHandled{0};

// Sees the box's loop fetch the helper's markers.
LRESULT CALLBACK OnGetMessage(int code, WPARAM removal, LPARAM lParam) {
  const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && msg.hwnd == nullptr && msg.message == kMarker)
    g_markersHandled = static_cast<LONG>(msg.wParam);
  return CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

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

namespace {

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

// Frees the box's thread from whatever box holds it.
BOOL CALLBACK ReleaseBox(HWND window, LPARAM) {
  PostMessageA(window, WM_COMMAND, IDNO, 0);
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

}  // namespace

// Runs `show` on this thread while a second thread waits for the box with
// this title, reads it and runs `answer` on it.
BoxView ShowAndAnswer(const std::string& title, const std::function<void()>& show,
                      const std::function<void(HWND)>& answer, HWND watch) {
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
    // No such box.
    EnumThreadWindows(g_boxThread, ReleaseBox, 0);
  });
  show();
  helper.join();
  UnhookWindowsHookEx(hook);
  return view;
}

std::function<void(HWND)> Click(int id) {
  return [id](HWND box) { PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); };
}


}  // namespace boxwatch
