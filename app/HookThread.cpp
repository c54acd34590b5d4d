#include "HookThread.h"

#include "QVLHook.h"

namespace qv {

bool HookThread::Start() {
  if (running()) return installed_;
  ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  answer_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!ready_ || !answer_) return false;
  installed_ = false;
  thread_.reset(CreateThread(nullptr, 0, &HookThread::Main, this, 0, &threadId_));
  if (!thread_) return false;
  // The thread signals once it has tried; it ends at once when it failed.
  const HANDLE both[] = {ready_.get(), thread_.get()};
  WaitForMultipleObjects(2, both, FALSE, INFINITE);
  if (!installed_) Stop();
  return installed_;
}

void HookThread::Answer() {
  if (answer_) SetEvent(answer_.get());
}

void HookThread::Stop() {
  if (!running()) return;
  Answer();
  // Its queue exists from before Start returned; a thread that has ended
  // already lets the wait return at once.
  PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  threadId_ = 0;
  installed_ = false;
}

DWORD WINAPI HookThread::Main(void* param) {
  auto* self = static_cast<HookThread*>(param);
  MSG msg;
  // The queue exists before the launcher may post the quit message.
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  self->installed_ = QVLInstallHook() != 0;
  const bool installed = self->installed_;
  SetEvent(self->ready_.get());
  if (!installed) return 0;
  // A kernel wait, not a wait for messages; the quit message keeps.
  WaitForSingleObject(self->answer_.get(), INFINITE);
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  QVLUninstallHook();
  return 0;
}

}  // namespace qv
