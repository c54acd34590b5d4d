#include "Companion.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

namespace {

constexpr DWORD kStopWaitMs = 2000;
constexpr DWORD kReadyMs = 2000;
constexpr UINT kEndedByForce = 255;

// The launcher's own folder, ending in a backslash; empty when unknown. In
// UTF-16, so any folder works and no byte of a character is taken for a
// backslash.
std::wstring OwnFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size() - 1) {
      const std::wstring path(buffer.data(), length);
      const std::size_t slash = path.rfind(L'\\');
      return slash != std::wstring::npos ? path.substr(0, slash + 1) : std::wstring();
    }
    if (buffer.size() >= 32768) return std::wstring();
    buffer.resize(buffer.size() * 2);
  }
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void HookCompanion::Start(HWND launcher, UINT endedMessage) {
  Stop();
  launcher_ = launcher;
  endedMessage_ = endedMessage;
  startedAgain_ = false;
  // A 32-bit launcher's own hook runs in the 32-bit programs; the 64-bit
  // ones, where there are any, wait for its hook thread.
  if (sizeof(void*) == 4) {
    state_ = State::kNotNeeded;
    return;
  }
  state_ = Launch() ? State::kRunning : State::kMissing;
}

bool HookCompanion::Launch() {
  const std::wstring folder = OwnFolder();
  if (folder.empty()) return false;
  const std::wstring program = folder + L"QVLHOOK32.EXE";
  // Without its library the system would tell the user so, in a box about a
  // file they never heard of.
  if (!IsFile(program) || !IsFile(folder + L"QVLHOOK32.DLL")) return false;
  // A window handle has 32 significant bits on either width.
  std::wstring line = L"\"" + program + L"\" " +
                      std::to_wstring(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(launcher_))) + L" " +
                      std::to_wstring(GetCurrentProcessId());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  // No busy pointer for a program that never shows a window.
  startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
  // Set by the companion once its hook is in place.
  const std::wstring readyName = L"Local\\Quorvel.CompanionReady." + std::to_wstring(GetCurrentProcessId());
  const UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  // Its hook in place before the launcher's own, which must be called
  // first (see the launcher's start-up); a companion that hangs is not
  // waited for long. A kernel wait: a wait for messages would tell those
  // who wait for the launcher's start-up that it is over.
  if (ready) {
    const HANDLE either[] = {ready.get(), info.hProcess};
    WaitForMultipleObjects(2, either, FALSE, kReadyMs);
  }
  processId_ = info.dwProcessId;
  threadId_ = info.dwThreadId;
  // Without the wait it still serves; only its own end goes unnoticed.
  HANDLE wait = nullptr;
  if (RegisterWaitForSingleObject(&wait, process_.get(), &HookCompanion::Ended, this, INFINITE,
                                  WT_EXECUTEONLYONCE)) {
    wait_.reset(wait);
  }
  return true;
}

void CALLBACK HookCompanion::Ended(void* param, BOOLEAN) {
  // A pool thread: only a post, which never waits for the launcher.
  const auto* self = static_cast<const HookCompanion*>(param);
  PostMessageW(self->launcher_, self->endedMessage_, 0, 0);
}

void HookCompanion::OnEnded() {
  // Only about the process there is now, and only once it has ended.
  if (state_ != State::kRunning || !process_ || WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return;
  wait_.reset();
  process_.reset();
  processId_ = 0;
  threadId_ = 0;
  if (startedAgain_) {
    state_ = State::kEnded;
    return;
  }
  startedAgain_ = true;
  state_ = Launch() ? State::kRunning : State::kMissing;
}

void HookCompanion::Sync() {
  // The companion's name for it; any process may post it, and it only ever
  // makes the companion do again what it did at its start.
  static const UINT syncMessage = RegisterWindowMessageA("QuorvelHookSync");
  if (state_ == State::kRunning && syncMessage != 0) PostThreadMessageW(threadId_, syncMessage, 0, 0);
}

void HookCompanion::Stop() {
  // First, so that this end posts nothing.
  wait_.reset();
  if (process_) {
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      // Its queue exists before it installs anything: when the post fails,
      // there is nothing yet to take down in order.
      const bool asked = PostThreadMessageW(threadId_, WM_QUIT, 0, 0) != FALSE;
      if (!asked || WaitForSingleObject(process_.get(), kStopWaitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_.get(), kEndedByForce);
        // Its files are free once it has gone.
        WaitForSingleObject(process_.get(), kStopWaitMs);
      }
    }
    process_.reset();
  }
  processId_ = 0;
  threadId_ = 0;
  if (state_ == State::kRunning) state_ = State::kEnded;
}

DWORD HookCompanion::processId() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT ? processId_ : 0;
}

}  // namespace qv
