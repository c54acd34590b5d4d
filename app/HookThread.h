// The thread that owns the launcher's mouse hook. For programs of the other
// width the system calls the hook on the thread that installed it, and their
// mouse waits until that thread answers; this one does nothing but answer,
// so no work of the popup or of Setup ever stands in the user's way.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "Handles.h"

namespace qv {

class HookThread {
 public:
  HookThread() = default;
  ~HookThread() { Stop(); }
  HookThread(const HookThread&) = delete;
  HookThread& operator=(const HookThread&) = delete;

  // Starts the thread, which installs the hook; true when this call
  // installed it, false when the hook was refused or is another's. The
  // thread answers other programs only from Answer() on: a thread waiting
  // for messages tells the system the launcher is idle, and a program that
  // waits for the launcher's start-up must not hear so before the start-up
  // is over.
  bool Start();
  void Answer();
  // Removes the hook from its own thread and waits for the thread to end.
  // Safe to call more than once.
  void Stop();
  bool running() const { return thread_.get() != nullptr; }
  // Asks the thread a question; false when it has ended, or has not
  // answered the one asked at the previous call.
  bool StillAnswering();
  // A thread that stopped answering: its hook is removed from here, so no
  // program waits for it any longer, the thread is left to end by itself,
  // and a new one installs the hook again. True when the new one did.
  bool Replace();

 private:
  struct Shared;
  static DWORD WINAPI Main(void* shared);

  std::shared_ptr<Shared> shared_;
  UniqueKernelHandle thread_;
  DWORD threadId_ = 0;
  LONG asked_ = 0;
};

}  // namespace qv
