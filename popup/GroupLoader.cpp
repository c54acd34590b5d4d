#include "GroupLoader.h"

#include <atomic>
#include <new>

namespace qv {

namespace {

constexpr DWORD kStopWaitMs = 3000;

}  // namespace

struct GroupLoader::Read {
  std::string folder;
  HWND window = nullptr;
  UINT message = 0;
  std::atomic<bool> cancel{false};
  std::atomic<bool> done{false};
  // The thread's until `done`, then the taker's.
  GroupList groups;
  std::string failedFolder;

  static DWORD WINAPI Main(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Read>> holder(static_cast<std::shared_ptr<Read>*>(parameter));
    Read& read = **holder;
    try {
      ReadGroups(read.groups, read.folder, read.failedFolder, &read.cancel);
    } catch (...) {
      // A list as far as it got.
    }
    read.done.store(true, std::memory_order_release);
    if (!read.cancel.load(std::memory_order_acquire)) PostMessageA(read.window, read.message, 0, 0);
    return 0;
  }
};

bool GroupLoader::Start(const std::string& programFolder, HWND window, UINT message) {
  Abandon();
  // Threads that have ended are let go.
  for (auto it = threads_.begin(); it != threads_.end();) {
    it = WaitForSingleObject(it->get(), 0) == WAIT_OBJECT_0 ? threads_.erase(it) : it + 1;
  }
  std::shared_ptr<Read> read;
  std::shared_ptr<Read>* holder = nullptr;
  try {
    read = std::make_shared<Read>();
    read->folder = programFolder;
    read->window = window;
    read->message = message;
    threads_.reserve(threads_.size() + 1);
    holder = new std::shared_ptr<Read>(read);
  } catch (const std::bad_alloc&) {
    return false;
  }
  UniqueKernelHandle thread(CreateThread(nullptr, 0, &Read::Main, holder, 0, nullptr));
  if (!thread) {
    delete holder;
    return false;
  }
  threads_.push_back(std::move(thread));
  current_ = std::move(read);
  return true;
}

bool GroupLoader::Take(GroupList& groups, std::string& failedFolder) {
  if (!current_ || !current_->done.load(std::memory_order_acquire)) return false;
  groups = std::move(current_->groups);
  failedFolder = std::move(current_->failedFolder);
  current_.reset();
  return true;
}

void GroupLoader::Abandon() {
  if (current_) current_->cancel.store(true, std::memory_order_release);
  current_.reset();
}

void GroupLoader::Stop() {
  Abandon();
  const DWORD start = GetTickCount();
  for (const auto& thread : threads_) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(thread.get(), spent < kStopWaitMs ? kStopWaitMs - spent : 0);
  }
  threads_.clear();
}

}  // namespace qv
