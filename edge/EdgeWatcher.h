// The launcher's own eye on the pointer, for the windows the hook never
// sees (see EdgeRule.h). A thread of its own learns of each new window in
// front from the system's foreground event, looks at that window's process
// once, and only while the hook cannot reach it reads the pointer a few
// dozen times a second, posting the hook's own requests by the hook's own
// rules. While the hook sees the pointer it costs nothing: no timer runs.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "Handles.h"
#include "HotZone.h"

namespace qv {

class EdgeWatcher {
 public:
  EdgeWatcher() = default;
  ~EdgeWatcher() { Stop(); }
  EdgeWatcher(const EdgeWatcher&) = delete;
  EdgeWatcher& operator=(const EdgeWatcher&) = delete;

  // `launcher` gets `showRequest`, `hideRequest` and `cancelRequest` as
  // from the hook, and `changed` whenever watching() changes. `hookLibraries`: the full paths
  // of the hook libraries (either width) whose presence in a process means
  // the hook runs there.
  bool Start(HWND launcher, UINT showRequest, UINT hideRequest, UINT cancelRequest, UINT changed,
             std::vector<std::wstring> hookLibraries);
  // The companion's process counts as the launcher's own.
  void SetCompanion(DWORD processId) { companion_ = processId; }
  // The launcher waits out its delay at the edge: leaving the strip ends it.
  void SetWaiting(bool waiting) { waiting_ = waiting; }
  // The zones from the monitors as they are now, and the window in front
  // looked at again.
  void Rearm();
  // Safe to call more than once.
  void Stop();
  bool running() const { return thread_.get() != nullptr; }
  bool watching() const { return watching_; }

 private:
  static DWORD WINAPI Main(void* self);
  static void CALLBACK OnForeground(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
  void Run();
  void LookAtFront();
  void ReadZones();
  void Poll();
  void SetWatching(bool watch, bool recheck);
  // The hook's state of one of the libraries says it last ran in `process`.
  // A state not mapped yet is looked for only when `mayOpen`: not at every
  // reading of the pointer.
  bool HookRanIn(DWORD process, bool mayOpen);

  // One library's hook state, mapped for reading once it exists.
  struct StateView {
    std::wstring name;
    UniqueKernelHandle section;
    const void* view = nullptr;
    StateView() = default;
    StateView(StateView&& other) noexcept;
    ~StateView();
  };

  HWND launcher_ = nullptr;
  UINT show_ = 0;
  UINT hide_ = 0;
  UINT cancel_ = 0;
  UINT changed_ = 0;
  std::vector<std::wstring> libraries_;
  std::vector<StateView> states_;
  std::atomic<DWORD> companion_{0};
  std::atomic<bool> watching_{false};
  std::atomic<bool> waiting_{false};
  UniqueKernelHandle thread_;
  UniqueKernelHandle ready_;
  DWORD threadId_ = 0;
  // The thread's own.
  HWND front_ = nullptr;  // the window in front when last looked at
  DWORD frontProcess_ = 0;
  DesktopZones zones_{};
  int32_t shown_ = -1;
  bool quiet_ = false;
  bool havePolled_ = false;
  POINT lastPoint_{};
  bool lastButtonDown_ = false;
  bool showAsked_ = false;  // a show request has brought no popup yet
  DWORD showAskedAt_ = 0;
  DWORD touchedAt_ = 0;  // when the pointer came to the strip; 0: not there
  UINT_PTR pollTimer_ = 0;
  UINT_PTR recheckTimer_ = 0;
  UINT_PTR askTimer_ = 0;
};

}  // namespace qv
