// The hook library is mapped into every process that retrieves mouse
// messages while the hook is installed. It is linked without the C runtime:
// nothing here allocates, locks or waits, and a fault here would take other
// people's programs down with it.
#define QVLHOOK_BUILDING
#include "QVLHook.h"

#include <aclapi.h>
#include <sddl.h>

#include "HotZone.h"
#include "LiveZones.h"
#include "SessionRecord.h"

static_assert(sizeof(RECT) == sizeof(qv::ZoneRect), "RECT and ZoneRect must match");

// One copy of these per machine: the section is marked shared, and the build
// keeps the definitions in this order (-fno-toplevel-reorder). Any process
// that maps the file may write them, so they are only an account of the
// record written last, for inspection; the hook goes by its session's record.
#define QVL_SHARED __attribute__((section(".QVLHook"), shared))
HHOOK m_hHook QVL_SHARED = nullptr;
HWND m_hWnd QVL_SHARED = nullptr;
HINSTANCE m_hModule QVL_SHARED = nullptr;
RECT m_rect1 QVL_SHARED = {0, 0, 0, 0};
RECT m_rect2 QVL_SHARED = {0, 0, 0, 0};
// Counts the hooks installed from any record: a process that loaded the
// library before its session's record existed looks for it again once this
// has changed. Spoilt, it costs one look more.
static LONG m_recordSerial QVL_SHARED = 0;

namespace {

// Per process. The library's own module, which the hook is installed with.
HINSTANCE ownModule = nullptr;
// The system's thread DPI call, where it has it (Windows 10 1607 and later).
using ThreadDpiContextFn = HANDLE(WINAPI*)(HANDLE);
ThreadDpiContextFn setThreadDpiContext = nullptr;
constexpr intptr_t kPerMonitorAwareV2 = -4;
constexpr intptr_t kPerMonitorAware = -3;
// Per-monitor v2 until the system refuses it (Windows 10 1607, Wine 8);
// per-monitor (v1) sees the same physical points.
intptr_t physicalContext = kPerMonitorAwareV2;

// The calls of this thread in physical pixels while this lives, whatever
// the awareness of the thread: from Windows 8.1 on, the system answers each
// thread in its own space, and the thread that runs the hook may be the
// launcher's hook thread, calling on behalf of a program of the other width.
// The thread context is the thread's own and costs nothing to set; the
// previous one is back as soon as this goes.
class PhysicalPixels {
 public:
  PhysicalPixels() {
    if (setThreadDpiContext == nullptr) return;
    previous_ = setThreadDpiContext(reinterpret_cast<HANDLE>(physicalContext));
    if (previous_ == nullptr && physicalContext == kPerMonitorAwareV2) {
      physicalContext = kPerMonitorAware;
      previous_ = setThreadDpiContext(reinterpret_cast<HANDLE>(physicalContext));
    }
  }
  ~PhysicalPixels() {
    if (previous_ != nullptr) setThreadDpiContext(previous_);
  }
  PhysicalPixels(const PhysicalPixels&) = delete;
  PhysicalPixels& operator=(const PhysicalPixels&) = delete;
  bool active() const { return previous_ != nullptr; }

 private:
  HANDLE previous_ = nullptr;
};

// A named section of the session as this process maps it. The handle stays
// open as long as the view: a name lasts only while a handle to it does,
// and the next launcher must find the record that hooked programs still map.
struct Mapping {
  void* volatile view;
  HANDLE section;
};
WCHAR recordName[qv::kSessionNameSize];
WCHAR stateName[qv::kSessionNameSize];
Mapping readRecord;   // the hook's view, read-only
Mapping writeRecord;  // where this process writes, where the system lets it
Mapping hookState;    // written by the hook in every process
// The hook's state where the session has none that this process may write.
qv::HookState ownState;
// m_recordSerial when this process last looked for the record.
LONG lookedAt = 0;

// Keeps `section` and its view in `slot` unless another thread was first;
// what is not kept is released.
void Keep(Mapping& slot, HANDLE section, DWORD access, SIZE_T size) {
  void* const view = section != nullptr ? MapViewOfFile(section, access, 0, 0, size) : nullptr;
  if (view != nullptr && InterlockedCompareExchangePointer(&slot.view, view, nullptr) == nullptr) {
    slot.section = section;
    return;
  }
  if (view != nullptr) UnmapViewOfFile(view);
  if (section != nullptr) CloseHandle(section);
}

void Open(Mapping& slot, const WCHAR* name, DWORD access, SIZE_T size) {
  if (slot.view == nullptr) Keep(slot, OpenFileMappingW(access, FALSE, name), access, size);
}

void Release(Mapping& slot) {
  if (slot.view != nullptr) UnmapViewOfFile(slot.view);
  if (slot.section != nullptr) CloseHandle(slot.section);
  slot.view = nullptr;
  slot.section = nullptr;
}

constexpr DWORD kReadWrite = FILE_MAP_READ | FILE_MAP_WRITE;

// The session's record for the hook, and the hook's state, where they exist.
void LookForRecord() {
  Open(readRecord, recordName, FILE_MAP_READ, sizeof(qv::HookRecord));
  Open(hookState, stateName, kReadWrite, sizeof(qv::HookState));
}

const qv::HookRecord* RecordForHook() {
  if (void* const view = readRecord.view) return static_cast<const qv::HookRecord*>(view);
  return static_cast<const qv::HookRecord*>(writeRecord.view);
}

// The record this process may write: the one it made, or its session's
// where the system lets it write there (the record's user, at the record's
// level); nullptr otherwise.
qv::HookRecord* WritableRecord() {
  Open(writeRecord, recordName, kReadWrite, sizeof(qv::HookRecord));
  return static_cast<qv::HookRecord*>(writeRecord.view);
}

qv::HookState* WritableState() {
  Open(hookState, stateName, kReadWrite, sizeof(qv::HookState));
  return static_cast<qv::HookState*>(hookState.view);
}

// Handles are read and written whole on both widths.
uint64_t Load(const uint64_t& field) { return __atomic_load_n(&field, __ATOMIC_RELAXED); }
void Store(uint64_t& field, uint64_t value) { __atomic_store_n(&field, value, __ATOMIC_RELAXED); }
template <class Handle>
Handle AsHandle(uint64_t value) {
  return reinterpret_cast<Handle>(static_cast<uintptr_t>(value));
}
uint64_t FromHandle(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

RECT ToRect(const qv::ZoneRect& z) { return {z.left, z.top, z.right, z.bottom}; }

// Answers the decision's questions with the platform, only when asked.
struct LiveProbe {
  HWND target;
  DWORD ownerThread;
  POINT messagePoint;
  bool waiting;
  bool Registered() const { return target != nullptr; }
  // The buttons as the thread with the message sees them. On the owner's
  // thread, which gets no input of its own, only the buttons as the user
  // holds them say anything about a drag. (Asked elsewhere, Wine's answer
  // would first handle the thread's pending display events, in the middle
  // of its mouse message.)
  bool AnyButtonDown() const {
    SHORT (WINAPI *state)(int) = GetCurrentThreadId() == ownerThread ? GetAsyncKeyState : GetKeyState;
    return (state(VK_LBUTTON) & 0x8000) || (state(VK_RBUTTON) & 0x8000) || (state(VK_MBUTTON) & 0x8000);
  }
  // The zones are physical pixels: the pointer is read as a per-monitor-
  // aware thread sees it. Without the thread context (before Windows 10
  // 1607) the cursor's physical position stands in, which is right on
  // Windows 7, where the system scales the points of unaware programs, and
  // on 8.1 for every program at 100% and for the aware ones at any scale.
  // The message's point only when the pointer cannot be read at all.
  qv::ZonePoint Point() const {
    POINT pt{};
    bool read = false;
    {
      const PhysicalPixels physical;
      read = (physical.active() ? GetCursorPos(&pt) : GetPhysicalCursorPos(&pt)) != FALSE;
    }
    if (!read) pt = messagePoint;
    return qv::ZonePoint{pt.x, pt.y};
  }
  bool WindowVisible() const { return IsWindowVisible(target) != FALSE; }
  bool Waiting() const { return waiting; }
};

void Act(const qv::HookRecord& record, WPARAM message, const MOUSEHOOKSTRUCT& info) {
  qv::HookState* const shared = static_cast<qv::HookState*>(hookState.view);
  qv::HookState& state = shared != nullptr ? *shared : ownState;
  LiveProbe probe{AsHandle<HWND>(Load(record.window)), record.ownerThread, info.pt, state.waiting != 0};
  const bool quietBefore = state.stripQuiet != 0;
  bool quiet = quietBefore;
  const int32_t shownBefore = state.shownPiece - 1;
  int32_t shown = shownBefore;
  const qv::HookRequest request =
      qv::DecideHookRequest(probe, record.zones, shown, qv::IsButtonMessage(static_cast<uint32_t>(message)), quiet,
                            qv::IsCaptionButtonHit(info.wHitTestCode));
  // Written only when they change: the page is shared by every process.
  if (quiet != quietBefore) state.stripQuiet = quiet ? 1 : 0;
  const int32_t self = static_cast<int32_t>(GetCurrentProcessId());
  if (state.lastProcess != self) state.lastProcess = self;
  if (shown != shownBefore) state.shownPiece = shown + 1;
  switch (request) {
    case qv::HookRequest::kShow:
      // This process has the user's input, so it may hand the foreground
      // on: the popup then takes the keyboard as a menu does. To the
      // window's own process: the hook for programs of the other width is
      // installed by a companion, not by the launcher.
      {
        DWORD launcher = 0;
        GetWindowThreadProcessId(probe.target, &launcher);
        if (launcher != 0) AllowSetForegroundWindow(launcher);
      }
      PostMessageA(probe.target, kShowRequest, 0, 0);
      break;
    case qv::HookRequest::kHide:
      PostMessageA(probe.target, kHideRequest, 0, 0);
      break;
    case qv::HookRequest::kCancel:
      // Once: the launcher ends the wait in every width's state.
      state.waiting = 0;
      PostMessageA(probe.target, kCancelRequest, 0, 0);
      break;
    case qv::HookRequest::kNone:
      break;
  }
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && lParam != 0) {
    const qv::HookRecord* record = RecordForHook();
    if (record == nullptr) {
      // Loaded before a launcher made the record: one look after each hook
      // installed since.
      const LONG serial = m_recordSerial;
      if (InterlockedExchange(&lookedAt, serial) != serial) {
        LookForRecord();
        record = RecordForHook();
      }
    }
    if (record != nullptr) Act(*record, wParam, *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void QVLCalcArea(void) {
  qv::LiveDesktop desktop;
  {
    // Physical pixels, as the launcher sees them, whichever process asks.
    const PhysicalPixels physical;
    if (!qv::ReadLiveDesktop(desktop) || desktop.primary < 0) {
      desktop.monitor[0] = qv::PrimaryAreaFromSettings(qv::PrimaryMonitorDpi());
      desktop.count = 1;
      desktop.primary = 0;
    }
  }
  qv::DesktopZones zones;
  qv::ComputeDesktopZones(desktop.monitor, desktop.count, zones);

  // The primary's stay zone, and the widest stretch of its strip (an empty
  // one at the strip's start when a monitor above covers all of it).
  const qv::HotZones primary = qv::ComputeMonitorHotZones(desktop.monitor[desktop.primary]);
  qv::ZoneRect strip{primary.trigger.left, primary.trigger.top, primary.trigger.left, primary.trigger.bottom};
  for (int32_t i = 0; i < zones.count; ++i) {
    const qv::ZoneRect& piece = zones.piece[i].zones.trigger;
    if (zones.piece[i].monitor == desktop.primary && piece.right - piece.left > strip.right - strip.left) strip = piece;
  }
  m_rect1 = ToRect(primary.stay);
  m_rect2 = ToRect(strip);

  // The count is cleared first and set last, so a hook that reads in
  // between finds fewer pieces, never a half-written one of them counted.
  if (qv::HookRecord* const record = WritableRecord()) {
    volatile LONG* const count = reinterpret_cast<volatile LONG*>(&record->zones.count);
    InterlockedExchange(count, 0);
    for (int32_t i = 0; i < zones.count; ++i) record->zones.piece[i] = zones.piece[i];
    InterlockedExchange(count, zones.count);
  }
  // The popup's own piece may be another one now; until the next show the
  // hook lets it stay over any stay zone and the launcher checks its own.
  if (qv::HookState* const state = WritableState()) state->shownPiece = 0;
  ownState.shownPiece = 0;
}

HWND QVLRegisteredWindow(void) {
  LookForRecord();
  const qv::HookRecord* const record = RecordForHook();
  return record != nullptr ? AsHandle<HWND>(Load(record->window)) : nullptr;
}

void QVLRegisterWindow(HWND hWnd) {
  QVLCalcArea();
  if (qv::HookRecord* const record = WritableRecord()) Store(record->window, FromHandle(hWnd));
  m_hWnd = hWnd;
}

namespace {

constexpr char kLauncherTitle[] = "<QUORVEL>";

bool IsLauncherWindow(HWND window) {
  if (window == nullptr || !IsWindow(window)) return false;
  // The stored title: no message goes to a process that may hang.
  WCHAR title[sizeof kLauncherTitle + 1] = {};
  const int length = InternalGetWindowText(window, title, static_cast<int>(sizeof title / sizeof title[0]));
  if (length != static_cast<int>(sizeof kLauncherTitle - 1)) return false;
  for (int i = 0; i < length; ++i)
    if (title[i] != static_cast<WCHAR>(kLauncherTitle[i])) return false;
  return true;
}

bool ProcessRuns(DWORD id) {
  if (id == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

// A launcher that died without its teardown leaves its hook recorded for as
// long as any process maps the record. The record counts as live while it
// is this process's own, while its window is a launcher's, or while its
// launcher is between installing and registering its window.
bool RecordLive(const qv::HookRecord& record, DWORD owner) {
  if (owner == GetCurrentProcessId()) return true;
  const HWND window = AsHandle<HWND>(Load(record.window));
  if (window != nullptr) return IsLauncherWindow(window);
  return ProcessRuns(owner);
}

// What QVLInstallHook needs of advapi32, loaded there, in the launcher's own
// process: the library imports nothing but kernel32 and user32, and no
// hooked program loads anything for it.
class Advapi {
 public:
  Advapi() : module_(LoadLibraryW(L"advapi32.dll")) {
    openToken = Find<decltype(&OpenProcessToken)>("OpenProcessToken");
    tokenInformation = Find<decltype(&GetTokenInformation)>("GetTokenInformation");
    securityFromText = Find<decltype(&ConvertStringSecurityDescriptorToSecurityDescriptorW)>(
        "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    securityInfo = Find<decltype(&GetSecurityInfo)>("GetSecurityInfo");
  }
  ~Advapi() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Advapi(const Advapi&) = delete;
  Advapi& operator=(const Advapi&) = delete;
  bool ready() const { return openToken && tokenInformation && securityFromText && securityInfo; }

  decltype(&OpenProcessToken) openToken = nullptr;
  decltype(&GetTokenInformation) tokenInformation = nullptr;
  decltype(&ConvertStringSecurityDescriptorToSecurityDescriptorW) securityFromText = nullptr;
  decltype(&GetSecurityInfo) securityInfo = nullptr;

 private:
  template <class Fn>
  Fn Find(const char* name) const {
    return module_ != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
  }
  HMODULE module_;
};

// The launcher's user and integrity level, from its process token.
struct Identity {
  uint8_t user[qv::kMaxSidSize];
  uint8_t label[qv::kMaxSidSize];
  uint32_t level;
};

bool ReadIdentity(const Advapi& api, Identity& who) {
  HANDLE token = nullptr;
  if (!api.openToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  // Either answer is a small header and one SID.
  union {
    TOKEN_USER user;
    TOKEN_MANDATORY_LABEL label;
    BYTE bytes[sizeof(TOKEN_USER) + qv::kMaxSidSize];
  } answer;
  DWORD size = 0;
  bool read = api.tokenInformation(token, TokenUser, &answer, sizeof answer, &size) &&
              qv::CopySid(static_cast<const uint8_t*>(answer.user.User.Sid), who.user);
  read = read && api.tokenInformation(token, TokenIntegrityLevel, &answer, sizeof answer, &size) &&
         qv::CopySid(static_cast<const uint8_t*>(answer.label.Label.Sid), who.label) &&
         qv::IntegrityLevelOf(who.label, who.level);
  CloseHandle(token);
  return read;
}

constexpr size_t kSecuritySize = 512;

// The launcher's user owns both sections and may do anything with them, as
// may the system; everyone may read them, so that the hook in programs of
// other users on this desktop finds them. The record's label, the
// launcher's own level, keeps processes of lower integrity from writing
// it; the hook's state is labelled low and everyone may write it, as the
// hook does in every process.
bool SectionSecurity(const Identity& who, bool hookWrites, WCHAR (&out)[kSecuritySize]) {
  qv::FixedText<WCHAR> text(out, kSecuritySize);
  qv::AddSid(text.Add("O:"), who.user).Add("D:(A;;GA;;;SY)(A;;GA;;;");
  qv::AddSid(text, who.user);
  if (hookWrites) {
    text.Add(")(A;;GRGW;;;WD)S:(ML;;NW;;;LW)");
  } else {
    qv::AddSid(text.Add(")(A;;GR;;;WD)S:(ML;;NW;;;"), who.label).Add(")");
  }
  return text.fits();
}

// The section `name` made with `security`, or the one already there
// (`existed`); nullptr when neither.
HANDLE MakeSection(const Advapi& api, const WCHAR* security, const WCHAR* name, DWORD size, bool& existed) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!api.securityFromText(security, SDDL_REVISION_1, &descriptor, nullptr)) return nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, size, name);
  existed = section != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  LocalFree(descriptor);
  return section;
}

bool OwnedByLauncher(const Advapi& api, HANDLE section, const Identity& who) {
  PSID owner = nullptr;
  PACL sacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (api.securityInfo(section, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, &owner,
                       nullptr, nullptr, &sacl, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool owned = qv::RecordOwnedByLauncher(static_cast<const uint8_t*>(owner),
                                               reinterpret_cast<const uint8_t*>(sacl), who.user, who.level);
  LocalFree(descriptor);
  return owned;
}

// The record this process installs from, mapped writable: made here with
// the launcher's own security, or found under the session's name and
// passing the record's ownership check. The hook's state is made beside it;
// where it cannot be, the hook keeps its state per process.
qv::HookRecord* InstallersRecord() {
  const Advapi api;
  Identity who;
  WCHAR security[kSecuritySize];
  if (!api.ready() || !ReadIdentity(api, who) || !SectionSecurity(who, false, security)) return nullptr;
  bool existed = false;
  const HANDLE section = MakeSection(api, security, recordName, sizeof(qv::HookRecord), existed);
  if (section == nullptr) return nullptr;
  if (existed && !OwnedByLauncher(api, section, who)) {
    CloseHandle(section);
    return nullptr;
  }
  // A view this process holds already is of this same record: its handle
  // keeps the name.
  Keep(writeRecord, section, kReadWrite, sizeof(qv::HookRecord));
  if (hookState.view == nullptr && SectionSecurity(who, true, security))
    Keep(hookState, MakeSection(api, security, stateName, sizeof(qv::HookState), existed), kReadWrite,
         sizeof(qv::HookState));
  return static_cast<qv::HookRecord*>(writeRecord.view);
}

}  // namespace

int QVLInstallHook(void) {
  qv::HookRecord* const record = InstallersRecord();
  if (record == nullptr) return 0;
  const LONG owner = record->owner;
  if (Load(record->hook) != 0 && RecordLive(*record, static_cast<DWORD>(owner))) return 0;
  // Of two launchers that start together, or that both find a dead record,
  // only the one that claims the record installs.
  const LONG self = static_cast<LONG>(GetCurrentProcessId());
  if (InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&record->owner), self, owner) != owner) return 0;
  Store(record->window, 0);
  m_hWnd = nullptr;
  record->ownerThread = GetCurrentThreadId();
  const HHOOK hook = SetWindowsHookExA(WH_MOUSE, MouseProc, ownModule, 0);
  Store(record->hook, FromHandle(hook));
  m_hHook = hook;
  InterlockedIncrement(&m_recordSerial);
  return hook != nullptr ? 1 : 0;
}

int QVLUninstallHook(void) {
  qv::HookRecord* const record = WritableRecord();
  if (record == nullptr) {
    // Nothing this process may remove; the account follows the request.
    m_hHook = nullptr;
    return 0;
  }
  const HHOOK hook = AsHandle<HHOOK>(Load(record->hook));
  if (hook == nullptr) return 0;
  UnhookWindowsHookEx(hook);
  Store(record->hook, 0);
  m_hHook = nullptr;
  return 1;
}

namespace {

// The names of this program folder's record and state in the session.
void NameSessionObjects(HINSTANCE instance) {
  WCHAR path[1024];
  const DWORD length = GetModuleFileNameW(instance, path, sizeof path / sizeof path[0]);
  if (length == 0) return;
  const uint64_t hash = qv::LibraryPathHash(path);
  if (!qv::SessionObjectName("Hook", hash, recordName) || !qv::SessionObjectName("HookState", hash, stateName)) {
    recordName[0] = 0;
    stateName[0] = 0;
  }
}

}  // namespace

// The entry point itself, under the name the linker looks for, since no C
// runtime start-up code is linked in.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    ownModule = instance;
    m_hModule = instance;
    // Thread notifications would only cost every hooked process time.
    DisableThreadLibraryCalls(instance);
    // user32 is loaded in every process that runs the hook; nothing is
    // loaded here.
    if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      setThreadDpiContext = reinterpret_cast<ThreadDpiContextFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    }
    NameSessionObjects(instance);
    lookedAt = m_recordSerial;
    LookForRecord();
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded from a process that goes on. (At a process's end the system
    // lets go of everything.)
    Release(readRecord);
    Release(writeRecord);
    Release(hookState);
  }
  return TRUE;
}
