#include "IconStore.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <new>
#include <set>
#include <vector>

#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

namespace {

// Shortcuts handed to each worker ahead of its answers: enough to keep it
// busy, few enough that a group the user turns to goes next.
constexpr int kAheadPerWorker = 16;
// While icons stream in, they are collected this often.
constexpr UINT kPaceMs = 20;
constexpr int kMostWorkers = 2;
constexpr int kWorkerLimit = 4;  // what Start takes when asked for more
// How long the end of the program waits for a worker inside the shell.
constexpr DWORD kStopWaitMs = 3000;

struct Result {
  SLIST_ENTRY entry;
  std::uint64_t ticket = 0;
  unsigned generation = 0;
  bool located = false;  // the shell said where the icon comes from
  IconLocation location;
  UniqueIcon icon;  // none: the shell had none, or this worker sent it before
};

// Made by the store with its answer, so that a worker never needs memory
// to answer.
struct Job {
  std::string path;
  std::unique_ptr<Result> result;
};

static_assert(offsetof(Result, entry) == 0, "the list entry opens the record");
static_assert(alignof(Result) >= MEMORY_ALLOCATION_ALIGNMENT, "list entries need the list's alignment");

// The file's extension as it is, with its dot; empty when it has none.
std::string TypeOf(const std::string& path) {
  const std::size_t dot = path.find_last_of(".\\");
  return dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : std::string();
}

// The icon a link names itself, read with the shell's link object: far
// cheaper than asking the shell where it would take the icon from, and what
// the shell then shows. False for other files and for links that name none.
bool LinkIconLocation(const std::wstring& path, const std::string& type, IconLocation& where) {
  if (lstrcmpiA(type.c_str(), ".lnk") != 0) return false;
  // A fresh link object for each file: nothing of the last one stays.
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())))
    return false;
  wchar_t iconFile[MAX_PATH] = {};
  int index = 0;
  if (FAILED(file->Load(path.c_str(), STGM_READ)) ||
      FAILED(link->GetIconLocation(iconFile, MAX_PATH, &index)) || iconFile[0] == L'\0')
    return false;
  iconFile[MAX_PATH - 1] = L'\0';
  where = IconLocation{Utf8Text(iconFile), index, type};
  return !where.file.empty();
}

// What the shell shows for the file, and where that comes from. A location
// this worker has already sent for the same image list is not fetched again.
// Asked in UTF-16: a narrow answer would hold MAX_PATH bytes only.
void Fetch(const std::string& path, Result& result, const std::set<IconLocation>* sent) {
  const std::string type = TypeOf(path);
  const std::wstring wide = WideText(path);
  if (wide.empty()) return;
  SHFILEINFOW where{};
  if (LinkIconLocation(wide, type, result.location)) {
    result.located = true;
  } else if (SHGetFileInfoW(wide.c_str(), FILE_ATTRIBUTE_NORMAL, &where, sizeof where, SHGFI_ICONLOCATION) &&
             where.szDisplayName[0] != L'\0') {
    where.szDisplayName[MAX_PATH - 1] = L'\0';
    result.location = IconLocation{Utf8Text(where.szDisplayName), where.iIcon, type};
    result.located = !result.location.file.empty();
  }
  if (result.located && sent != nullptr && sent->count(result.location) != 0) return;
  SHFILEINFOW info{};
  SHGetFileInfoW(wide.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_ICON);
  result.icon.reset(info.hIcon);
}

// Entries of a list, oldest first.
template <class Record>
std::vector<std::unique_ptr<Record>> TakeAll(SLIST_HEADER& list) {
  std::vector<std::unique_ptr<Record>> records;
  for (PSLIST_ENTRY e = InterlockedFlushSList(&list); e != nullptr;) {
    PSLIST_ENTRY next = e->Next;
    records.emplace_back(reinterpret_cast<Record*>(e));
    e = next;
  }
  std::reverse(records.begin(), records.end());
  return records;
}

// Frees a list's entries without asking for memory: for destructors.
template <class Record>
void FreeAll(SLIST_HEADER& list) noexcept {
  for (PSLIST_ENTRY e = InterlockedFlushSList(&list); e != nullptr;) {
    PSLIST_ENTRY next = e->Next;
    delete reinterpret_cast<Record*>(e);
    e = next;
  }
}

}  // namespace

// What the workers share with the store. Each worker holds it too, so a
// worker that outlives Stop still finds it; the last holder frees what is
// left in the lists.
struct IconStore::Shared {
  // Jobs in the order they were handed out: a ring that only the store
  // writes, at `tail`, and the workers take from, at `head`. The store
  // never has more jobs out than the ring holds.
  static constexpr int kSlots = kWorkerLimit * kAheadPerWorker;
  std::atomic<Job*> jobs[kSlots] = {};
  std::atomic<std::uint64_t> head{0};
  std::atomic<std::uint64_t> tail{0};
  SLIST_HEADER results;
  UniqueKernelHandle available;  // a semaphore: one count per job
  std::atomic<bool> stop{false};
  // The store wants a message for the next result; while it collects on its
  // timer it does not.
  std::atomic<bool> wake{true};
  std::atomic<unsigned> generation{0};
  HWND window = nullptr;
  UINT message = 0;

  Shared() { InitializeSListHead(&results); }
  ~Shared() {
    for (std::uint64_t i = head; i != tail; ++i) delete jobs[i % kSlots].load();
    FreeAll<Result>(results);
  }

  // The store's side: one more job (there is room).
  void Push(Job* job) {
    const std::uint64_t at = tail.load(std::memory_order_relaxed);
    jobs[at % kSlots].store(job, std::memory_order_relaxed);
    tail.store(at + 1, std::memory_order_release);
    ReleaseSemaphore(available.get(), 1, nullptr);
  }
  // A worker's side, once the semaphore has granted it a job.
  Job* Pop() {
    for (std::uint64_t at = head.load(std::memory_order_acquire);;) {
      if (at == tail.load(std::memory_order_acquire)) return nullptr;
      Job* job = jobs[at % kSlots].load(std::memory_order_acquire);
      if (head.compare_exchange_weak(at, at + 1, std::memory_order_acq_rel)) return job;
    }
  }

  static DWORD WINAPI Worker(void* parameter);
};

DWORD WINAPI IconStore::Shared::Worker(void* parameter) {
  const std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(parameter));
  Shared& shared = **holder;
  // Icons are not worth a moment of anything the user does.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::set<IconLocation> sent;
  unsigned sentGeneration = 0;
  while (WaitForSingleObject(shared.available.get(), INFINITE) == WAIT_OBJECT_0 &&
         !shared.stop.load(std::memory_order_acquire)) {
    const std::unique_ptr<Job> job(shared.Pop());
    if (!job) continue;
    Result* result = job->result.release();
    // A job of a list that has been replaced needs no icon.
    if (result->generation == shared.generation.load(std::memory_order_acquire)) {
      if (result->generation != sentGeneration) {
        sent.clear();
        sentGeneration = result->generation;
      }
      try {
        Fetch(job->path, *result, &sent);
        if (result->located && result->icon) sent.insert(result->location);
      } catch (const std::bad_alloc&) {
        // Answered without an icon: the shortcut keeps the default one.
      }
    }
    // The first result after a quiet spell wakes the store; a message that
    // could not be posted leaves the next result to try.
    InterlockedPushEntrySList(&shared.results, &result->entry);
    if (shared.wake.exchange(false, std::memory_order_acq_rel) && !PostMessageA(shared.window, shared.message, 0, 0))
      shared.wake.store(true, std::memory_order_release);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

IconStore::IconStore() = default;

IconStore::~IconStore() {
  Stop();
  ForgetWaiting();
}

void IconStore::ForgetWaiting() {
  for (auto& entry : waiting_) entry.second.item->icon.Forget();
  waiting_.clear();
  queue_.Clear();
}

int IconStore::DefaultWorkers() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const int cores = static_cast<int>(system.dwNumberOfProcessors);
  return cores < 1 ? 1 : (cores < kMostWorkers ? cores : kMostWorkers);
}

void IconStore::Start(HWND window, UINT message, UINT_PTR timerId, int workers) {
  Stop();
  window_ = window;
  timerId_ = timerId;
  workers = workers < 1 ? 1 : (workers > kWorkerLimit ? kWorkerLimit : workers);
  std::shared_ptr<Shared> shared;
  try {
    shared = std::make_shared<Shared>();
    threads_.reset(new UniqueKernelHandle[static_cast<std::size_t>(workers)]);
  } catch (const std::bad_alloc&) {
    return;
  }
  shared->available.reset(CreateSemaphoreA(nullptr, 0, LONG_MAX, nullptr));
  if (!shared->available) return;
  shared->window = window;
  shared->message = message;
  shared->generation = generation_;
  shared_ = shared;
  for (int i = 0; i < workers; ++i) {
    auto* holder = new (std::nothrow) std::shared_ptr<Shared>(shared);
    if (holder == nullptr) break;
    threads_[static_cast<std::size_t>(workers_)].reset(CreateThread(nullptr, 0, &Shared::Worker, holder, 0, nullptr));
    if (!threads_[static_cast<std::size_t>(workers_)]) {
      delete holder;
      break;
    }
    ++workers_;
  }
  if (workers_ == 0) shared_.reset();
  TopUp();
}

void IconStore::Stop() {
  if (!shared_) return;
  KillTimer(window_, timerId_);
  shared_->stop.store(true, std::memory_order_release);
  ReleaseSemaphore(shared_->available.get(), workers_, nullptr);
  HANDLE handles[kWorkerLimit];
  for (int i = 0; i < workers_; ++i) handles[i] = threads_[static_cast<std::size_t>(i)].get();
  WaitForMultipleObjects(static_cast<DWORD>(workers_), handles, TRUE, kStopWaitMs);
  threads_.reset();
  workers_ = 0;
  inFlight_ = 0;
  shared_.reset();
  // What was still to come keeps the default icon; a new request fetches
  // it at once.
  ForgetWaiting();
}

bool IconStore::Reset() {
  ++generation_;
  if (shared_) shared_->generation.store(generation_, std::memory_order_release);
  ForgetWaiting();
  cache_.Clear();
  images_.reset(ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), ILC_COLOR, 64, 64));
  if (!images_) return false;
  // A shared resource icon: not ours to destroy.
  const HICON fallback = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SHORTCUT));
  if (ImageList_ReplaceIcon(images_.get(), -1, fallback) != 0) {
    images_.reset();
    return false;
  }
  ImageList_SetBkColor(images_.get(), RGB(255, 255, 255));
  return true;
}

int IconStore::imageCount() const { return images_ ? ImageList_GetImageCount(images_.get()) : 0; }

void IconStore::Request(ProgramGroup& group, ShortcutItem& item) {
  item.icon.Release();
  item.iconIndex = 0;
  if (!images_) return;
  if (!shared_) {
    // No workers: the icon now, as the launcher always did.
    try {
      Result result;
      Fetch(item.path, result, nullptr);
      item.iconIndex = ImageFor(result.located, result.location, result.icon.get());
    } catch (const std::bad_alloc&) {
      // The default icon stays.
    }
    return;
  }
  const std::uint64_t ticket = nextTicket_++;
  try {
    waiting_.emplace(ticket, Waiting{&group, &item});
    queue_.Push(&group, ticket);
  } catch (const std::bad_alloc&) {
    waiting_.erase(ticket);
    return;  // the default icon stays
  }
  item.icon.Set(this, ticket);
  TopUp();
}

void IconStore::RequestGroup(ProgramGroup& group) {
  for (const auto& item : group.shortcuts) Request(group, *item);
}

void IconStore::Prefer(const ProgramGroup* group) {
  if (group != nullptr) queue_.Prefer(group);
}

void IconStore::Withdraw(std::uint64_t ticket) noexcept { waiting_.erase(ticket); }

void IconStore::TopUp() {
  while (shared_ && inFlight_ < workers_ * kAheadPerWorker && inFlight_ < Shared::kSlots) {
    const auto ticket = queue_.Pop();
    if (!ticket) return;
    const auto found = waiting_.find(*ticket);
    if (found == waiting_.end()) continue;  // gone, or asked for again
    Job* job = new (std::nothrow) Job;
    try {
      if (job == nullptr) throw std::bad_alloc();
      job->path = found->second.item->path;
      job->result.reset(new Result);
      job->result->ticket = *ticket;
      job->result->generation = generation_;
    } catch (const std::bad_alloc&) {
      delete job;
      found->second.item->icon.Release();  // the default icon stays
      continue;
    }
    shared_->Push(job);
    ++inFlight_;
  }
}

int IconStore::ImageFor(bool located, const IconLocation& location, HICON icon) {
  int image = located ? cache_.Find(location) : -1;
  if (image < 0 && icon != nullptr && images_) {
    // The image list copies the icon.
    image = ImageList_ReplaceIcon(images_.get(), -1, icon);
    if (image > 0 && located) {
      try {
        cache_.Add(location, image);
      } catch (const std::bad_alloc&) {
        // Not shared, still shown.
      }
    }
  }
  return image > 0 ? image : 0;
}

void IconStore::Collect(const Arrived& arrived) {
  if (!shared_) return;
  auto results = TakeAll<Result>(shared_->results);
  if (results.empty()) {
    // A quiet spell: the next result posts again. One that came just
    // before that is collected on the timer.
    KillTimer(window_, timerId_);
    shared_->wake.store(true, std::memory_order_release);
    if (QueryDepthSList(&shared_->results) == 0 || !shared_->wake.exchange(false, std::memory_order_acq_rel)) return;
  }
  SetTimer(window_, timerId_, kPaceMs, nullptr);
  for (const auto& result : results) {
    --inFlight_;
    if (result->generation != generation_) continue;
    const int image = ImageFor(result->located, result->location, result->icon.get());
    const auto found = waiting_.find(result->ticket);
    if (found == waiting_.end()) continue;
    const Waiting waiting = found->second;
    waiting.item->icon.Release();
    waiting.item->iconIndex = image;
    if (image != 0 && arrived) arrived(*waiting.group, *waiting.item);
  }
  TopUp();
}

}  // namespace qv
