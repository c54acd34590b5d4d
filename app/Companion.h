// The companion of a 64-bit launcher, QVLHOOK32.EXE: 32-bit programs cannot
// load the 64-bit hook library, so the companion installs the hook of the
// 32-bit copy beside it for them, and its requests come to the launcher's
// window as the launcher's own hook's do. It ends with the launcher's
// process; the launcher starts it once more when it ends by itself.
#pragma once

#include <windows.h>

#include "Handles.h"

namespace qv {

class HookCompanion {
 public:
  enum class State {
    kNotNeeded,  // a 32-bit launcher: its own hook reaches the 32-bit programs
    kRunning,
    kMissing,    // could not be started (its files are not beside the launcher)
    kEnded,      // ended, and not started again
  };

  HookCompanion() = default;
  ~HookCompanion() { Stop(); }
  HookCompanion(const HookCompanion&) = delete;
  HookCompanion& operator=(const HookCompanion&) = delete;

  // On a 64-bit launcher: starts QVLHOOK32.EXE from the launcher's own folder
  // for `launcher`, without waiting for it. `endedMessage` is posted to
  // `launcher` when the companion's process ends by itself. A 32-bit
  // launcher needs none.
  void Start(HWND launcher, UINT endedMessage);
  // After endedMessage: starts it again, once per launcher life; afterwards
  // the launcher goes on without it. A message about an earlier process is
  // ignored.
  void OnEnded();
  // The desktop changed: the companion computes its zones again and names
  // the launcher's window again.
  void Sync();
  // Ends it: asks, waits up to two seconds, then ends its process. Safe to
  // call more than once; no endedMessage follows.
  void Stop();

  State state() const { return state_; }
  // 0 when none runs.
  DWORD processId() const;

 private:
  // An unregistered wait no longer calls back, nor is about to.
  struct RegisteredWait {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { UnregisterWaitEx(h, INVALID_HANDLE_VALUE); }
  };

  bool Launch();
  static void CALLBACK Ended(void* self, BOOLEAN timedOut);

  HWND launcher_ = nullptr;
  UINT endedMessage_ = 0;
  State state_ = State::kNotNeeded;
  bool startedAgain_ = false;
  // Declared before the wait, which uses it and so goes first.
  UniqueKernelHandle process_;
  UniqueHandle<RegisteredWait> wait_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};

}  // namespace qv
