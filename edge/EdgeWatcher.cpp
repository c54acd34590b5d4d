#include "EdgeWatcher.h"

#include <tlhelp32.h>

#include <utility>

#include "EdgeRule.h"
#include "LiveZones.h"
#include "SessionRecord.h"

namespace qv {

namespace {

// Often enough that the popup comes as it does with the hook (a pointer
// flicked to the edge rests there longer), seldom enough to cost nothing
// that shows.
constexpr UINT kPollMs = 30;
// The hook library comes into a program with its first mouse message.
constexpr UINT kRecheckMs = 1000;
constexpr UINT kAskFrontMs = 500;
constexpr DWORD kAskAgainMs = 250;
constexpr DWORD kSettleMs = 60;
constexpr UINT kRearmMessage = WM_APP + 1;
// A hung program is not waited for longer than this.
constexpr UINT kAnswerMs = 200;

// The one watcher's thread, for the system's event callback.
std::atomic<EdgeWatcher*> current{nullptr};

DWORD IntegrityLevel(HANDLE process, bool& read) {
  read = false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return 0;
  UniqueKernelHandle owned(token);
  union {
    TOKEN_MANDATORY_LABEL label;
    BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
  } answer;
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenIntegrityLevel, &answer, sizeof answer, &size)) return 0;
  const PSID sid = answer.label.Label.Sid;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return 0;
  read = true;
  return *GetSidSubAuthority(sid, count - 1);
}

bool SamePath(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

// True when one of `libraries` is among the modules of `process`; `read`
// says whether the list could be read at all.
bool HoldsLibrary(DWORD process, const std::vector<std::wstring>& libraries, bool& read) {
  read = false;
  HANDLE snapshot = INVALID_HANDLE_VALUE;
  // The list may be in the middle of a change: asked again once.
  for (int attempt = 0; attempt < 2 && snapshot == INVALID_HANDLE_VALUE; ++attempt)
    snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  UniqueKernelHandle owned(snapshot);
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module)) {
    read = true;
    for (const auto& library : libraries)
      if (SamePath(library, module.szExePath)) return true;
  }
  return false;
}

}  // namespace

EdgeWatcher::StateView::StateView(StateView&& other) noexcept
    : name(std::move(other.name)), section(std::move(other.section)), view(std::exchange(other.view, nullptr)) {}

EdgeWatcher::StateView::~StateView() {
  if (view != nullptr) UnmapViewOfFile(view);
}

bool EdgeWatcher::HookRanIn(DWORD process, bool mayOpen) {
  for (StateView& state : states_) {
    if (state.view == nullptr) {
      // The companion's comes with its hook.
      if (!mayOpen) continue;
      state.section.reset(OpenFileMappingW(FILE_MAP_READ, FALSE, state.name.c_str()));
      if (state.section) state.view = MapViewOfFile(state.section.get(), FILE_MAP_READ, 0, 0, sizeof(HookState));
      if (state.view == nullptr) continue;
    }
    const auto* hook = static_cast<const volatile HookState*>(state.view);
    if (static_cast<DWORD>(hook->lastProcess) == process) return true;
  }
  return false;
}

bool EdgeWatcher::Start(HWND launcher, UINT showRequest, UINT hideRequest, UINT cancelRequest, UINT changed,
                        std::vector<std::wstring> hookLibraries) {
#ifdef QV_EDGE_WATCH_OFF
  // A launcher built without its own eye, for the benchmark's comparison.
  return false;
#endif
  if (running()) return true;
  launcher_ = launcher;
  show_ = showRequest;
  hide_ = hideRequest;
  cancel_ = cancelRequest;
  changed_ = changed;
  libraries_ = std::move(hookLibraries);
  states_.clear();
  for (const std::wstring& library : libraries_) {
    WCHAR name[kSessionNameSize];
    if (!SessionObjectName("HookState", LibraryPathHash(library.c_str()), name)) continue;
    states_.emplace_back();
    states_.back().name = name;
  }
  ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!ready_) return false;
  thread_.reset(CreateThread(nullptr, 0, &EdgeWatcher::Main, this, 0, &threadId_));
  if (!thread_) return false;
  // Its queue exists before anything is posted to it.
  const HANDLE both[] = {ready_.get(), thread_.get()};
  WaitForMultipleObjects(2, both, FALSE, INFINITE);
  return true;
}

void EdgeWatcher::Rearm() {
  if (running()) PostThreadMessageA(threadId_, kRearmMessage, 0, 0);
}

void EdgeWatcher::Stop() {
  if (!running()) return;
  PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  threadId_ = 0;
  watching_ = false;
}

DWORD WINAPI EdgeWatcher::Main(void* self) {
  static_cast<EdgeWatcher*>(self)->Run();
  return 0;
}

void CALLBACK EdgeWatcher::OnForeground(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  EdgeWatcher* const self = current.load();
  if (self == nullptr) return;
  // The system tells: no more asking.
  if (self->askTimer_ != 0) {
    KillTimer(nullptr, self->askTimer_);
    self->askTimer_ = 0;
  }
  if (GetForegroundWindow() != self->front_) self->LookAtFront();
}

void EdgeWatcher::Run() {
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  current = this;
  // Told by the system, in the launcher's own process: nothing is loaded
  // into other programs, and nothing is called for a move of the pointer.
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                             &EdgeWatcher::OnForeground, 0, 0, WINEVENT_OUTOFCONTEXT);
  // Until the system has told of a change once, the window in front is
  // asked for now and then: Wine (8) tells of none.
  askTimer_ = SetTimer(nullptr, 0, kAskFrontMs, nullptr);
  SetEvent(ready_.get());
  LookAtFront();
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd != nullptr) {
      DispatchMessageA(&msg);
    } else if (msg.message == WM_TIMER && msg.wParam == pollTimer_ && pollTimer_ != 0) {
      Poll();
    } else if (msg.message == WM_TIMER && msg.wParam == recheckTimer_ && recheckTimer_ != 0) {
      LookAtFront();
    } else if (msg.message == WM_TIMER && msg.wParam == askTimer_ && askTimer_ != 0) {
      if (GetForegroundWindow() != front_) LookAtFront();
    } else if (msg.message == kRearmMessage) {
      ReadZones();
      LookAtFront();
    }
  }
  if (hook != nullptr) UnhookWinEvent(hook);
  if (askTimer_ != 0) KillTimer(nullptr, askTimer_);
  askTimer_ = 0;
  SetWatching(false, false);
  current = nullptr;
}

void EdgeWatcher::LookAtFront() {
  FrontProcess front;
  const HWND window = GetForegroundWindow();
  front_ = window;
  frontProcess_ = 0;
  DWORD process = 0;
  if (window != nullptr) GetWindowThreadProcessId(window, &process);
  front.window = process != 0;
  front.ownProcess = process == GetCurrentProcessId() || (process != 0 && process == companion_.load());
  frontProcess_ = process;
  if (front.window && !front.ownProcess) {
    // The system's own test: a program of a higher level refuses the
    // launcher's messages (and its hook).
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, nullptr) == 0 &&
        GetLastError() == ERROR_ACCESS_DENIED) {
      front.messagesRefused = true;
    }
    if (!front.messagesRefused) {
      bool read = false;
      const DWORD own = IntegrityLevel(GetCurrentProcess(), read);
      if (read) {
        UniqueKernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
        bool theirsRead = false;
        const DWORD theirs = handle ? IntegrityLevel(handle.get(), theirsRead) : 0;
        front.higherLevel = theirsRead && theirs > own;
      }
      front.hookLoaded = HoldsLibrary(process, libraries_, front.modulesRead);
      // Where the list says nothing (a program of the other width, under
      // Wine), the hook's own word counts.
      if (!front.hookLoaded && HookRanIn(process, true)) front.modulesRead = front.hookLoaded = true;
    }
  }
  const PointerWatch watch = DecidePointerWatch(front);
  SetWatching(watch != PointerWatch::kNone, watch == PointerWatch::kRecheck);
}

void EdgeWatcher::SetWatching(bool watch, bool recheck) {
  if (watch && pollTimer_ == 0) {
    ReadZones();
    shown_ = -1;
    quiet_ = false;
    havePolled_ = false;
    showAsked_ = false;
    touchedAt_ = 0;
    pollTimer_ = SetTimer(nullptr, 0, kPollMs, nullptr);
  } else if (!watch && pollTimer_ != 0) {
    KillTimer(nullptr, pollTimer_);
    pollTimer_ = 0;
  }
  if (recheck && recheckTimer_ == 0) {
    recheckTimer_ = SetTimer(nullptr, 0, kRecheckMs, nullptr);
  } else if (!recheck && recheckTimer_ != 0) {
    KillTimer(nullptr, recheckTimer_);
    recheckTimer_ = 0;
  }
  const bool now = pollTimer_ != 0;
  if (watching_.exchange(now) != now) PostMessageA(launcher_, changed_, 0, 0);
}

void EdgeWatcher::ReadZones() {
  LiveDesktop desktop;
  if (!ReadLiveDesktop(desktop) || desktop.primary < 0) {
    desktop.monitor[0] = PrimaryAreaFromSettings(PrimaryMonitorDpi());
    desktop.count = 1;
  }
  ComputeDesktopZones(desktop.monitor, desktop.count, zones_);
  shown_ = -1;
}

void EdgeWatcher::Poll() {
  // The hook has come into the program in front: it sees the pointer there.
  if (recheckTimer_ != 0 && HookRanIn(frontProcess_, false)) {
    SetWatching(false, false);
    return;
  }
  // The hook acts on the pointer's events; a pointer at rest with the same
  // buttons held makes none.
  POINT pt{};
  if (!GetCursorPos(&pt)) return;
  const bool buttonDown = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) || (GetAsyncKeyState(VK_RBUTTON) & 0x8000) ||
                          (GetAsyncKeyState(VK_MBUTTON) & 0x8000);
  const bool unchanged =
      havePolled_ && pt.x == lastPoint_.x && pt.y == lastPoint_.y && buttonDown == lastButtonDown_;
  // A show request that has brought no popup yet is made again now and then
  // while the pointer rests where it was made: the launcher checks each
  // request against the pointer as it is then, which a program acting late
  // on an older move can have put back for a moment, and a full-screen
  // program may have gone since. One that took is not made again: the popup
  // sent away by a key stays away until the pointer moves, as with the hook.
  if (showAsked_ && IsWindowVisible(launcher_)) showAsked_ = false;
  const DWORD now = GetTickCount();
  const bool askAgain = unchanged && showAsked_ && now - showAskedAt_ >= kAskAgainMs;
  const bool settled = unchanged && touchedAt_ != 0 && now - touchedAt_ >= kSettleMs;
  if (unchanged && !askAgain && !settled) return;
  havePolled_ = true;
  lastPoint_ = pt;
  lastButtonDown_ = buttonDown;
  // The launcher is aware of each monitor's scale: the point is in physical
  // pixels, as the zones are.
  KnownHookInputs inputs{true, buttonDown, IsWindowVisible(launcher_) != FALSE, ZonePoint{pt.x, pt.y}, waiting_};
  HookRequest request = DecideHookRequest(inputs, zones_, shown_, false, quiet_);
  // A button read at another moment than the pointer may be an older state
  // (Wine keeps a released button's state for up to 50 ms): a touch counts
  // once the pointer has stayed, free of buttons, for longer than that.
  if (request == HookRequest::kShow && !askAgain) {
    if (touchedAt_ == 0) touchedAt_ = now != 0 ? now : 1;
    if (now - touchedAt_ < kSettleMs) return;
  }
  touchedAt_ = 0;
  switch (request) {
    case HookRequest::kShow:
      PostMessageA(launcher_, show_, 0, 0);
      showAsked_ = true;
      showAskedAt_ = GetTickCount();
      break;
    case HookRequest::kHide:
      PostMessageA(launcher_, hide_, 0, 0);
      showAsked_ = false;
      break;
    case HookRequest::kCancel:
      waiting_ = false;  // once, as the hook does
      PostMessageA(launcher_, cancel_, 0, 0);
      showAsked_ = false;
      break;
    case HookRequest::kNone:
      showAsked_ = false;
      break;
  }
}

}  // namespace qv
