#include "HookThread.h"

#include "QVLHook.h"

namespace qv {

namespace {

// The launcher's question; the thread counts its answers.
constexpr UINT kPing = WM_APP + 1;

}  // namespace

// What the thread and its owner both hold: a thread that was replaced
// outlives the owner's hold on it.
struct HookThread::Shared {
  UniqueKernelHandle ready;
  UniqueKernelHandle answer;
  std::atomic<bool> installed{false};
  // Replaced: its hook is no longer the launcher's, so it removes nothing.
  std::atomic<bool> replaced{false};
  std::atomic<LONG> answers{0};
};

bool HookThread::Start() {
  if (running()) return shared_->installed;
  auto shared = std::make_shared<Shared>();
  shared->ready.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  shared->answer.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!shared->ready || !shared->answer) return false;
  auto* theirs = new std::shared_ptr<Shared>(shared);
  thread_.reset(CreateThread(nullptr, 0, &HookThread::Main, theirs, 0, &threadId_));
  if (!thread_) {
    delete theirs;
    return false;
  }
  shared_ = std::move(shared);
  asked_ = 0;
  // The thread signals once it has tried; it ends at once when it failed.
  const HANDLE both[] = {shared_->ready.get(), thread_.get()};
  WaitForMultipleObjects(2, both, FALSE, INFINITE);
  const bool installed = shared_->installed;
  if (!installed) Stop();
  return installed;
}

void HookThread::Answer() {
  if (shared_) SetEvent(shared_->answer.get());
}

void HookThread::Stop() {
  if (!running()) return;
  Answer();
  // Its queue exists from before Start returned; a thread that has ended
  // already lets the wait return at once.
  PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  shared_.reset();
  threadId_ = 0;
}

bool HookThread::StillAnswering() {
  if (!running()) return false;
  if (WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0) return false;
  if (shared_->answers.load() != asked_) return false;
  ++asked_;
  PostThreadMessageA(threadId_, kPing, 0, 0);
  return true;
}

bool HookThread::Replace() {
  if (running()) {
    shared_->replaced = true;
    QVLUninstallHook();
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    SetEvent(shared_->answer.get());
    thread_.reset();
    shared_.reset();
    threadId_ = 0;
  }
  if (!Start()) return false;
  Answer();
  return true;
}

DWORD WINAPI HookThread::Main(void* param) {
  const std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(param));
  Shared& shared = **holder;
  MSG msg;
  // The queue exists before the launcher may post the quit message.
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  const bool installed = QVLInstallHook() != 0;
  shared.installed = installed;
  SetEvent(shared.ready.get());
  if (!installed) return 0;
  // A kernel wait, not a wait for messages; the quit message keeps.
  WaitForSingleObject(shared.answer.get(), INFINITE);
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kPing) {
      ++shared.answers;
    } else {
      DispatchMessageA(&msg);
    }
  }
  if (!shared.replaced) QVLUninstallHook();
  return 0;
}

}  // namespace qv
